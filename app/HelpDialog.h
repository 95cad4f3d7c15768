#pragma once

#include <QDialog>

class QPlainTextEdit;

// FrmHelp: how the workbook export and import are used.
class HelpDialog : public QDialog
{
    Q_OBJECT
public:
    explicit HelpDialog(QWidget *parent = nullptr);

    // The help text as written: every line, the last one too, ends with CR LF.
    static QString HelpText();

    // Spaces the box's text so that every ASCII character takes half the width of a Chinese
    // character and every other character a whole one, counted at the ends of runs, so that
    // indents written in spaces line up in a font whose spaces and letters are narrower.
    static void alignToHalfWidthGrid(QPlainTextEdit &box);
};
