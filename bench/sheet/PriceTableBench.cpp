// quilvar-batch --import (1,000 rows) --headcounts (20 group sizes) --json, timed as a whole process.
#include "excel/QuoteExport.h"
#include "sheet/CostSheet.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString writeQuote(const QTemporaryDir &dir)
{
    CostSheet sheet;
    QList<CostLine> rows;
    for (int k = 1; k <= 1000; ++k)
        rows.append({QString::number(k), QStringLiteral("房"), QStringLiteral("第 %1 晚").arg(k),
                     QStringLiteral("单价: %1.50 × 12间 × 2晚 × 3人").arg(100 + k % 900), QStringLiteral("1"), true});
    sheet.replaceRows(rows);
    sheet.setText3(QStringLiteral("3"));
    sheet.RefreshTotals();
    const QString path = dir.filePath(QStringLiteral("quote.xlsx"));
    if (!WriteQuoteWorkbook(sheet, path, nullptr))
        qFatal("cannot write the quote");
    return path;
}

void BM_PriceTable20BreaksProcess(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString quote = writeQuote(dir);
    QStringList counts;
    for (int k = 0; k < 20; ++k)
        counts.append(QString::number(10 + 2 * k));
    const QStringList arguments = {QStringLiteral("--import"), quote, QStringLiteral("--headcounts"),
                                   counts.join(QLatin1Char(',')), QStringLiteral("--json")};
    for (auto _ : state) {
        QProcess process;
        process.start(QStringLiteral(QUILVAR_BATCH_EXECUTABLE), arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            state.SkipWithError("quilvar-batch failed");
        benchmark::DoNotOptimize(process.readAllStandardOutput());
    }
    state.counters["rows"] = 1000;
    state.counters["breaks"] = 20;
}
BENCHMARK(BM_PriceTable20BreaksProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
