// The group quote's cost: the window following one change of a 500-row sheet at 12 group sizes
// (from the change to the table updated), and quilvar-batch's quote of a full sheet of 32,766
// rows at 100 sizes, and the customer's PDF of a quote of 32,766 lines. Prints figures; asserts
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

QList<CostLine> rows(int count)
{
    const QString lines[][2] = {
        {QStringLiteral("房"), QStringLiteral("单价: 300.00 × 10间 × 5晚")},
        {QStringLiteral("餐"), QStringLiteral("单价: 50.00 × 20人 × 9餐")},
        {QStringLiteral("车"), QStringLiteral("单价: 1200.00 × 6天")},
        {QStringLiteral("景点门票"), QStringLiteral("单价: 120.00 × 20人")},
    };
    QList<CostLine> out;
    for (int i = 0; i < count; ++i) {
        const QString(&line)[2] = lines[i % 4];
        out.append({QString::number(i + 1), line[0], QStringLiteral("内容"), line[1], QStringLiteral("1"), true});
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

void WindowFollowsOneTick(benchmark::State &state)
{
    CostSheet sheet;
    sheet.replaceRows(rows(500));
    const QString ini = QStringLiteral("/nonexistent/default.ini");
    QuoteWindow window(sheet, ini);
    window.findChild<QLineEdit *>(QStringLiteral("TxtSizes"))->setText(sizes(12));
    bool included = true;
    for (auto _ : state) {
        included = !included;
        sheet.TickChanged(250, included);
        QCoreApplication::processEvents(); // the window's recomputation, and the table's update
    }
    state.counters["sizes"] = double(window.quote().breaks.size());
}
BENCHMARK(WindowFollowsOneTick)->Unit(benchmark::kMillisecond);

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
