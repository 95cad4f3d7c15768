#include "app/batch/BatchRun.h"

#include "app/CommandLine.h"
#include "app/batch/BatchDocuments.h"
#include "app/batch/BatchPaths.h"

#include "costline/CostLineEditorModel.h"
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/WorkbookError.h"
#include "quote/CustomerQuote.h"
#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"
#include "sheet/PriceBreaks.h"
#include "sheet/QueryFill.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

// The options that take a value. New sources of the sheet add their option here and their step
// in RunBatch, beside the import.
struct ValuedOption
{
    QLatin1String name;
    std::optional<QString> BatchOptions::*field;
};
const ValuedOption valuedOptions[] = {
    {QLatin1String("--query"), &BatchOptions::query},
    {QLatin1String("--ini"), &BatchOptions::iniPath},
    {QLatin1String("--import"), &BatchOptions::importPath},
    {QLatin1String("--headcount"), &BatchOptions::headCount},
    {QLatin1String("--export"), &BatchOptions::exportPath},
    {QLatin1String("--headcounts"), &BatchOptions::headCounts},
    {QLatin1String("--quote"), &BatchOptions::quote},
    {QLatin1String("--foc"), &BatchOptions::foc},
    {QLatin1String("--staff"), &BatchOptions::staff},
    {QLatin1String("--rooms"), &BatchOptions::rooms},
    {QLatin1String("--markup"), &BatchOptions::markup},
    {QLatin1String("--margin"), &BatchOptions::margin},
    {QLatin1String("--profit"), &BatchOptions::profit},
    {QLatin1String("--tax"), &BatchOptions::tax},
    {QLatin1String("--tax-base"), &BatchOptions::taxBase},
    {QLatin1String("--round"), &BatchOptions::round},
    {QLatin1String("--child-excludes"), &BatchOptions::childExcludes},
    {QLatin1String("--room-categories"), &BatchOptions::roomCategories},
    {QLatin1String("--tour-name"), &BatchOptions::tourName},
    {QLatin1String("--tour-date"), &BatchOptions::tourDate},
    {QLatin1String("--excludes"), &BatchOptions::excludes},
    {QLatin1String("--quote-pdf"), &BatchOptions::quotePdf},
    {QLatin1String("--quote-xlsx"), &BatchOptions::quoteXlsx},
    {QLatin1String("--quote-number"), &BatchOptions::quoteNumber},
    {QLatin1String("--issue-date"), &BatchOptions::issueDate},
    {QLatin1String("--valid-days"), &BatchOptions::validDays},
    {QLatin1String("--child-rule"), &BatchOptions::childRule},
    {QLatin1String("--includes"), &BatchOptions::includes},
};

// The dates of the customer's documents: a date of issue as 2026-12-07, a validity in whole days.
bool readDocumentOptions(BatchOptions *options, QString *error)
{
    options->issueDay = QDate::currentDate();
    if (options->issueDate) {
        options->issueDay = QDate::fromString(options->issueDate->trimmed(), Qt::ISODate);
        if (!options->issueDay.isValid()) {
            *error = QStringLiteral("报价日期“%1”不是“2026-12-07”这样的日期。").arg(*options->issueDate);
            return false;
        }
    }
    if (options->validDays) {
        bool ok = false;
        options->validDayCount = options->validDays->trimmed().toInt(&ok);
        if (!ok || options->validDayCount < 0 || options->validDayCount > MaxValidDays) {
            *error = QStringLiteral("报价有效天数“%1”不是 0 到 %2 的整数。").arg(*options->validDays).arg(MaxValidDays);
            return false;
        }
    }
    return true;
}

