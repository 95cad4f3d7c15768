#include "app/batch/BatchOptions.h"

#include "sheet/PriceBreaks.h"

namespace {

using O = BatchOptions;
using Step = BatchStep;

// In the order of the usage text. The PDF needs Qt's graphical side: it is drawn with the system's
// fonts.
const BatchOption batchOptions[] = {
    {.name = QLatin1String("--query"),
     .value = &O::query,
     .step = Step::Source,
     .usage = u"  --query SQL        按查询从数据库填入报价表（连接设置见 --ini），然后重新计算合计\n"},
    {.name = QLatin1String("--ini"),
     .value = &O::iniPath,
     .step = Step::Source,
     .isFile = true,
     .usage = u"  --ini 文件         设置文件（数据库连接、报价单抬头），默认与计算器相同：\n"
              u"                     程序所在目录的 default.ini，安装版为 %ProgramData%\\Quilvar\\default.ini\n"},
    {.name = QLatin1String("--import"),
     .value = &O::importPath,
     .step = Step::Source,
     .isFile = true,
     .usage = u"  --import 文件      从工作簿（.xlsx、.xls、.ods）导入，然后重新计算合计\n"},
    {.name = QLatin1String("--recalc"),
     .flag = &O::recalc,
     .step = Step::Recalc,
     .usage = u"  --recalc           按表达式重新计算每一行的金额\n"},
    {.name = QLatin1String("--headcount"),
     .value = &O::headCount,
     .step = Step::HeadCount,
     .usage = u"  --headcount 人数   设置人数\n"},
    {.name = QLatin1String("--refresh"),
     .flag = &O::refresh,
     .step = Step::Refresh,
     .usage = u"  --refresh          把人数代入各行的“人”因子并重新计算（人数刷新）\n"},
    {.name = QLatin1String("--headcounts"),
     .value = &O::headCounts,
     .step = Step::PriceBreaks,
     .usage =
         u"  --headcounts 列表  按列表中的各个人数（如 16,20,25,30）分别对报价表的副本做人数刷新，\n"
         u"                     得出人数价格表（人数、合计、每人）；随 --json 输出，随 --export 写入第二个工作表\n"},
    {.name = QLatin1String("--export"),
     .value = &O::exportPath,
     .step = Step::Export,
     .isFile = true,
     .usage = u"  --export 文件      导出为 Excel 工作簿（.xlsx），不打开\n"},
    {.name = QLatin1String("--quote"),
     .value = &O::quote,
     .step = Step::Quote,
     .usage = u"  --quote 列表       团队报价：按列表中的各档付费人数（如 15,20，每档 1 到 9999，最多 100 档）\n"
              u"                     对报价表的副本计算成本、报价、税金、利润、利润占报价和儿童价，以及单房差；\n"
              u"                     随 --json 输出为 \"quote\"。以下选项只能与 --quote 一起使用：\n"},
    {.name = QLatin1String("--foc"),
     .value = &O::foc,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --foc N            每 N 位付费客人免 1 个名额（默认 0，不免）\n"},
    {.name = QLatin1String("--staff"),
     .value = &O::staff,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --staff S          随团陪同人数（默认 0）\n"},
    {.name = QLatin1String("--rooms"),
     .value = &O::rooms,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --rooms twin|fixed twin：“间”因子按人数排房（两人一间，陪同各一间）；fixed（默认）：不变\n"},
    {.name = QLatin1String("--markup"),
     .value = &O::markup,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --markup 百分比    成本加价；或 --margin 百分比（毛利率，小于 100）；或 --profit 金额（每人利润）\n"},
    {.name = QLatin1String("--margin"), .value = &O::margin, .step = Step::Quote, .needsQuote = true},
    {.name = QLatin1String("--profit"), .value = &O::profit, .step = Step::Quote, .needsQuote = true},
    {.name = QLatin1String("--tax"),
     .value = &O::tax,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --tax 百分比       税点（0 到 100，默认 0）\n"},
    {.name = QLatin1String("--tax-base"),
     .value = &O::taxBase,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --tax-base price|profit  按报价全额（默认）或按利润差额计税\n"},
    {.name = QLatin1String("--round"),
     .value = &O::round,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --round 金额       报价向上取整到该金额的倍数（默认 0，不取整）\n"},
    {.name = QLatin1String("--child-excludes"),
     .value = &O::childExcludes,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --child-excludes 项目  儿童价不含的项目，逗号分隔（默认 房；空为全含）\n"},
    {.name = QLatin1String("--room-categories"),
     .value = &O::roomCategories,
     .step = Step::Quote,
     .needsQuote = true,
     .usage = u"  --room-categories 项目  房费类别：这些项目中的“间”因子按人数排房，并计入单房差（默认 房）\n"},
    {.name = QLatin1String("--tour-name"),
     .value = &O::tourName,
     .step = Step::QuoteDocuments,
     .needsQuote = true,
     .usage = u"  --tour-name 文字   报价单上的团名；--tour-date 文字：日期；--excludes 文字：费用不含\n"},
    {.name = QLatin1String("--tour-date"), .value = &O::tourDate, .step = Step::QuoteDocuments, .needsQuote = true},
    {.name = QLatin1String("--excludes"), .value = &O::excludes, .step = Step::QuoteDocuments, .needsQuote = true},
    {.name = QLatin1String("--includes"),
     .value = &O::includes,
     .step = Step::QuoteDocuments,
     .needsQuote = true,
     .usage = u"  --includes 文字    费用包含（默认按勾选各行的项目和内容，每个项目一行）\n"},
    {.name = QLatin1String("--quote-number"),
     .value = &O::quoteNumber,
     .step = Step::QuoteDocuments,
     .needsQuote = true,
     .usage = u"  --quote-number 文字  报价编号（默认为日期加当天的序号，如 20261207-01，序号记在 --ini 中）\n"},
    {.name = QLatin1String("--issue-date"),
     .value = &O::issueDate,
     .step = Step::QuoteDocuments,
     .needsQuote = true,
     .usage = u"  --issue-date 日期  报价日期，如 2026-12-07（默认今天）；--valid-days 天数：有效天数（默认 15）\n"},
    {.name = QLatin1String("--valid-days"), .value = &O::validDays, .step = Step::QuoteDocuments, .needsQuote = true},
    {.name = QLatin1String("--child-rule"),
     .value = &O::childRule,
     .step = Step::QuoteDocuments,
     .needsQuote = true,
     .usage = u"  --child-rule 文字  儿童标准（默认“2–11岁，不占床”）\n"
              u"                     抬头（旅行社名称、地址、电话、联系人、许可证号、标志、预订须知）取自 --ini\n"},
    {.name = QLatin1String("--quote-pdf"),
     .value = &O::quotePdf,
     .step = Step::QuoteDocuments,
     .needsQuote = true,
     .isFile = true,
     .needsGui = true,
     .usage = u"  --quote-pdf 文件   写出给客人的报价单（PDF，A4）\n"},
    {.name = QLatin1String("--quote-xlsx"),
     .value = &O::quoteXlsx,
     .step = Step::QuoteDocuments,
     .needsQuote = true,
     .isFile = true,
     .needsGui = true,
     .usage = u"  --quote-xlsx 文件  写出给客人的报价单（Excel 工作簿，工作表“报价单”）\n"},
    {.name = QLatin1String("--json"),
     .flag = &O::json,
     .step = Step::Json,
     .usage = u"  --json             在标准输出上以 JSON 输出报价表\n"},
    {.name = QLatin1String("--help"),
     .flag = &O::help,
     .step = Step::Help,
     .usage = u"  --help             显示本说明\n"},
    {.name = QLatin1String("-h"), .flag = &O::help, .step = Step::Help},
};

bool fail(QString *error, const QString &message)
{
    *error = message;
    return false;
}

// One argument, with its value from the next argument when it takes one and has none after "=".
bool readOption(const QStringList &arguments, qsizetype &i, BatchOptions *options, QString *error)
{
    const QString &argument = arguments.at(i);
    QString name = argument;
    std::optional<QString> inlineValue;
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    if (argument.startsWith(QLatin1String("--")) && equals > 2) {
        name = argument.left(equals);
        inlineValue = argument.mid(equals + 1);
    }
    for (const BatchOption &option : BatchOptionTable()) {
        if (name != option.name)
            continue;
        if (option.flag) {
            if (inlineValue)
                return fail(error, QStringLiteral("选项 %1 不带值。").arg(option.name));
            options->*option.flag = true;
            return true;
        }
        if ((options->*option.value).has_value())
            return fail(error, QStringLiteral("选项 %1 只能给出一次。").arg(option.name));
        if (!inlineValue) {
            if (i + 1 >= arguments.size())
                return fail(error, QStringLiteral("选项 %1 缺少值。").arg(option.name));
            inlineValue = arguments.at(++i);
        }
        options->*option.value = *inlineValue;
        return true;
    }
    return fail(error, QStringLiteral("未知的参数“%1”。").arg(argument));
}

// The dates of the customer's documents: a date of issue as 2026-12-07, a validity in whole days.
bool readDocumentOptions(BatchOptions *options, QString *error)
{
    options->issueDay = QDate::currentDate();
    if (options->issueDate) {
        options->issueDay = QDate::fromString(options->issueDate->trimmed(), Qt::ISODate);
        if (!options->issueDay.isValid())
            return fail(error, QStringLiteral("报价日期“%1”不是“2026-12-07”这样的日期。").arg(*options->issueDate));
    }
    if (options->validDays) {
        bool ok = false;
        options->validDayCount = options->validDays->trimmed().toInt(&ok);
        if (!ok || options->validDayCount < 0 || options->validDayCount > MaxValidDays)
            return fail(
                error,
                QStringLiteral("报价有效天数“%1”不是 0 到 %2 的整数。").arg(*options->validDays).arg(MaxValidDays));
    }
    return true;
}

// The quote's settings from its options; the window's defaults except that the rooms stay as the
// sheet has them unless asked.
bool readQuoteOptions(BatchOptions *options, QString *error)
{
    if (!options->quote) {
        for (const BatchOption &option : BatchOptionTable()) {
            if (option.needsQuote && (options->*option.value).has_value())
                return fail(error, QStringLiteral("选项 %1 只能与 --quote 一起使用。").arg(option.name));
        }
        return true;
    }
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
        if (texts.rule != QLatin1String("none"))
            return fail(error, QStringLiteral("--markup、--margin 和 --profit 只能给出其中一个。"));
        texts.rule = rule;
        texts.ruleValue = **value;
    }
    return ParseQuoteSettings(texts, MaxBatchSizes, &options->quoteSettings, error) &&
           readDocumentOptions(options, error);
}

} // namespace

std::span<const BatchOption> BatchOptionTable()
{
    return batchOptions;
}

QString BatchUsage()
{
    QString usage = QStringLiteral(
        "用法：quilvar-batch [选项]\n"
        "不打开窗口，按报价单的规则处理一张新的报价表（二十个空行）。各步骤按下列顺序执行，只执行给出的步骤：\n");
    for (const BatchOption &option : BatchOptionTable()) {
        if (option.usage)
            usage += QString::fromUtf16(option.usage);
    }
    usage += QStringLiteral("退出状态：0 成功，2 参数错误，3 数据库连接或查询失败，4 工作簿或报价单无法读取或写入。\n");
    return usage;
}

bool ParseBatchArguments(const QStringList &arguments, BatchOptions *options, QString *error)
{
    *options = BatchOptions();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (!readOption(arguments, i, options, error))
            return false;
    }
    for (const BatchOption &option : BatchOptionTable()) {
        if (option.isFile && (options->*option.value).has_value() && (options->*option.value)->isEmpty())
            return fail(error, QStringLiteral("选项 %1 缺少文件名。").arg(option.name));
    }
    if (options->headCounts && !ParseHeadCountList(*options->headCounts, &options->breakHeadCounts, error)) {
        *error = QStringLiteral("选项 --headcounts：") + *error;
        return false;
    }
    if (!readQuoteOptions(options, error))
        return false;
    if (options->iniPath && !options->query && !options->quotePdf && !options->quoteXlsx)
        return fail(error, QStringLiteral("选项 --ini 只能与 --query、--quote-pdf 或 --quote-xlsx 一起使用。"));
    return true;
}

bool BatchNeedsGui(const BatchOptions &options)
{
    for (const BatchOption &option : BatchOptionTable()) {
        if (option.needsGui && option.value && (options.*option.value).has_value())
            return true;
    }
    return false;
}
