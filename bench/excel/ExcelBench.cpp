// Export and import of a 500-row quote, and the import against openpyxl reading the same file.
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/WorkbookReader.h"
#include "sheet/CostSheet.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "TestZip.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rows = 500;

void fill(CostSheet &sheet)
{
    QList<CostLine> rows;
    const QStringList &categories = CostSheet::Categories();
    for (int k = 1; k <= Rows; ++k) {
        rows.append({QString::number(k), categories.at(k % categories.size()),
                     QStringLiteral("第%1天 酒店标准间（含早）").arg(k),
                     QStringLiteral("单价: %1.50 × 12间 × 3天 × 2人").arg(100 + k), QString::number(k * 108 + 0.5),
                     true});
    }
    sheet.replaceRows(rows);
    sheet.setText3(QStringLiteral("24"));
    sheet.RefreshTotals();
}

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString sampleFile()
{
    static const QString path = [] {
        const QString file = scratch().filePath(QStringLiteral("quote500.xlsx"));
        CostSheet sheet;
        fill(sheet);
        WorkbookError error;
        if (!WriteQuoteWorkbook(sheet, file, &error))
            std::fprintf(stderr, "%s\n", qPrintable(error.text));
        return file;
    }();
    return path;
}

void BM_Export500(benchmark::State &state)
{
    CostSheet sheet;
    fill(sheet);
    const QString file = scratch().filePath(QStringLiteral("export.xlsx"));
    for (auto _ : state) {
        WorkbookError error;
        if (!WriteQuoteWorkbook(sheet, file, &error))
            state.SkipWithError(qPrintable(error.text));
    }
}
BENCHMARK(BM_Export500)->Unit(benchmark::kMillisecond);

void BM_Import500(benchmark::State &state)
{
    const QString file = sampleFile();
    CostSheet sheet;
    for (auto _ : state) {
        WorkbookError error;
        if (!InExcel(sheet, file, &error))
            state.SkipWithError(qPrintable(error.text));
        sheet.RefreshTotals();
    }
}
BENCHMARK(BM_Import500)->Unit(benchmark::kMillisecond);

void BM_ReadXlsx500(benchmark::State &state)
{
    const QString file = sampleFile();
    for (auto _ : state) {
        CellGrid grid;
        WorkbookError error;
        ReadFirstWorksheet(file, ReadLimits{}, &grid, &error);
        benchmark::DoNotOptimize(grid);
    }
}
BENCHMARK(BM_ReadXlsx500)->Unit(benchmark::kMillisecond);

// The median of our own import, for the comparison below.
double importMilliseconds()
{
    const QString file = sampleFile();
    std::vector<double> times;
    for (int i = 0; i < 51; ++i) {
        CostSheet sheet;
        QElapsedTimer timer;
        timer.start();
        WorkbookError error;
        InExcel(sheet, file, &error);
        sheet.RefreshTotals();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The whole python3 process that loads the file with openpyxl and reads the same cells, as a host
// script would run it; the median of five runs.
double openpyxlProcessMilliseconds()
{
    const char *script = "import sys, openpyxl\n"
                         "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                         "rows = list(ws.iter_rows(min_row=1, max_row=501, max_col=4, values_only=True))\n";
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        QProcess python;
        QElapsedTimer timer;
        timer.start();
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"), QString::fromUtf8(script), sampleFile()});
        if (!python.waitForFinished(120000) || python.exitCode() != 0)
            return -1;
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// openpyxl loading the same file and reading the same cells, timed inside Python (interpreter
// start-up and the module import left out, in its favour); the median of eleven runs.
double openpyxlMilliseconds()
{
    const char *script = R"(
import sys, time, statistics, openpyxl
times = []
for _ in range(11):
    t = time.perf_counter()
    wb = openpyxl.load_workbook(sys.argv[1])
    ws = wb.worksheets[0]
    cells = [[("" if v is None else str(v)) for v in row] for row in ws.iter_rows(min_row=1, max_row=501, max_col=4, values_only=True)]
    times.append((time.perf_counter() - t) * 1000)
print(statistics.median(times))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), sampleFile()});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        std::fprintf(stderr, "openpyxl run failed: %s\n", python.readAllStandardError().constData());
        return -1;
    }
    return python.readAllStandardOutput().trimmed().toDouble();
}

// One run of a whole process: its wall time and its peak resident memory.
struct ProcessRun
{
    double milliseconds = -1;
    double peakMegabytes = -1;
    double processorMilliseconds = -1; // user + system: what the load of a busy machine leaves alone
    int exitCode = -1;
};

ProcessRun runProcess(const QStringList &command)
{
    std::vector<QByteArray> arguments;
    for (const QString &argument : command)
        arguments.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::fflush(stdout); // or the child would write out what is still buffered
    std::fflush(stderr);
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        // Its output is not what is measured.
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProcessRun run;
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        run.milliseconds = timer.nsecsElapsed() / 1e6;
        run.peakMegabytes = usage.ru_maxrss / 1024.0;
        run.processorMilliseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return run;
}

// The median run of several.
ProcessRun medianRun(const QStringList &command, int runs)
{
    std::vector<ProcessRun> all;
    for (int i = 0; i < runs; ++i)
        all.push_back(runProcess(command));
    std::sort(all.begin(), all.end(),
              [](const ProcessRun &a, const ProcessRun &b) { return a.milliseconds < b.milliseconds; });
    return all[all.size() / 2];
}

const QByteArray SheetNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