// The quote's settings from its options; the window's defaults except that the rooms stay as the
// sheet has them unless asked.
// False with a message for a quote option given without --quote.
bool quoteOptionsNeedQuote(const BatchOptions *options, QString *error)
{
    const std::pair<const std::optional<QString> *, QLatin1String> needQuote[] = {
        {&options->foc, QLatin1String("--foc")},
        {&options->staff, QLatin1String("--staff")},
        {&options->rooms, QLatin1String("--rooms")},
        {&options->markup, QLatin1String("--markup")},
        {&options->margin, QLatin1String("--margin")},
        {&options->profit, QLatin1String("--profit")},
        {&options->tax, QLatin1String("--tax")},
        {&options->taxBase, QLatin1String("--tax-base")},
        {&options->round, QLatin1String("--round")},
        {&options->childExcludes, QLatin1String("--child-excludes")},
        {&options->roomCategories, QLatin1String("--room-categories")},
        {&options->tourName, QLatin1String("--tour-name")},
        {&options->tourDate, QLatin1String("--tour-date")},
        {&options->excludes, QLatin1String("--excludes")},
        {&options->quotePdf, QLatin1String("--quote-pdf")},
        {&options->quoteXlsx, QLatin1String("--quote-xlsx")},
        {&options->quoteNumber, QLatin1String("--quote-number")},
        {&options->issueDate, QLatin1String("--issue-date")},
        {&options->validDays, QLatin1String("--valid-days")},
        {&options->childRule, QLatin1String("--child-rule")},
        {&options->includes, QLatin1String("--includes")},
    };
    for (const auto &[value, name] : needQuote) {
        if (value->has_value()) {
            *error = QStringLiteral("选项 %1 只能与 --quote 一起使用。").arg(name);
            return false;
        }
    }
    return true;
}

bool readQuoteOptions(BatchOptions *options, QString *error)
{
    if (!options->quote)
        return quoteOptionsNeedQuote(options, error);
    QuoteSettingTexts texts;
    texts.sizes = *options->quote;
    texts.rooms = options->rooms.value_or(QStringLiteral("fixed"));
    texts.freeEvery = options->foc.value_or(texts.freeEvery);
    texts.staff = options->staff.value_or(texts.staff);
    texts.tax = options->tax.value_or(texts.tax);
    texts.taxBase = options->taxBase.value_or(texts.taxBase);
    texts.round = options->round.value_or(texts.round);
    texts.childExcludes = options->childExcludes.value_or(texts.childExcludes);
    texts.roomCategories = options->roomCategories.value_or(texts.roomCategories);
    const std::pair<const std::optional<QString> *, QLatin1String> rules[] = {
        {&options->markup, QLatin1String("markup")},
        {&options->margin, QLatin1String("margin")},
        {&options->profit, QLatin1String("profit")},
    };
    for (const auto &[value, rule] : rules) {
        if (!value->has_value())
            continue;
        if (texts.rule != QLatin1String("none")) {
            *error = QStringLiteral("--markup、--margin 和 --profit 只能给出其中一个。");
            return false;
        }
        texts.rule = rule;
        texts.ruleValue = **value;
    }
    if (!ParseQuoteSettings(texts, MaxBatchSizes, &options->quoteSettings, error))
        return false;
    return readDocumentOptions(options, error);
}

struct FlagOption
{
    QLatin1String name;
    bool BatchOptions::*field;
};
const FlagOption flagOptions[] = {
    {QLatin1String("--help"), &BatchOptions::help},     {QLatin1String("-h"), &BatchOptions::help},
    {QLatin1String("--recalc"), &BatchOptions::recalc}, {QLatin1String("--refresh"), &BatchOptions::refresh},
    {QLatin1String("--json"), &BatchOptions::json},
};

void appendJsonString(QString &out, const QString &text)
{
    out += QLatin1Char('"');
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == '"') {
            out += QLatin1String("\\\"");
        } else if (u == '\\') {
            out += QLatin1String("\\\\");
        } else if (u == '\n') {
            out += QLatin1String("\\n");
        } else if (u == '\r') {
            out += QLatin1String("\\r");
        } else if (u == '\t') {
            out += QLatin1String("\\t");
        } else if (u < 0x20 || (c.isHighSurrogate() && !(i + 1 < n && text.at(i + 1).isLowSurrogate())) ||
                   (c.isLowSurrogate() && !(i > 0 && text.at(i - 1).isHighSurrogate()))) {
            // Control characters, and halves of a pair standing alone, which UTF-8 cannot carry.
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
}

