#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"

#include <benchmark/benchmark.h>

#include <memory>

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

// The rows an import or a fill hands over: a full sheet written into a fresh one, then its totals.
void BM_WriteRows(benchmark::State &state)
{
    QList<RowTexts> rows;
    rows.reserve(CostSheet::MaxRows);
    for (int i = 1; i <= CostSheet::MaxRows; ++i)
        rows.append({QStringLiteral("房"), QStringLiteral("第%1项 北京饭店 标准间（含早）").arg(i),
                     QStringLiteral("单价: 580.00 × 15间 × 5晚"), QStringLiteral("%1.5").arg(i * 7)});
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = std::make_unique<CostSheet>();
        sheet->setText3(QStringLiteral("25"));
        QList<RowTexts> handed = rows;
        handed.detach(); // handed over whole, as the import and the fill hand theirs
        state.ResumeTiming();
        sheet->writeRows(1, std::move(handed));
        benchmark::DoNotOptimize(sheet->Text4());
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_WriteRows)->Unit(benchmark::kMillisecond);

} // namespace
