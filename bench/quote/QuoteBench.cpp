// The group quote's cost: the window following one change of the largest sheet, 32,766 rows, at
// 12 group sizes (from the change to the table updated; a frame is 16 ms), a tick and an edited
// expression; quilvar-batch's quote of a full sheet at 100 sizes (every row's expression its own,
// as on a real sheet); and the customer's PDF of a quote of 32,766 lines. Prints figures; asserts
// nothing.
#include "quote/CustomerQuote.h"
#include "quote/GroupQuote.h"
#include "quote/QuoteWindow.h"
#include "sheet/CostSheet.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A line of the sheet as the editor makes it: its own price, and the amount its expression gives.
std::pair<QString, int> pricedLine(int row)
{
    const int price = 50 + row % 5000;
    const QString text = QStringLiteral("单价: %1.00").arg(price);
    switch (row % 4) {
    case 0:
        return {text + QStringLiteral(" × 10间 × 5晚"), price * 50};
    case 1:
        return {text + QStringLiteral(" × 20人 × 9餐"), price * 180};
    case 2:
        return {text + QStringLiteral(" × 6天"), price * 6};
    }
    return {text + QStringLiteral(" × 20人"), price * 20};
}

QList<CostLine> rows(int count)
{
    const QString categories[] = {QStringLiteral("房"), QStringLiteral("餐"), QStringLiteral("车"),
                                  QStringLiteral("景点门票")};
    QList<CostLine> out;
    for (int i = 0; i < count; ++i) {
        const auto [expression, amount] = pricedLine(i);
        out.append({QString::number(i + 1), categories[i % 4], QStringLiteral("内容%1").arg(i % 2000), expression,
                    QString::number(amount), true});
    }
    return out;
}

QString sizes(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QString::number(10 + i));
    return list.join(QLatin1Char(','));
}

QuoteSettings settings(int sizeCount)
{
    QuoteSettingTexts texts;
    texts.sizes = sizes(sizeCount);
    texts.freeEvery = QStringLiteral("15");
    texts.staff = QStringLiteral("1");
    texts.rule = QStringLiteral("markup");
    texts.ruleValue = QStringLiteral("15");
    texts.tax = QStringLiteral("6");
    texts.round = QStringLiteral("10");
    QuoteSettings out;
    QString error;
    ParseQuoteSettings(texts, MaxBatchSizes, &out, &error);
    return out;
}

// The quote window over the largest sheet, its table showing 12 sizes.
struct FullSheetWindow
{
    CostSheet sheet;
    QuoteWindow window{sheet, QStringLiteral("/nonexistent/default.ini")};

    FullSheetWindow()
    {
        sheet.replaceRows(rows(CostSheet::MaxRows));
        window.findChild<QLineEdit *>(QStringLiteral("TxtSizes"))->setText(sizes(MaxWindowSizes));
        window.show();
        QCoreApplication::processEvents();
    }
};

void WindowFollowsOneTick(benchmark::State &state)
{
    FullSheetWindow full;
    bool included = true;
    for (auto _ : state) {
        included = !included;
        full.sheet.TickChanged(CostSheet::MaxRows / 2, included);
        QCoreApplication::processEvents(); // the window's recomputation, and the table's update
    }
    state.counters["rows"] = double(full.sheet.rowCount());
    state.counters["sizes"] = double(full.window.quote().breaks.size());
}
BENCHMARK(WindowFollowsOneTick)->Unit(benchmark::kMillisecond);

// A row's expression edited, as the editor writes each keystroke into the row.
void WindowFollowsOneEdit(benchmark::State &state)
{
    FullSheetWindow full;
    int price = 0;
    for (auto _ : state) {
        CostLine line = full.sheet.row(CostSheet::MaxRows / 2);
        price = price % 100000 + 1;
        line.Expression = QStringLiteral("单价: %1.00 × 20人 × 9餐").arg(price);
        line.AmountText = QString::number(price * 180);
        full.sheet.setRow(CostSheet::MaxRows / 2, line);
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = double(full.sheet.rowCount());
    state.counters["sizes"] = double(full.window.quote().breaks.size());
}
BENCHMARK(WindowFollowsOneEdit)->Unit(benchmark::kMillisecond);

void BatchQuoteOfAFullSheet(benchmark::State &state)
{
    const QList<CostLine> sheet = rows(CostSheet::MaxRows);
    const QuoteSettings hundred = settings(MaxBatchSizes);
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeGroupQuote(sheet, hundred));
}
BENCHMARK(BatchQuoteOfAFullSheet)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every row its own line of 费用包含, a quarter and all of a full sheet: the PDF's time follows its
// lines.
void CustomerPdfOfAFullSheet(benchmark::State &state)
{
    QList<CostLine> sheet = rows(int(state.range(0)));
    QStringList lines;
    for (CostLine &line : sheet) {
        line.Content = QStringLiteral("第%1项 昆明锦江大酒店 双人标间 含早餐").arg(line.Number);
        lines.append(line.Category + QStringLiteral("：") + line.Content);
    }
    QuoteTexts texts;
    texts.tourName = QStringLiteral("云南八日游");
    texts.issueDate = QDate(2026, 12, 7);
    texts.includes = lines.join(QLatin1Char('\n'));
    const GroupQuote quote = ComputeGroupQuote(sheet, settings(12));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quote.pdf"));
    for (auto _ : state) {
        CustomerQuote document;
        QString error;
        MakeCustomerQuote(quote, sheet, texts, AgencyDetails(), QString(), &document, &error);
        WriteCustomerQuotePdf(document, path, &error);
    }
    state.counters["lines"] = double(lines.size());
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(CustomerPdfOfAFullSheet)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(8000)->Arg(CostSheet::MaxRows);

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
