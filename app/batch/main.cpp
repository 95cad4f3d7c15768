#include "app/batch/BatchDocuments.h"
#include "app/batch/BatchOptions.h"
#include "app/batch/BatchRun.h"
#include "common/ConsoleOutput.h"
#include "common/OneJob.h"
#include "common/ProcessArguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTextStream>

namespace {

// The whole run in quilvar-batch-documents, its output and exit status passed on as they come.
int runWithDocuments(const QStringList &arguments, QTextStream &err)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.setInputChannelMode(QProcess::ForwardedInputChannel);
    child.start(QDir(QCoreApplication::applicationDirPath()).filePath(BatchDocumentsProgram()), arguments);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit) {
        err << "quilvar-batch：无法写出报价单文件：" << BatchDocumentsProgram() << "（应与 quilvar-batch 在同一文件夹）"
            << (child.error() == QProcess::FailedToStart ? "无法启动。" : "意外结束。") << '\n';
        return BatchWorkbookFailed;
    }
    return child.exitCode();
}

} // namespace

int main(int argc, char *argv[])
{
    PrepareHeapForOneJob();
    // The arguments are the host's, every one of them: Qt is handed none (it would take "-reverse"
    // or "-platform" out of a tour name). On Windows they come from the wide command line, so that
    // Chinese file names arrive whole whatever the system's code page.
    const QStringList arguments = ProcessArguments(argc, argv);
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QCoreApplication application(qtArgc, qtArgv);
    ConsoleOutput outDevice(stdout);
    ConsoleOutput errDevice(stderr);
    QTextStream out(&outDevice);
    QTextStream err(&errDevice);
    // Only a run that writes the customer's documents pays for Qt's graphical side: the options
    // table says which do, and such a run goes whole to the program that links it.
    BatchOptions options;
    QString error;
    if (ParseBatchArguments(arguments, &options, &error) && BatchNeedsGui(options))
        return runWithDocuments(arguments, err);
    return RunBatch(arguments, out, err, QCoreApplication::applicationDirPath(), [&](int status) {
        // The sheet goes with the process. A database connection still open closes with its sockets,
        // as when any client ends: each statement was committed as it ran (ODBC's default).
        out.flush();
        err.flush();
        EndOneJob(status);
    });
}
