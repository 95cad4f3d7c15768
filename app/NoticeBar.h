#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

// A small bar above the list for what the planner should know but need not answer (a sheet to
// find again after a crash, the memory failing): never modal, closed with its "×".
class NoticeBar : public QWidget
{
    Q_OBJECT
public:
    explicit NoticeBar(QWidget *parent = nullptr);

    // Adds a line to what the bar shows and shows it.
    void add(const QString &text);
    QString text() const;

signals:
    void visibilityChanged();

private:
    QLabel *m_text = nullptr;
    QToolButton *m_close = nullptr;
};
