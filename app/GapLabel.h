#pragma once

#include <QLabel>

// A label whose text is two words held apart by spaces ("人", sixteen spaces, "＝"), with a
// button standing in the gap. The spaces were counted for 宋体; their width differs from font to
// font, so the first word is drawn at the left edge and the last at the right edge of the label's
// designed width, whatever the font. The text itself stays as written.
class GapLabel : public QLabel
{
    Q_OBJECT
public:
    explicit GapLabel(const QString &text, QWidget *parent = nullptr);

    // Where the first and the last word are drawn, in the label's coordinates.
    QRect firstWordRect() const;
    QRect lastWordRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString firstWord() const;
    QString lastWord() const;
};
