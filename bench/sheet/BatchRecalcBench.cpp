#include "app/batch/BatchRun.h"
#include "sheet/CostSheet.h"

#include <benchmark/benchmark.h>

namespace {

// quilvar-batch --recalc over a full sheet whose every expression is rewritten (typed without the
// editor's two decimals), so that every row is written back.
void BM_BatchRecalc(benchmark::State &state)
{
    QList<RowTexts> rows;
    for (int i = 0; i < state.range(0); ++i)
        rows.append({QStringLiteral("房"), {}, QStringLiteral("单价: %1 × 12间 × 2晚 × 3人").arg(100 + i % 900), {}});
    for (auto _ : state) {
        state.PauseTiming();
        CostSheet sheet;
        sheet.writeRows(1, rows);
        state.ResumeTiming();
        RecalcRows(sheet);
        benchmark::DoNotOptimize(sheet.Text1());
    }
    state.counters["rows"] = double(state.range(0));
}
BENCHMARK(BM_BatchRecalc)->Arg(4000)->Arg(16000)->Arg(CostSheet::MaxRows)->Unit(benchmark::kMillisecond);

} // namespace
