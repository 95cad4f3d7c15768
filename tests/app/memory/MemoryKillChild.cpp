// A calculator's memory without its window, changing its sheet as fast as it can until it is killed.
// Usage: memory_kill_child FOLDER SEED. After every state written it prints "written N".
#include "app/memory/SheetMemory.h"
#include "tests/app/memory/MemoryChanges.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const quint32 seed = quint32(QByteArray(argv[2]).toUInt());
    CostSheet sheet;
    StartSheet(sheet);
    SheetMemory memory(sheet, QString::fromLocal8Bit(argv[1]));
    memory.start();
    QObject::connect(&memory, &SheetMemory::problem,
                     [](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    int step = 0;
    QTimer changes;
    QObject::connect(&changes, &QTimer::timeout, [&] { ApplyChange(sheet, seed, ++step); });
    changes.start(2);
    QTimer report;
    qint64 told = 0;
    QObject::connect(&report, &QTimer::timeout, [&] {
        if (memory.lastWritten() != told) {
            told = memory.lastWritten();
            std::printf("written %lld\n", told);
            std::fflush(stdout);
        }
    });
    report.start(1);
    return app.exec();
}
