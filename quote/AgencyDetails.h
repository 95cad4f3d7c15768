#pragma once

#include <QString>

// The agency's own details, printed at the head and foot of every customer quote. Set once and
// kept in default.ini, section "Agency", beside the connection and quote settings.
struct AgencyDetails
{
    QString name;
    QString address;
    QString telephone;
    QString contact;
    QString licence;
    QString logo;   // a PNG or JPEG beside default.ini (its file name), or empty
    QString footer; // payment and cancellation terms, free text, lines kept

    bool operator==(const AgencyDetails &other) const = default;
};

// The stored details; all empty when the section holds none. The logo as its file name.
AgencyDetails ReadAgencyDetails(const QString &iniPath);
// The logo's full path, or empty when there is none or its file is gone.
QString AgencyLogoPath(const AgencyDetails &details, const QString &iniPath);
// All the details in one rewrite of the file; false with the reason when they are not stored.
bool WriteAgencyDetails(const AgencyDetails &details, const QString &iniPath, QString *error);
// Copies a PNG or JPEG beside the settings file; its name there goes to *fileName. False with the
// reason for a file that is not a PNG or JPEG image or cannot be copied.
bool CopyAgencyLogo(const QString &source, const QString &iniPath, QString *fileName, QString *error);

// The last quote number a document was written with, and its record.
QString ReadLastQuoteNumber(const QString &iniPath);
bool WriteLastQuoteNumber(const QString &number, const QString &iniPath, QString *error);
