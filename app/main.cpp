#include "app/CalculatorWindow.h"
#include "app/CommandLine.h"
#include "app/QtTranslations.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The host's arguments reach the program whole; Qt sees none of them.
    HostArguments host(argc, argv);
    QApplication app(host.qtArgc(), host.qtArgv());
    QApplication::setApplicationName(QStringLiteral("quilvar"));
    QApplication::setDesktopFileName(QStringLiteral("quilvar"));
    LoadQtChineseTranslations(app);

    CalculatorWindow window;
    StartCalculator(window, host.text(), SettingsFileFor(QCoreApplication::applicationDirPath()));
    return app.exec();
}
