#include "app/CalculatorWindow.h"
#include "app/CommandLine.h"
#include "app/Startup.h"

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

    CalculatorWindow window;
    StartCalculator(window, ArgumentsText(arguments), IniFilePathFor(QCoreApplication::applicationDirPath()));
    return app.exec();
}
