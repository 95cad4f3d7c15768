#include "app/CalculatorWindow.h"
#include "app/CommandLine.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    // The arguments as the platform hands them, before Qt takes out options of its own.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quilvar"));
    QApplication::setDesktopFileName(QStringLiteral("quilvar"));

    const QString iniFilePath = IniFilePathFor(QCoreApplication::applicationDirPath());
    const CommandLine commandLine = CutCommandLine(ArgumentsText(arguments));
    CalculatorWindow window;
    window.setIniFilePath(iniFilePath);
    if (commandLine.hasQuery) {
        window.CzTable(commandLine.query);
        if (commandLine.headCountText)
            window.setHeadCountText(*commandLine.headCountText);
    }
    window.show();
    window.update();
    return app.exec();
}
