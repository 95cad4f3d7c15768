#include "app/batch/BatchRun.h"

#include "app/CommandLine.h"
#include "app/batch/BatchDocuments.h"
#include "app/batch/BatchPaths.h"

#include "costline/CostLineEditorModel.h"
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/WorkbookError.h"
#include "quote/CustomerQuote.h"
#include "quote/QuoteMessages.h"
#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"
#include "sheet/PriceBreaks.h"
#include "sheet/QueryFill.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

// One run: the options, the sheet the steps work on, and what a step leaves for the next.
class Run
{
public:
    Run(const BatchOptions &options, QTextStream &out, QTextStream &err, const QString &iniPath)
        : m_options(options), m_out(out), m_err(err), m_iniPath(iniPath)
    {
    }

    // The steps, each returning BatchOk to go on, or the exit status to stop with.

    // A fresh sheet, as the window starts with, filled from a host's query or a workbook.
    int fill()
    {
        if (m_options.query) {
            QString message;
            if (FillSheetHeadless(m_sheet, m_iniPath, *m_options.query, &message) != 0)
                return failed(BatchDatabaseFailed, message);
        }
        if (m_options.importPath) {
            WorkbookError workbookError;
            if (!InExcel(m_sheet, *m_options.importPath, &workbookError))
                return failed(BatchWorkbookFailed,
                              QStringLiteral("无法导入“%1”：%2").arg(*m_options.importPath, workbookError.text));
        }
        return BatchOk;
    }

    int recalcAndRefresh()
    {
        if (m_options.recalc)
            RecalcRows(m_sheet);
        if (m_options.headCount)
            m_sheet.setText3(*m_options.headCount);
        QString error;
        if (m_options.refresh && !RefreshHeadCount(m_sheet, &error))
            return failed(BatchBadArguments, error);
        return BatchOk;
    }

    // The price at each group size, each from the sheet as the steps above left it.
    int priceBreaks()
    {
        m_breaks = PriceBreaks(m_sheet, m_options.breakHeadCounts);
        if (!m_breaks.isEmpty()) {
            ExtraWorksheet table{QStringLiteral("人数价格表"),
                                 {QStringLiteral("人数"), QStringLiteral("合计"), QStringLiteral("每人")},
                                 {}};
            for (const PriceBreak &priceBreak : m_breaks)
                table.rows.append({priceBreak.headCount, priceBreak.total, priceBreak.perHead});
            m_extraSheets.append(table);
        }
        return BatchOk;
    }

    int exportWorkbook()
    {
        WorkbookError workbookError;
        if (m_options.exportPath && !WriteQuoteWorkbook(m_sheet, *m_options.exportPath, &workbookError, m_extraSheets))
            return failed(BatchWorkbookFailed, workbookError.text);
        return BatchOk;
    }

    // The group quote, from the sheet as the steps above left it.
    int groupQuote()
    {
        if (m_options.quote)
            m_quote = ComputeGroupQuote(m_sheet.rows(), m_options.quoteSettings);
        return BatchOk;
    }

    // The customer's documents on the agency's paper, the agency's details from the settings file.
    int customerDocuments()
    {
        if (!m_quote || (!m_options.quotePdf && !m_options.quoteXlsx))
            return BatchOk;
        const QString &iniPath = m_iniPath;
        QuoteTexts texts;
        texts.tourName = m_options.tourName.value_or(QString());
        texts.tourDate = m_options.tourDate.value_or(QString());
        texts.excludes = m_options.excludes.value_or(QString());
        texts.includes = m_options.includes.value_or(IncludesFromRows(m_sheet.rows()));
        texts.childRule = m_options.childRule.value_or(texts.childRule);
        texts.issueDate = m_options.issueDay;
        texts.validDays = m_options.validDayCount;
        texts.quoteNumber =
            m_options.quoteNumber.value_or(NextQuoteNumber(ReadLastQuoteNumber(iniPath), QDate::currentDate()));
        const AgencyDetails agency = ReadAgencyDetails(iniPath);
        CustomerQuote document;
        QString error;
        bool written = MakeCustomerQuote(*m_quote, m_sheet.rows(), texts, agency, AgencyLogoPath(agency, iniPath),
                                         &document, &error);
        if (written)
            written = WriteBatchDocuments(document, m_options.quotePdf, m_options.quoteXlsx, &error);
        if (!written)
            return failed(BatchWorkbookFailed, error);
        // The running number moves on only once a document carries it, and only in a settings file
        // that is there; one that cannot take it costs the next quote its number, not this one its
        // documents.
        if (!m_options.quoteNumber && QFileInfo::exists(iniPath) &&
            !WriteLastQuoteNumber(texts.quoteNumber, iniPath, &error))
            failed(BatchOk, QuoteMessage::quoteNumberNotRecorded(error));
        return BatchOk;
    }

    int json()
    {
        if (m_options.json) {
            m_out << SheetJson(m_sheet, m_breaks, m_quote) << '\n';
            m_out.flush();
        }
        return BatchOk;
    }

private:
    int failed(int status, const QString &message)
    {
        m_err << "quilvar-batch：" << message << '\n';
        m_err.flush();
        return status;
    }

    const BatchOptions &m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    const QString m_iniPath;
    CostSheet m_sheet;
    QList<PriceBreak> m_breaks;
    QList<ExtraWorksheet> m_extraSheets;
    std::optional<GroupQuote> m_quote;
};

} // namespace

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

namespace {

// The settings file of a run: --ini, else the one the window uses (an installed program's is in the
// shared folder, not beside it), looked up only for a run that reads it, since the look-up tries to
// create a file beside the program.
QString RunSettingsFile(const BatchOptions &options, const QString &defaultIniDir)
{
    if (options.iniPath)
        return *options.iniPath;
    const bool readsSettings = options.query || options.quotePdf || options.quoteXlsx;
    return readsSettings ? SettingsFileFor(defaultIniDir) : IniFilePathFor(defaultIniDir);
}

} // namespace

int RunBatch(const QStringList &arguments, QTextStream &out, QTextStream &err, const QString &defaultIniDir,
             const std::function<void(int)> &finished)
{
    BatchOptions options;
    QString error;
    const bool parsed = ParseBatchArguments(arguments, &options, &error);
    const QString iniPath = parsed ? RunSettingsFile(options, defaultIniDir) : QString();
    if (!parsed || !CheckBatchPaths(options, iniPath, &error)) {
        err << "quilvar-batch：" << error << "\n\n" << BatchUsage();
        err.flush();
        return BatchBadArguments;
    }
    if (options.help) {
        out << BatchUsage();
        out.flush();
        return BatchOk;
    }
    Run run(options, out, err, iniPath);
    using Step = int (Run::*)();
    int status = BatchOk;
    for (const Step step : {&Run::fill, &Run::recalcAndRefresh, &Run::priceBreaks, &Run::exportWorkbook,
                            &Run::groupQuote, &Run::customerDocuments, &Run::json}) {
        if ((status = (run.*step)()) != BatchOk)
            break;
    }
    if (finished)
        finished(status);
    return status;
}
