#include "app/batch/BatchRun.h"
#include "common/ConsoleOutput.h"
#include "common/ProcessArguments.h"
#include "quote/PdfFonts.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    // The arguments are the host's, every one of them: Qt is handed none (it would take "-reverse"
    // or "-platform" out of a tour name). On Windows they come from the wide command line, so that
    // Chinese file names arrive whole whatever the system's code page.
    const QStringList arguments = ProcessArguments(argc, argv);

    // Some options draw with the system's fonts, which need Qt's graphical side; nothing is drawn
    // in a window, so it runs on the offscreen platform on a machine without a display.
    BatchOptions options;
    QString error;
    const bool gui = ParseBatchArguments(arguments, &options, &error) && BatchNeedsGui(options);
    char platform[] = "-platform";
    char offscreen[] = "offscreen";
    char *qtArgv[] = {argv[0], platform, offscreen, nullptr};
    int qtArgc = gui ? 3 : 1;
    std::unique_ptr<QCoreApplication> application;
    if (gui) {
        ShowSystemFontsOffscreen();
        application = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
    } else
        application = std::make_unique<QCoreApplication>(qtArgc, qtArgv);

    ConsoleOutput outDevice(stdout);
    ConsoleOutput errDevice(stderr);
    QTextStream out(&outDevice);
    QTextStream err(&errDevice);
    return RunBatch(arguments, out, err, QCoreApplication::applicationDirPath());
}
