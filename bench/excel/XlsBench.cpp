// The import of a 500-line legacy .xls quote (written by LibreOffice, formulas in 金额): the parser
// alone, the parser in its child process as the program runs it, and quilvar-batch --import as a
// whole process. Prints the median of each; run a Release build.
#include "excel/read/XlsReader.h"
#include "excel/read/XlsWorkbook.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QString Sample = QStringLiteral(QUILVAR_XLS_SAMPLE);

double medianMilliseconds(int runs, const std::function<bool()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return -1;
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    QFile file(Sample);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(Sample));
        return 1;
    }
    const QByteArray bytes = file.readAll();

    const double parser = medianMilliseconds(201, [&] {
        const XlsReaderResult result = ReadXlsWorkbook(bytes, ReadLimits{});
        return result.ok && result.cells.size() > 2000;
    });
    const double child = medianMilliseconds(51, [&] {
        CellGrid grid;
        return ReadXlsFile(Sample, ReadLimits{}, &grid, nullptr) && grid.rowCount() > 500;
    });
    const double batch = medianMilliseconds(31, [&] {
        QProcess process;
        process.start(QStringLiteral(QUILVAR_BATCH_EXECUTABLE), {QStringLiteral("--import"), Sample});
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    });
    const double empty = medianMilliseconds(31, [&] {
        QProcess process;
        process.start(QStringLiteral(QUILVAR_BATCH_EXECUTABLE), {QStringLiteral("--recalc")});
        return process.waitForFinished(30000) && process.exitCode() == 0;
    });
    std::printf("500-line .xls (%lld bytes), medians:\n", static_cast<long long>(bytes.size()));
    std::printf("  parser in process:                   %8.3f ms\n", parser);
    std::printf("  read through quilvar-xls-reader:     %8.3f ms\n", child);
    std::printf("  quilvar-batch --import, whole process: %6.3f ms (target 20 ms)\n", batch);
    std::printf("  quilvar-batch --recalc, no workbook:   %6.3f ms (the process alone)\n", empty);
    return parser < 0 || child < 0 || batch < 0 ? 1 : 0;
}