// "quote":{"flagged":[…],"breaks":[…],"singlesupplement":"…"}
void appendQuoteJson(QString &out, const GroupQuote &quote)
{
    out += QLatin1String(",\"quote\":{\"flagged\":[");
    for (qsizetype i = 0; i < quote.flagged.size(); ++i) {
        const FlaggedLine &line = quote.flagged.at(i);
        out += QLatin1String(i ? ",{\"row\":" : "{\"row\":");
        appendJsonString(out, line.row);
        out += QLatin1String(",\"amount\":");
        appendJsonString(out, AmountToText(line.amount));
        out += QLatin1String(",\"expression\":");
        appendJsonString(out, AmountToText(line.expression));
        out += QLatin1Char('}');
    }
    out += QLatin1String("],\"breaks\":[");
    for (qsizetype i = 0; i < quote.breaks.size(); ++i) {
        out += QLatin1String(i ? ",{" : "{");
        bool firstField = true;
        for (const QuoteField &field : QuoteBreakFields(quote.breaks.at(i))) {
            if (!firstField)
                out += QLatin1Char(',');
            firstField = false;
            appendJsonString(out, field.name);
            out += QLatin1Char(':');
            appendJsonString(out, field.text);
        }
        out += QLatin1Char('}');
    }
    out += QLatin1String("],\"singlesupplement\":");
    appendJsonString(out, AmountToText(quote.singleSupplement));
    out += QLatin1Char('}');
}

// The customer's documents on the agency's paper; false after a message.
bool writeDocuments(const BatchOptions &options, const CostSheet &sheet, const GroupQuote &quote,
                    const QString &iniPath, QTextStream &err)
{
    QuoteTexts texts;
    texts.tourName = options.tourName.value_or(QString());
    texts.tourDate = options.tourDate.value_or(QString());
    texts.excludes = options.excludes.value_or(QString());
    texts.includes = options.includes.value_or(IncludesFromRows(sheet.rows()));
    texts.childRule = options.childRule.value_or(texts.childRule);
    texts.issueDate = options.issueDay;
    texts.validDays = options.validDayCount;
    texts.quoteNumber =
        options.quoteNumber.value_or(NextQuoteNumber(ReadLastQuoteNumber(iniPath), QDate::currentDate()));
    const AgencyDetails agency = ReadAgencyDetails(iniPath);
    CustomerQuote document;
    QString error;
    bool written =
        MakeCustomerQuote(quote, sheet.rows(), texts, agency, AgencyLogoPath(agency, iniPath), &document, &error);
    if (written)
        written = WriteBatchDocuments(document, options.quotePdf, options.quoteXlsx, &error);
    if (!written) {
        err << "quilvar-batch：" << error << '\n';
        err.flush();
        return false;
    }
    // The running number moves on only once a document carries it, and only in a settings file
    // that is there; one that cannot take it costs the next quote its number, not this one its
    // documents.
    if (!options.quoteNumber && QFileInfo::exists(iniPath) &&
        !WriteLastQuoteNumber(texts.quoteNumber, iniPath, &error)) {
        err << "quilvar-batch：报价编号没有记下：" << error << '\n';
        err.flush();
    }
    return true;
}

} // namespace

