#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"

#include <benchmark/benchmark.h>

namespace {

// A full sheet: every row ticked, priced per room, night and person.
void fill(CostSheet &sheet)
{
    while (sheet.rowCount() < CostSheet::MaxRows)
        sheet.AddRow();
    sheet.rewriteRows([](int position, CostLine &line) {
        line.Category = QStringLiteral("房");
        line.Expression = QStringLiteral("单价: %1.50 × 12间 × 2晚 × 3人").arg(100 + position % 900);
        line.AmountText = QStringLiteral("%1.5").arg(position * 7);
        line.Included = true;
    });
}

void BM_RefreshTotals(benchmark::State &state)
{
    CostSheet sheet;
    fill(sheet);
    sheet.setText3(QStringLiteral("25"));
    for (auto _ : state)
        sheet.RefreshTotals();
    state.counters["rows"] = sheet.rowCount();
}
BENCHMARK(BM_RefreshTotals)->Unit(benchmark::kMillisecond);

void BM_HeadCountChange(benchmark::State &state)
{
    CostSheet sheet;
    fill(sheet);
    sheet.RefreshTotals();
    int i = 0;
    for (auto _ : state)
        sheet.setText3(QString::number(20 + (++i % 2)));
    state.counters["rows"] = sheet.rowCount();
}
BENCHMARK(BM_HeadCountChange)->Unit(benchmark::kMicrosecond);

void BM_RefreshHeadCount(benchmark::State &state)
{
    CostSheet sheet;
    fill(sheet);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sheet.setText3(QString::number(20 + (++i % 7)));
        state.ResumeTiming();
        RefreshHeadCount(sheet);
    }
    state.counters["rows"] = sheet.rowCount();
}
BENCHMARK(BM_RefreshHeadCount)->Unit(benchmark::kMillisecond);

} // namespace
