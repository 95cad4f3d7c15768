#include "app/batch/BatchRun.h"

#include "app/CommandLine.h"

#include "costline/CostLineEditorModel.h"
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"
#include "sheet/PriceBreaks.h"
#include "sheet/QueryFill.h"

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
    {QLatin1String("--query"), &BatchOptions::query},       {QLatin1String("--ini"), &BatchOptions::iniPath},
    {QLatin1String("--import"), &BatchOptions::importPath}, {QLatin1String("--headcount"), &BatchOptions::headCount},
    {QLatin1String("--export"), &BatchOptions::exportPath}, {QLatin1String("--headcounts"), &BatchOptions::headCounts},
};

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

} // namespace

QString BatchUsage()
{
    return QStringLiteral(
        "用法：quilvar-batch [选项]\n"
        "不打开窗口，按报价单的规则处理一张新的报价表（二十个空行）。各步骤按下列顺序执行，只执行给出的步骤：\n"
        "  --query SQL        按查询从数据库填入报价表（连接设置见 --ini），然后重新计算合计\n"
        "  --ini 文件         数据库连接设置文件，默认为程序所在目录的 default.ini\n"
        "  --import 文件      从工作簿（.xlsx、.xls、.ods）导入，然后重新计算合计\n"
        "  --recalc           按表达式重新计算每一行的金额\n"
        "  --headcount 人数   设置人数\n"
        "  --refresh          把人数代入各行的“人”因子并重新计算（人数刷新）\n"
        "  --headcounts 列表  按列表中的各个人数（如 16,20,25,30）分别对报价表的副本做人数刷新，\n"
        "                     得出人数价格表（人数、合计、每人）；随 --json 输出，随 --export 写入第二个工作表\n"
        "  --export 文件      导出为 Excel 工作簿（.xlsx），不打开\n"
        "  --json             在标准输出上以 JSON 输出报价表\n"
        "  --help             显示本说明\n"
        "退出状态：0 成功，2 参数错误，3 数据库连接或查询失败，4 工作簿无法读取或写入。\n");
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
        {&options->importPath, QLatin1String("--import")},
        {&options->exportPath, QLatin1String("--export")},
        {&options->iniPath, QLatin1String("--ini")},
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
    if (options->iniPath && !options->query) {
        *error = QStringLiteral("选项 --ini 只能与 --query 一起使用。");
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

QString SheetJson(const CostSheet &sheet, const QList<PriceBreak> &breaks)
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
    out += QLatin1Char('}');
    return out;
}

int RunBatch(const QStringList &arguments, QTextStream &out, QTextStream &err, const QString &defaultIniDir)
{
    BatchOptions options;
    QString error;
    if (!ParseBatchArguments(arguments, &options, &error)) {
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
        const QString iniPath = options.iniPath.value_or(IniFilePathFor(defaultIniDir));
        QString message;
        if (FillSheetHeadless(sheet, iniPath, *options.query, &message) != 0) {
            err << "quilvar-batch：" << message << '\n';
            err.flush();
            return BatchDatabaseFailed;
        }
    }
    if (options.importPath) {
        if (!InExcel(sheet, *options.importPath, &error)) {
            err << "quilvar-batch：无法导入“" << *options.importPath << "”：" << error << '\n';
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
    if (options.exportPath && !WriteQuoteWorkbook(sheet, *options.exportPath, &error, extraSheets)) {
        err << "quilvar-batch：" << error << '\n';
        err.flush();
        return BatchWorkbookFailed;
    }
    // 8.
    if (options.json) {
        out << SheetJson(sheet, breaks) << '\n';
        out.flush();
    }
    return BatchOk;
}
