#include "app/Startup.h"

#include "app/CalculatorWindow.h"
#include "app/CommandLine.h"

void StartCalculator(CalculatorWindow &window, const QString &argumentsText, const QString &iniFilePath)
{
    window.setIniFilePath(iniFilePath);
    const CommandLine commandLine = CutCommandLine(argumentsText);
    if (commandLine.hasQuery) {
        // The totals are computed while the head-count box still holds its earlier text; setting
        // the head count afterwards recomputes the per-head amount from that total.
        if (!window.CzTable(commandLine.query))
            return;
        if (commandLine.headCountText)
            window.setHeadCountText(*commandLine.headCountText);
    }
    // A host's launch is never interrupted by a note about an earlier calculator.
    window.noteLastEnd(!commandLine.hasQuery);
    window.show();
    window.update();
}
