#include "sheet/QueryFillWindow.h"

#include "common/Dialogs.h"
#include "common/ProgramExit.h"
#include "db/Database.h"
#include "db/OpenConn.h"
#include "sheet/QueryFill.h"

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