QString BatchUsage()
{
    return QStringLiteral(
        "用法：quilvar-batch [选项]\n"
        "不打开窗口，按报价单的规则处理一张新的报价表（二十个空行）。各步骤按下列顺序执行，只执行给出的步骤：\n"
        "  --query SQL        按查询从数据库填入报价表（连接设置见 --ini），然后重新计算合计\n"
        "  --ini 文件         设置文件（数据库连接、报价单抬头），默认为程序所在目录的 default.ini\n"
        "  --import 文件      从工作簿（.xlsx、.xls、.ods）导入，然后重新计算合计\n"
        "  --recalc           按表达式重新计算每一行的金额\n"
        "  --headcount 人数   设置人数\n"
        "  --refresh          把人数代入各行的“人”因子并重新计算（人数刷新）\n"
        "  --headcounts 列表  按列表中的各个人数（如 16,20,25,30）分别对报价表的副本做人数刷新，\n"
        "                     得出人数价格表（人数、合计、每人）；随 --json 输出，随 --export 写入第二个工作表\n"
        "  --export 文件      导出为 Excel 工作簿（.xlsx），不打开\n"
        "  --quote 列表       团队报价：按列表中的各档付费人数（如 15,20，每档 1 到 9999，最多 100 档）\n"
        "                     对报价表的副本计算成本、报价、税金、利润、利润占报价和儿童价，以及单房差；\n"
        "                     随 --json 输出为 \"quote\"。以下选项只能与 --quote 一起使用：\n"
        "  --foc N            每 N 位付费客人免 1 个名额（默认 0，不免）\n"
        "  --staff S          随团陪同人数（默认 0）\n"
        "  --rooms twin|fixed twin：“间”因子按人数排房（两人一间，陪同各一间）；fixed（默认）：不变\n"
        "  --markup 百分比    成本加价；或 --margin 百分比（毛利率，小于 100）；或 --profit 金额（每人利润）\n"
        "  --tax 百分比       税点（0 到 100，默认 0）\n"
        "  --tax-base price|profit  按报价全额（默认）或按利润差额计税\n"
        "  --round 金额       报价向上取整到该金额的倍数（默认 0，不取整）\n"
        "  --child-excludes 项目  儿童价不含的项目，逗号分隔（默认 房；空为全含）\n"
        "  --room-categories 项目  房费类别：这些项目中的“间”因子按人数排房，并计入单房差（默认 房）\n"
        "  --tour-name 文字   报价单上的团名；--tour-date 文字：日期；--excludes 文字：费用不含\n"
        "  --includes 文字    费用包含（默认按勾选各行的项目和内容，每个项目一行）\n"
        "  --quote-number 文字  报价编号（默认为日期加当天的序号，如 20261207-01，序号记在 --ini 中）\n"
        "  --issue-date 日期  报价日期，如 2026-12-07（默认今天）；--valid-days 天数：有效天数（默认 15）\n"
        "  --child-rule 文字  儿童标准（默认“2–11岁，不占床”）\n"
        "                     抬头（旅行社名称、地址、电话、联系人、许可证号、标志、预订须知）取自 --ini\n"
        "  --quote-pdf 文件   写出给客人的报价单（PDF，A4）\n"
        "  --quote-xlsx 文件  写出给客人的报价单（Excel 工作簿，工作表“报价单”）\n"
        "  --json             在标准输出上以 JSON 输出报价表\n"
        "  --help             显示本说明\n"
        "退出状态：0 成功，2 参数错误，3 数据库连接或查询失败，4 工作簿或报价单无法读取或写入。\n");
}

