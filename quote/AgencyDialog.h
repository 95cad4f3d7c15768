#pragma once

#include "quote/AgencyDetails.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

// 报价单抬头: the agency's details for the head and foot of every customer quote, kept in
// default.ini. OK stores them (and copies a new logo beside the settings file); a failure keeps
// the dialog open with the reason.
class AgencyDialog : public QDialog
{
    Q_OBJECT
public:
    AgencyDialog(const QString &iniFilePath, QWidget *parent = nullptr);

    void accept() override;

private:
    void chooseLogo();
    void showLogo();

    QString m_iniFilePath;
    AgencyDetails m_details;
    QString m_newLogo; // a file chosen in this dialog, copied on OK
    QLineEdit *m_name, *m_address, *m_telephone, *m_contact, *m_licence;
    QLabel *m_logo;
    QPlainTextEdit *m_footer;
};
