#include "db/OpenConn.h"

#include "common/Dialogs.h"
#include "db/ConnectionSettings.h"
#include "db/Database.h"
#include "db/FrmSJKLj.h"
#include "db/ProgramExit.h"
#include "sheet/QueryFill.h"

void OpenConn(const QString &iniPath, QWidget *parent)
{
    const auto missingFile = [parent] {
        Dialogs::message(parent, MissingIniMessage, MissingIniTitle, Dialogs::Icon::Critical);
    };
    if (OpenMainConn(iniPath, missingFile, nullptr))
        return;
    Dialogs::message(parent, ConnectErrorMessage, ConnectErrorTitle, Dialogs::Icon::Warning);
    FrmSJKLj window(iniPath, parent);
    window.exec();
}

bool RunCzTable(CostSheet &sheet, const QString &query, const QString &iniPath, QWidget *parent)
{
    OpenConn(iniPath, parent);
    if (!MainConn().isOpen())
        return false;
    DbError error;
    if (FillSheetOnOwnConnection(sheet, MainConn().connectionString(), query, &error))
        return true;
    Dialogs::message(parent, FillErrorText(error), FillErrorTitle, Dialogs::Icon::Critical);
    EndProgram(1);
    return false;
}
