#include "WindowTests.h"

#include "app/memory/SheetFolder.h"

#include <QTemporaryDir>
#include <QTimer>

void answerNextModal(std::function<void(QWidget *)> check)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        check(modal);
        modal->close();
    });
    timer->start();
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Dialogs::setScripted(true);
    // Every calculator of the tests keeps its sheet here, never in the user's folder.
    QTemporaryDir sheets;
    SheetFolder::setPathForTests(sheets.path());
    int status = 0;
    for (auto run : {runControlJsjTests, runCalculatorWindowTests, runSheetEditCommandsTests, runMemoryWindowTests})
        status |= run(argc, argv);
    return status;
}
