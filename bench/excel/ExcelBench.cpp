// Export and import of a 500-row quote, and the import against openpyxl reading the same file.
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/WorkbookReader.h"
#include "sheet/CostSheet.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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
        QString error;
        if (!WriteQuoteWorkbook(sheet, file, &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
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
        QString error;
        if (!WriteQuoteWorkbook(sheet, file, &error))
            state.SkipWithError(qPrintable(error));
    }
}
BENCHMARK(BM_Export500)->Unit(benchmark::kMillisecond);

void BM_Import500(benchmark::State &state)
{
    const QString file = sampleFile();
    CostSheet sheet;
    for (auto _ : state) {
        QString error;
        if (!InExcel(sheet, file, &error))
            state.SkipWithError(qPrintable(error));
        sheet.RefreshTotals();
    }
}
BENCHMARK(BM_Import500)->Unit(benchmark::kMillisecond);

void BM_ReadXlsx500(benchmark::State &state)
{
    const QString file = sampleFile();
    for (auto _ : state) {
        CellGrid grid;
        QString error;
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
        QString error;
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
    std::printf("\nimport of %d rows (median): %.3f ms (target 10 ms)\n", Rows, ours);
    if (process > 0)
        std::printf("python3 + openpyxl process reading the same file: %.1f ms; ratio %.1fx (target at least 20x)\n",
                    process, process / ours);
    if (theirs > 0)
        std::printf("openpyxl load and read alone, inside Python: %.3f ms; ratio %.1fx\n", theirs, theirs / ours);
    return 0;
}
