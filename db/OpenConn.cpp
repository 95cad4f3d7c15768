#include "db/OpenConn.h"

#include "common/Dialogs.h"
#include "db/ConnectionSettings.h"
#include "db/Database.h"
#include "db/FrmSJKLj.h"

void OpenConn(const QString &iniPath, QWidget *parent)
{
    const auto missingFile = [parent] {
        Dialogs::message(parent, MissingIniMessage, MissingIniTitle, Dialogs::Icon::Critical);
    };
    DbError error;
    if (OpenMainConn(iniPath, missingFile, &error))
        return;
    // A server refused for want of encryption is named, so that an administrator knows the way out.
    const QString text = error.kind == DbError::Kind::PlainLoginRefused
                             ? ConnectErrorMessage + QStringLiteral("\r\n\r\n") + error.description
                             : ConnectErrorMessage;
    Dialogs::message(parent, text, ConnectErrorTitle, Dialogs::Icon::Warning);
    FrmSJKLj window(iniPath, parent);
    window.exec();
}