bool ParseBatchArguments(const QStringList &arguments, BatchOptions *options, QString *error)
{
    *options = BatchOptions();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString name = argument;
        std::optional<QString> inlineValue;
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (argument.startsWith(QLatin1String("--")) && equals > 2) {
            name = argument.left(equals);
            inlineValue = argument.mid(equals + 1);
        }

        bool known = false;
        for (const FlagOption &flag : flagOptions) {
            if (name != flag.name)
                continue;
            known = true;
            if (inlineValue) {
                *error = QStringLiteral("选项 %1 不带值。").arg(flag.name);
                return false;
            }
            options->*flag.field = true;
        }
        for (const ValuedOption &valued : valuedOptions) {
            if (name != valued.name)
                continue;
            known = true;
            if ((options->*valued.field).has_value()) {
                *error = QStringLiteral("选项 %1 只能给出一次。").arg(valued.name);
                return false;
            }
            if (!inlineValue) {
                if (i + 1 >= arguments.size()) {
                    *error = QStringLiteral("选项 %1 缺少值。").arg(valued.name);
                    return false;
                }
                inlineValue = arguments.at(++i);
            }
            options->*valued.field = *inlineValue;
        }
        if (!known) {
            *error = QStringLiteral("未知的参数“%1”。").arg(argument);
            return false;
        }
    }
    const std::pair<const std::optional<QString> *, QLatin1String> paths[] = {
        {&options->importPath, QLatin1String("--import")},    {&options->exportPath, QLatin1String("--export")},
        {&options->iniPath, QLatin1String("--ini")},          {&options->quotePdf, QLatin1String("--quote-pdf")},
        {&options->quoteXlsx, QLatin1String("--quote-xlsx")},
    };
    for (const auto &[path, name] : paths) {
        if (path->has_value() && (*path)->isEmpty()) {
            *error = QStringLiteral("选项 %1 缺少文件名。").arg(name);
            return false;
        }
    }
    if (options->headCounts && !ParseHeadCountList(*options->headCounts, &options->breakHeadCounts, error)) {
        *error = QStringLiteral("选项 --headcounts：") + *error;
        return false;
    }
    if (!readQuoteOptions(options, error))
        return false;
    if (options->iniPath && !options->query && !options->quotePdf && !options->quoteXlsx) {
        *error = QStringLiteral("选项 --ini 只能与 --query、--quote-pdf 或 --quote-xlsx 一起使用。");
        return false;
    }
    return true;
}

void RecalcRows(CostSheet &sheet)
{
    bool anyChanged = false;
    for (int position = 1; position <= sheet.rowCount(); ++position) {
        const QString expression = sheet.row(position).Expression;
        if (expression.trimmed().isEmpty())
            continue;
        CostLineEditorModel editor;
        bool changed = false;
        QObject::connect(&editor, &CostLineEditorModel::ChangeText, &editor, [&changed] { changed = true; });
        editor.setStrBds(expression);
        editor.ReadStrBds();
        if (!changed)
            continue;
        // The window writes every ChangeText into the row (the last write is the one that stays)
        // and recomputes the totals each time; here they are recomputed once, at the end.
        CostLine line = sheet.row(position);
        line.Expression = editor.StrBds();
        line.AmountText = AmountToText(editor.CurHjje());
        line.Included = true;
        sheet.setRow(position, line);
        anyChanged = true;
    }
    if (anyChanged)
        sheet.RefreshTotals();
}

QString SheetJson(const CostSheet &sheet, const QList<PriceBreak> &breaks, const std::optional<GroupQuote> &quote)
{
    QString out = QStringLiteral("{\"rows\":[");
    bool first = true;
    for (const CostLine &line : sheet.rows()) {
        if (!first)
            out += QLatin1Char(',');
        first = false;
        out += QLatin1String("{\"number\":");
        appendJsonString(out, line.Number);
        out += line.Included ? QLatin1String(",\"included\":true") : QLatin1String(",\"included\":false");
        out += QLatin1String(",\"category\":");
        appendJsonString(out, line.Category);
        out += QLatin1String(",\"content\":");
        appendJsonString(out, line.Content);
        out += QLatin1String(",\"expression\":");
        appendJsonString(out, line.Expression);
        out += QLatin1String(",\"amount\":");
        appendJsonString(out, line.AmountText);
        out += QLatin1Char('}');
    }
    out += QLatin1String("],\"total\":");
    appendJsonString(out, sheet.Text1());
    out += QLatin1String(",\"headcount\":");
    appendJsonString(out, sheet.Text3());
    out += QLatin1String(",\"perhead\":");
    appendJsonString(out, sheet.Text4());
    if (!breaks.isEmpty()) {
        out += QLatin1String(",\"breaks\":[");
        for (qsizetype i = 0; i < breaks.size(); ++i) {
            out += QLatin1String(i ? ",{\"headcount\":" : "{\"headcount\":");
            appendJsonString(out, breaks.at(i).headCount);
            out += QLatin1String(",\"total\":");
            appendJsonString(out, breaks.at(i).total);
            out += QLatin1String(",\"perhead\":");
            appendJsonString(out, breaks.at(i).perHead);
            out += QLatin1Char('}');
        }
        out += QLatin1Char(']');
    }
    if (quote)
        appendQuoteJson(out, *quote);
    out += QLatin1Char('}');
    return out;
}

