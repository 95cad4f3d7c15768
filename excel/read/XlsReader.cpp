#include "excel/read/XlsReader.h"

#include "common/AddressSanitizer.h"
#include "excel/read/ReadTexts.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/XlsReaderOutput.h"

#include "common/ChildProcessLimits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>

// The file is read in quilvar-xls-reader (excel/read/XlsReaderMain.cpp): whatever a hostile workbook
// makes the reading do must end the child, not the program.
namespace {

using Kind = WorkbookError::Kind;

// Far beyond the longest a quote workbook takes; a child that runs longer is stuck on a damaged file.
constexpr int TimeLimitMs = 10000;
// Far more than the texts of the cells of any sensible quote.
constexpr qint64 MaxOutputBytes = 64 * 1024 * 1024;
#ifndef QUILVAR_ADDRESS_SANITIZER
// The reader holds the workbook stream in memory; this bounds what any file can make it take.
constexpr qint64 ChildMemory = qint64(1) << 30;
#else
constexpr qint64 ChildMemory = 0;
#endif
// Processor time: the program ends the child at the time limit; this ends it should the program
// be gone.
constexpr int ChildCpuSeconds = 2 * TimeLimitMs / 1000;

// The reader's file name, as the build made it.
const QString ReaderFileName = QStringLiteral(QUILVAR_XLS_READER_FILE_NAME);

QString &readerOverride()
{
    static QString path;
    return path;
}

// Beside the executable and nowhere else: a program found anywhere else could be anyone's.
QString readerProgram()
{
    if (!readerOverride().isEmpty())
        return readerOverride();
    if (!QCoreApplication::instance())
        return QString(); // no program folder known: the start fails and is told as a failure
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + ReaderFileName;
}

void prepareChild(QProcess &process, ChildProcessLimits &limits)
{
    process.setStandardInputFile(QProcess::nullDevice());
    // Whatever the child says on failure (a sanitizer's report) is of no use to the planner.
    process.setStandardErrorFile(QProcess::nullDevice());
#ifdef QUILVAR_ADDRESS_SANITIZER
    // Allocations are bounded here the way the address-space limit bounds them in an ordinary build.
    // The child's reports go nowhere, so they are not symbolized (that would take longer than the
    // reading); a leak still ends it with a failure, which the tests see as a damaged workbook.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString options = QStringLiteral("allocator_may_return_null=1:max_allocation_size_mb=1024:"
                                           "hard_rss_limit_mb=2048:symbolize=0");
    const QString before = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       before.isEmpty() ? options : before + QLatin1Char(':') + options);
    process.setProcessEnvironment(environment);
#endif
    limits.prepare(process);
}

// What the child wrote, decoded as it comes (into the grid), until the child ends, the time runs out
// or it says more than any quote holds.
struct ChildOutput
{
    QByteArray piece = QByteArray(64 * 1024, Qt::Uninitialized); // what each read takes, one for all
    qint64 size = 0;
    bool malformed = false; // the bytes can be no result: the rest is not decoded
    bool tooLarge = false;
    bool timedOut = false;
};

void collect(QProcess &process, XlsReaderOutput::Decoder &decoder, ChildOutput &output)
{
    QByteArray &piece = output.piece;
    while (!output.tooLarge && process.bytesAvailable() > 0) {
        const qint64 got = process.read(piece.data(), std::min<qint64>(piece.size(), MaxOutputBytes + 1 - output.size));
        if (got <= 0)
            break;
        output.size += got;
        output.tooLarge = output.size > MaxOutputBytes;
        if (!output.malformed && !output.tooLarge)
            output.malformed = !decoder.feed(QByteArrayView(piece).first(got));
    }
}

ChildOutput collectOutput(QProcess &process, QDeadlineTimer deadline, XlsReaderOutput::Decoder &decoder)
{
    ChildOutput output;
    while (process.state() != QProcess::NotRunning && !output.tooLarge) {
        if (deadline.hasExpired()) {
            output.timedOut = true;
            break;
        }
        const int wait = int(std::max<qint64>(1, deadline.remainingTime()));
        if (!process.waitForReadyRead(wait) && process.state() != QProcess::NotRunning)
            process.waitForFinished(int(std::max<qint64>(1, deadline.remainingTime())));
        collect(process, decoder, output);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    } else if (!output.tooLarge) {
        collect(process, decoder, output);
    }
    return output;
}

bool interpret(const QProcess &process, const ChildOutput &output, XlsReaderOutput::Decoder &decoder, CellGrid *grid,
               WorkbookError *error)
{
    const QString damaged = ReadText::damaged();
    if (output.timedOut)
        return WorkbookError::fail(
            error, Kind::ReaderFailed,
            QStringLiteral("读取工作簿超过 %1 秒仍未完成，工作簿可能已损坏。").arg(TimeLimitMs / 1000));
    if (output.tooLarge || decoder.overBudget())
        return WorkbookError::fail(error, Kind::OverBudget, QStringLiteral("工作簿中的文字过多，无法读取。"));
    if (process.exitStatus() != QProcess::NormalExit)
        return WorkbookError::fail(error, Kind::Damaged, damaged);
    XlsReaderResult result;
    const int exitCode = process.exitCode();
    if ((exitCode != 0 && exitCode != 1) || output.malformed || !decoder.finish(&result) ||
        result.ok != (exitCode == 0))
        return WorkbookError::fail(error, Kind::Damaged, damaged);
    if (!result.ok)
        return WorkbookError::fail(error, result.error.kind, result.error.text);
    if (result.textBeyond)
        grid->markTextBeyond();
    return true;
}

} // namespace

void UseXlsReaderProgram(const QString &path)
{
    readerOverride() = path;
}

bool ReadXlsFile(const QString &path, const ReadLimits &limits, CellGrid *grid, WorkbookError *error)
{
    *grid = CellGrid(limits.maxColumns);
    const QString program = readerProgram();
    QProcess process;
    ChildProcessLimits childLimits({ChildMemory, ChildCpuSeconds});
    prepareChild(process, childLimits);
    process.start(program,
                  {path, QString::number(std::max(0, limits.maxRows)), QString::number(std::max(0, limits.maxColumns)),
                   QString::number(std::max(1, limits.firstRow))});
    const QDeadlineTimer deadline(TimeLimitMs);
    if (!process.waitForStarted(int(std::max<qint64>(1, deadline.remainingTime()))) || !childLimits.started(process)) {
        process.kill();
        process.waitForFinished(1000);
        return WorkbookError::fail(
            error, Kind::ReaderFailed,
            QStringLiteral("无法启动读取 .xls 工作簿的程序“%1”：请重新安装本程序。").arg(program));
    }
    CellGrid read(limits.maxColumns);
    XlsReaderOutput::Decoder decoder(limits, &read);
    const ChildOutput output = collectOutput(process, deadline, decoder);
    if (!interpret(process, output, decoder, &read, error))
        return false;
    *grid = std::move(read);
    return true;
}
