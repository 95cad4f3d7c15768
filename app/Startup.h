#pragma once

#include <QString>

class CalculatorWindow;

// What happens before the planner sees the window: with a host's query on the command line the
// window fills its sheet from it (CzTable) and then takes the head count; then it is shown. A
// failed fill ends the program, and the window is never shown.
void StartCalculator(CalculatorWindow &window, const QString &argumentsText, const QString &iniFilePath);
