// What keeping the sheet costs the interface thread per change, at 500 and 32,766 rows: the change
// itself, then handing the state to the writer (which copies the rows the next change touches),
// against the change alone; and the writer thread's own time for one state.
#include "app/memory/SheetFolder.h"
#include "app/memory/SheetMemory.h"
#include "sheet/CostSheet.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void fill(CostSheet &sheet, int rows)
{
    QList<CostLine> lines;
    for (int k = 1; k <= rows; ++k)
        lines.append(CostLine(QString::number(k), QStringLiteral("房"), QStringLiteral("北京饭店 标准间 %1").arg(k),
                              QStringLiteral("单价: 350.00 × 12间 × 5晚"), QStringLiteral("21000"), true));
    sheet.replaceRows(lines);
}

void BM_ChangeAlone(benchmark::State &state)
{
    CostSheet sheet;
    fill(sheet, int(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        ++i;
        sheet.setContent(1 + i % sheet.rowCount(), QString::number(i));
    }
}
BENCHMARK(BM_ChangeAlone)->Arg(500)->Arg(CostSheet::MaxRows)->Unit(benchmark::kMillisecond);

void BM_ChangeKept(benchmark::State &state)
{
    QTemporaryDir dir;
    CostSheet sheet;
    fill(sheet, int(state.range(0)));
    SheetMemory memory(sheet, dir.path());
    memory.start();
    int i = 0;
    for (auto _ : state) {
        ++i;
        sheet.setContent(1 + i % sheet.rowCount(), QString::number(i));
        memory.handOver();
        state.PauseTiming();
        memory.flush(); // the writer's time is its own thread's, not the interface's
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ChangeKept)->Arg(500)->Arg(CostSheet::MaxRows)->Unit(benchmark::kMillisecond);

void BM_WriterThreadPerState(benchmark::State &state)
{
    QTemporaryDir dir;
    CostSheet sheet;
    fill(sheet, int(state.range(0)));
    SheetRecord record;
    record.rows = sheet.rows();
    record.started = record.changed = QDateTime::currentDateTimeUtc();
    for (auto _ : state)
        WriteRecordFile(dir.filePath(QStringLiteral("bench.qsheet")), record, nullptr);
}
BENCHMARK(BM_WriterThreadPerState)->Arg(500)->Arg(CostSheet::MaxRows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