QString writeXlsx(const char *name, const QByteArray &prolog, const QByteArray &sheetData)
{
    const QString file = scratch().filePath(QString::fromUtf8(name));
    writeZipForTest(
        file,
        {{"xl/workbook.xml", "<workbook xmlns=\"" + SheetNs +
                                 "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                 "<sheets><sheet name=\"a\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
          "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
          "Target=\"worksheets/sheet1.xml\"/></Relationships>"},
         {"xl/worksheets/sheet1.xml",
          prolog + "<worksheet xmlns=\"" + SheetNs + "\"><sheetData>" + sheetData + "</sheetData></worksheet>"}});
    return file;
}

QString writeOds(const char *name, const QByteArray &table)
{
    const QString file = scratch().filePath(QString::fromUtf8(name));
    writeZipForTest(
        file,
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
         {"content.xml", "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                         "<office:spreadsheet><table:table>" +
                             table + "</table:table></office:spreadsheet></office:body></office:document-content>"}});
    return file;
}

QByteArray quoteRows()
{
    QByteArray rows;
    for (int r = 1; r <= 40; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"inlineStr\"><is><t>" +
                (r == 40 ? QByteArray("合计：43200元/24人＝1800元") : QByteArray("房")) + "</t></is></c><c r=\"D" + n +
                "\"><v>1080</v></c></row>";
    }
    return rows;
}

// A valid workbook whose first sheet holds the quote in its first rows and more than 100 MB of
// XML below it.
QString bigWorkbook()
{
    QByteArray filler;
    for (int r = 41; r < 41 + 1000; ++r)
        filler += "<row><c><v>" + QByteArray::number(r) + "</v></c><c t=\"inlineStr\"><is><t>行</t></is></c></row>";
    const int copies = int(105LL * 1024 * 1024 / filler.size()) + 1;
    return writeXlsx("big.xlsx", QByteArray(), quoteRows() + filler.repeated(copies));
}

void printProcessFigures()
{
    const QString batch = QStringLiteral(QUILVAR_BATCH_EXECUTABLE);
    const QString python = QStringLiteral("/usr/bin/python3");
    const char *script = "import sys, openpyxl\n"
                         "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                         "rows = list(ws.iter_rows(min_row=1, max_row=501, max_col=4, values_only=True))\n";

    // Side by side, alternating, so that both see the same machine.
    std::vector<double> ours, theirs;
    for (int i = 0; i < 9; ++i) {
        ours.push_back(runProcess({batch, QStringLiteral("--import"), sampleFile()}).milliseconds);
        theirs.push_back(
            runProcess({python, QStringLiteral("-c"), QString::fromUtf8(script), sampleFile()}).milliseconds);
    }
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    const double batchMs = ours[ours.size() / 2];
    const double pythonMs = theirs[theirs.size() / 2];
    const ProcessRun help = medianRun({batch, QStringLiteral("--help")}, 9);
    std::printf("\nquilvar-batch --import of %d lines, whole process (median of 9): %.1f ms (target 20 ms); "
                "the process alone (--help): %.1f ms\n",
                Rows, batchMs, help.milliseconds);
    const auto processor = [](const QStringList &command) {
        std::vector<double> times;
        for (int i = 0; i < 15; ++i)
            times.push_back(runProcess(command).processorMilliseconds);
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    std::printf("processor time (user + system, median of 15): /bin/true %.1f ms; quilvar-batch --help %.1f ms "
                "(target 8 ms); --import of %d lines %.1f ms (target 15 ms)\n",
                processor({QStringLiteral("/bin/true")}), processor({batch, QStringLiteral("--help")}), Rows,
                processor({batch, QStringLiteral("--import"), sampleFile()}));
    std::printf("/usr/bin/python3 with openpyxl reading the same file, whole process: %.1f ms; ratio %.1fx "
                "(target at least 10x)\n",
                pythonMs, pythonMs / batchMs);

    struct Hostile
    {
        const char *what;
        QString file;
    } files[] = {
        {"big valid workbook (sheet XML over 100 MB, the quote at the top)", bigWorkbook()},
        {"DTD entity bomb (.xlsx)",
         writeXlsx("bomb.xlsx", entityBomb(),
                   "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>&e20;</t></is></c></row>")},
        {"repeated-space bomb (.ods, 2,004 cells)",
         writeOds("spaces.ods",
                  ("<table:table-row>" +
                   QByteArray("<table:table-cell><text:p><text:s text:c=\"1048000\"/></text:p></table:table-cell>")
                       .repeated(4) +
                   "</table:table-row>")
                      .repeated(501))},
        {"nested row groups (.ods, 200,000 deep)",
         writeOds("nested.ods",
                  QByteArray("<table:table-row-group>").repeated(200000) +
                      "<table:table-row><table:table-cell><text:p>房</text:p></table:table-cell></table:table-row>" +
                      QByteArray("</table:table-row-group>").repeated(200000))},
    };
    for (const Hostile &hostile : files) {
        const ProcessRun run = medianRun({batch, QStringLiteral("--import"), hostile.file}, 3);
        std::printf("%s, %.1f MB file: %s in %.1f ms, peak memory %.1f MB (targets 300 ms / 1 s, 100 MB)\n",
                    hostile.what, QFileInfo(hostile.file).size() / 1048576.0,
                    run.exitCode == 0 ? "imported" : "refused", run.milliseconds, run.peakMegabytes);
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double ours = importMilliseconds();
    const double theirs = openpyxlMilliseconds();
    const double process = openpyxlProcessMilliseconds();
    printProcessFigures();
    std::printf("\nimport of %d rows (median): %.3f ms (target 10 ms)\n", Rows, ours);
    if (process > 0)
        std::printf("python3 + openpyxl process reading the same file: %.1f ms; ratio %.1fx (target at least 20x)\n",
                    process, process / ours);
    if (theirs > 0)
        std::printf("openpyxl load and read alone, inside Python: %.3f ms; ratio %.1fx\n", theirs, theirs / ours);
    return 0;
}
