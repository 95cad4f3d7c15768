#pragma once

#include <QString>

class QWidget;

// Composes ConnStr from the settings file and opens MainConn with it. When that fails: the
// connection-error message, then the settings window, modal; its closing opens MainConn with the
// corrected values or ends the program.
void OpenConn(const QString &iniPath, QWidget *parent = nullptr);
