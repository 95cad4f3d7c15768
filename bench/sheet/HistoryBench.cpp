#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"
#include "sheet/SheetHistory.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

// A full sheet: every row ticked, priced per room, night and person.
void fill(CostSheet &sheet)
{
    while (sheet.rowCount() < CostSheet::MaxRows)
        sheet.AddRow();
    sheet.rewriteRows([](int position, CostLine &line) {
        line.Category = QStringLiteral("房");
        line.Content = QStringLiteral("如家快捷酒店 %1 号店").arg(position);
        line.Expression = QStringLiteral("单价: %1.50 × 12间 × 2晚 × 3人").arg(100 + position % 900);
        line.AmountText = QStringLiteral("%1.5").arg(position * 7);
        line.Included = true;
    });
    sheet.setText3(QStringLiteral("3"));
    sheet.RefreshTotals();
}

qint64 heapInUse()
{
    return qint64(mallinfo2().uordblks);
}

// The step to undo: a head-count refresh, which rewrites every row.
void BM_UndoRefresh(benchmark::State &state)
{
    CostSheet sheet;
    fill(sheet);
    SheetHistory history(sheet);
    sheet.setText3(QStringLiteral("25"));
    RefreshHeadCount(sheet);
    history.checkpoint();
    for (auto _ : state) {
        history.undo();
        state.PauseTiming();
        history.redo();
        state.ResumeTiming();
    }
    state.counters["rows"] = sheet.rowCount();
}
BENCHMARK(BM_UndoRefresh)->Unit(benchmark::kMillisecond);

void BM_RedoRefresh(benchmark::State &state)
{
    CostSheet sheet;
    fill(sheet);
    SheetHistory history(sheet);
    sheet.setText3(QStringLiteral("25"));
    RefreshHeadCount(sheet);
    history.checkpoint();
    for (auto _ : state) {
        state.PauseTiming();
        history.undo();
        state.ResumeTiming();
        history.redo();
    }
    state.counters["rows"] = sheet.rowCount();
}
BENCHMARK(BM_RedoRefresh)->Unit(benchmark::kMillisecond);

// What closing a step costs after one row changed (each keystroke of the expression editor).
void BM_CheckpointAfterOneRow(benchmark::State &state)
{
    CostSheet sheet;
    fill(sheet);
    SheetHistory history(sheet);
    int k = 0;
    for (auto _ : state) {
        sheet.setAmountText(16000, QString::number(++k));
        history.checkpoint(1); // one editing session: merged, as the window does
    }
}
BENCHMARK(BM_CheckpointAfterOneRow)->Unit(benchmark::kMicrosecond);

// A full history (200 steps) of one-row edits over a full sheet: the heap it takes beyond the sheet.
void BM_FullHistoryOfEdits(benchmark::State &state)
{
    for (auto _ : state) {
        CostSheet sheet;
        fill(sheet);
        SheetHistory history(sheet);
        const qint64 before = heapInUse();
        for (int k = 0; k < SheetHistory::DefaultStepLimit; ++k) {
            sheet.setContent(1 + (k * 163) % sheet.rowCount(), QStringLiteral("改 %1").arg(k));
            history.checkpoint();
        }
        state.counters["steps"] = history.undoCount();
        state.counters["heap_MiB"] = double(heapInUse() - before) / (1 << 20);
        state.counters["estimate_MiB"] = double(history.estimatedBytes()) / (1 << 20);
    }
}
BENCHMARK(BM_FullHistoryOfEdits)->Iterations(1)->Unit(benchmark::kMillisecond);

// Head-count refreshes one after another over a full sheet: every step rewrites every row, so the
// byte budget, not the step limit, bounds the history.
void BM_FullHistoryOfRefreshes(benchmark::State &state)
{
    for (auto _ : state) {
        CostSheet sheet;
        fill(sheet);
        SheetHistory history(sheet);
        const qint64 before = heapInUse();
        qint64 peak = 0;
        for (int k = 0; k < SheetHistory::DefaultStepLimit; ++k) {
            sheet.setText3(QString::number(4 + k % 40));
            RefreshHeadCount(sheet);
            history.checkpoint();
            peak = qMax(peak, heapInUse() - before);
        }
        state.counters["steps"] = history.undoCount();
        state.counters["heap_MiB"] = double(heapInUse() - before) / (1 << 20);
        state.counters["peak_MiB"] = double(peak) / (1 << 20);
        state.counters["estimate_MiB"] = double(history.estimatedBytes()) / (1 << 20);
    }
}
BENCHMARK(BM_FullHistoryOfRefreshes)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
