// Fills the sheet with 32,766 priced, ticked rows, opens the expression editor on one of them and
// times keystrokes in its unit-price field: from the key press to row, total and per-head boxes
// updated and the window repainted. Prints figures; asserts nothing.
#include "app/CalculatorWindow.h"
#include "app/memory/SheetFolder.h"
#include "costline/ControlJsj.h"
#include "costline/Expression.h"
#include "sheet/InPlaceEditing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir sheets;
    SheetFolder::setPathForTests(sheets.path());
    CalculatorWindow window;
    CostSheet &sheet = window.sheet();

    QList<CostLine> rows;
    rows.reserve(CostSheet::MaxRows);
    const BuiltExpression built = BuildStrBds(QStringLiteral("350"), {{"12", "间"}, {"5", "晚"}});
    for (int i = 1; i <= CostSheet::MaxRows; ++i)
        rows.append(CostLine{QString::number(i), QStringLiteral("房"), QStringLiteral("北京饭店 标准间"), built.text,
                             AmountToText(built.amount), true});
    sheet.replaceRows(rows);
    sheet.RefreshTotals();
    window.setHeadCountText(QStringLiteral("25"));
    window.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    const int row = 5;
    sheet.setCurRow(row);
    window.editing().EditCell(ExpressionColumn, row);
    auto *editor = window.findChild<ControlJsj *>(QStringLiteral("ControlJsj1"));
    QLineEdit *price = editor->unitPriceField();
    price->setFocus();
    price->selectAll();
    QCoreApplication::processEvents();

    auto *total =
        window.findChild<QGroupBox *>(QStringLiteral("Frame1"))->findChild<QLineEdit *>(QStringLiteral("Text1"));
    std::vector<double> ms;
    const QString keys = QStringLiteral("1234567890");
    for (int round = 0; round < 10; ++round) {
        for (const QChar c : keys) {
            const Qt::Key key = Qt::Key(Qt::Key_0 + c.digitValue());
            QElapsedTimer timer;
            timer.start();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(price, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(price, &release);
            window.repaint(); // the repaint the update asked for, done now so that it is timed
            ms.push_back(timer.nsecsElapsed() / 1e6);
        }
        price->clear();
        editor->model().setUnitPriceText(QString());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("rows: %d ticked; last row %s, total %s, per head %s\n", sheet.rowCount(),
                qPrintable(sheet.row(row).Expression), qPrintable(total->text()), qPrintable(sheet.Text4()));
    std::printf("keystroke to row, total and per-head shown: median %.2f ms, 90th %.2f ms, max %.2f ms (%zu keys)\n",
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back(), ms.size());
    std::printf("resident memory: %.1f MB\n", residentKiB() / 1024.0);
    return 0;
}
