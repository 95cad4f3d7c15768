#pragma once

#include <QLabel>

// A label whose caption ends in a colon and was padded with spaces so that, in a font where a
// space is half as wide as a Chinese character, its colon lines up with the labels above and below
// it ("数  据  源(&DATA SOURCE)    ：" over "数据库名称(&Initial Catalog)："). Other fonts give
// spaces and Latin letters other widths, so the label lays the caption out itself: each space
// takes half the width of a Chinese character, the words keep their own widths, and the colon is
// drawn at the right edge of the label. Labels of one grid column then end in one line of colons
// whatever the font. The text itself stays as written.
class PaddedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit PaddedLabel(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Word
    {
        QString text;
        qreal left = 0;
    };
    // The caption's words before the colon with their left edges, and the colon.
    QList<Word> words(qreal *width) const;
    QString colon() const;
    int textFlags() const;
};
