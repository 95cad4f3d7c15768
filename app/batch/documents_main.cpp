#include "app/batch/BatchRun.h"
#include "common/ConsoleOutput.h"
#include "common/ProcessArguments.h"
#include "quote/PdfFonts.h"

#include <QGuiApplication>
#include <QTextStream>

// quilvar-batch with the customer's documents: quilvar-batch starts it for a run with --quote-pdf or
// --quote-xlsx. They are drawn with the system's fonts and the agency's logo, which need Qt's
// graphical side; it draws no window, so it runs on the offscreen platform on a machine without a
// display.
int main(int argc, char *argv[])
{
    const QStringList arguments = ProcessArguments(argc, argv);
    char platform[] = "-platform";
    char offscreen[] = "offscreen";
    char *qtArgv[] = {argv[0], platform, offscreen, nullptr};
    int qtArgc = 3;
    ShowSystemFontsOffscreen();
    QGuiApplication application(qtArgc, qtArgv);
    ConsoleOutput outDevice(stdout);
    ConsoleOutput errDevice(stderr);
    QTextStream out(&outDevice);
    QTextStream err(&errDevice);
    // The settings file beside quilvar-batch is beside this program too.
    return RunBatch(arguments, out, err, QCoreApplication::applicationDirPath());
}