int RunBatch(const QStringList &arguments, QTextStream &out, QTextStream &err, const QString &defaultIniDir)
{
    BatchOptions options;
    QString error;
    if (!ParseBatchArguments(arguments, &options, &error) ||
        !CheckBatchPaths(options, IniFilePathFor(defaultIniDir), &error)) {
        err << "quilvar-batch：" << error << "\n\n" << BatchUsage();
        err.flush();
        return BatchBadArguments;
    }
    if (options.help) {
        out << BatchUsage();
        out.flush();
        return BatchOk;
    }

    // 1. A fresh sheet, as the window starts with.
    CostSheet sheet;

    // 2. Where the sheet's content comes from: a host's query, a workbook.
    if (options.query) {
        const QString iniPath = options.iniPath.value_or(SettingsFileFor(defaultIniDir));
        QString message;
        if (FillSheetHeadless(sheet, iniPath, *options.query, &message) != 0) {
            err << "quilvar-batch：" << message << '\n';
            err.flush();
            return BatchDatabaseFailed;
        }
    }
    WorkbookError workbookError;
    if (options.importPath) {
        if (!InExcel(sheet, *options.importPath, &workbookError)) {
            err << "quilvar-batch：无法导入“" << *options.importPath << "”：" << workbookError.text << '\n';
            err.flush();
            return BatchWorkbookFailed;
        }
        sheet.RefreshTotals();
    }

    // 3.
    if (options.recalc)
        RecalcRows(sheet);
    // 4.
    if (options.headCount)
        sheet.setText3(*options.headCount);
    // 5.
    if (options.refresh && !RefreshHeadCount(sheet, &error)) {
        err << "quilvar-batch：" << error << '\n';
        err.flush();
        return BatchBadArguments;
    }
    // 6. The price at each group size, each from the sheet as the steps above left it.
    const QList<PriceBreak> breaks = PriceBreaks(sheet, options.breakHeadCounts);
    QList<ExtraWorksheet> extraSheets;
    if (!breaks.isEmpty()) {
        ExtraWorksheet table{
            QStringLiteral("人数价格表"), {QStringLiteral("人数"), QStringLiteral("合计"), QStringLiteral("每人")}, {}};
        for (const PriceBreak &priceBreak : breaks)
            table.rows.append({priceBreak.headCount, priceBreak.total, priceBreak.perHead});
        extraSheets.append(table);
    }
    // 7.
    if (options.exportPath && !WriteQuoteWorkbook(sheet, *options.exportPath, &workbookError, extraSheets)) {
        err << "quilvar-batch：" << workbookError.text << '\n';
        err.flush();
        return BatchWorkbookFailed;
    }
    // 8. The group quote and the customer's documents, from the sheet as the steps above left it.
    std::optional<GroupQuote> quote;
    if (options.quote) {
        quote = ComputeGroupQuote(sheet.rows(), options.quoteSettings);
        const QString iniPath = options.iniPath.value_or(IniFilePathFor(defaultIniDir));
        if ((options.quotePdf || options.quoteXlsx) && !writeDocuments(options, sheet, *quote, iniPath, err))
            return BatchWorkbookFailed;
    }
    // 9.
    if (options.json) {
        out << SheetJson(sheet, breaks, quote) << '\n';
        out.flush();
    }
    return BatchOk;
}
