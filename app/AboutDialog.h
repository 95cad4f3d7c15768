#pragma once

#include <QDialog>

class QLabel;

// FrmAbout: the program's name and version, the terms of use, the support contact and the
// vendor's web address, which opens the home page when clicked.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_link = nullptr;
};
