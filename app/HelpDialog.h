#pragma once

#include <QDialog>

// FrmHelp: how the workbook export and import are used.
class HelpDialog : public QDialog
{
    Q_OBJECT
public:
    explicit HelpDialog(QWidget *parent = nullptr);

    // The help text as written: every line, the last one too, ends with CR LF.
    static QString HelpText();
};
