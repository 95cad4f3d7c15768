#pragma once

#include <QString>

class CostSheet;
class QWidget;

// The main window's CzTable: OpenConn, then the fill from the query on a connection of its own
// (opened with the text MainConn is open with, so that corrections made in the settings window
// count). A failed fill shows the error's number and description and ends the program. Returns
// true when the sheet was filled; false only when ending the program was replaced (tests).
bool RunCzTable(CostSheet &sheet, const QString &query, const QString &iniPath, QWidget *parent = nullptr);
