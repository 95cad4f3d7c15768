#include "sheet/CostSheet.h"

#include "common/LeadingNumber.h"

#include <algorithm>
#include <atomic>

namespace {
QString tooManyRowsMessage()
{
    return QStringLiteral("表格最多只能有 %1 行，不能再追加。").arg(CostSheet::MaxRows);
}

RowTexts blankTexts(qsizetype)
{
    return {};
}

// A new line's label: its position, as digits. Within the sheet's limit the labels are views of
// digits laid out once, 1,024 labels to a block, not a text each: a full sheet's labels were 32,766
// allocations in every import, fill and paste. The blocks live as long as the program, since labels
// point into them; a label that is changed copies itself first, as any shared text does.
QString lineLabel(qsizetype number)
{
    constexpr qsizetype PerBlock = 1024;
    constexpr qsizetype Width = 5;
    static_assert(CostSheet::MaxRows < 100000, "a label fits its five places");
    static std::atomic<const char16_t *> blocks[CostSheet::MaxRows / PerBlock + 1];
    if (number < 1 || number > CostSheet::MaxRows)
        return QString::number(number);
    std::atomic<const char16_t *> &block = blocks[number / PerBlock];
    const char16_t *digits = block.load(std::memory_order_acquire);
    if (!digits) {
        // Each label right-aligned in its five places, leading zeros before it.
        auto *made = new char16_t[PerBlock * Width];
        for (qsizetype k = 0, value = number / PerBlock * PerBlock; k < PerBlock; ++k, ++value) {
            qsizetype rest = value;
            for (qsizetype place = Width - 1; place >= 0; --place, rest /= 10)
                made[k * Width + place] = char16_t(u'0' + rest % 10);
        }
        // Another thread that made the same block at the same moment keeps its own; this one goes.
        if (block.compare_exchange_strong(digits, made, std::memory_order_acq_rel))
            digits = made;
        else
            delete[] made;
    }
    const qsizetype length = number < 10 ? 1 : number < 100 ? 2 : number < 1000 ? 3 : number < 10000 ? 4 : 5;
    const char16_t *end = digits + (number % PerBlock + 1) * Width;
    return QString::fromRawData(reinterpret_cast<const QChar *>(end - length), length);
}
} // namespace

CostSheet::CostSheet(QObject *parent) : QObject(parent)
{
    appendUnchecked(InitialRows, blankTexts, false);
}

const QStringList &CostSheet::Categories()
{
    static const QStringList categories = {
        QStringLiteral("房"),       QStringLiteral("餐"),     QStringLiteral("车"),
        QStringLiteral("导游"),     QStringLiteral("大交通"), QStringLiteral("地接社"),
        QStringLiteral("景点门票"), QStringLiteral("综费"),   QStringLiteral("其它"),
    };
    return categories;
}

bool CostSheet::AddRow(QString *error)
{
    if (rowCount() >= MaxRows) {
        if (error)
            *error = tooManyRowsMessage();
        return false;
    }
    appendUnchecked(1, blankTexts, false);
    return true;
}

bool CostSheet::writeRows(int firstPosition, QList<RowTexts> rows, QString *error)
{
    if (!putRows(firstPosition, rows, error))
        return false;
    RefreshTotals();
    return true;
}

bool CostSheet::writeRowsKeepingTotals(int firstPosition, QList<RowTexts> rows, QString *error)
{
    return putRows(firstPosition, rows, error);
}

bool CostSheet::putRows(int firstPosition, QList<RowTexts> &rows, QString *error)
{
    const int first = hasRow(firstPosition) ? firstPosition : rowCount() + 1;
    if (rows.size() > MaxRows - first + 1) {
        if (error)
            *error = tooManyRowsMessage();
        return false;
    }
    // The texts are moved out of the list: one the caller still holds is copied first (rows[] detaches
    // it), which only shares the texts; one handed over with std::move gives them away.
    const auto texts = [&rows](qsizetype k) { return std::move(rows[k]); };
    const int overwritten = int(qMin<qsizetype>(rows.size(), rowCount() - first + 1));
    for (int k = 0; k < overwritten; ++k) {
        CostLine &line = mutableRow(first + k);
        static_cast<RowTexts &>(line) = texts(k);
        line.Included = true;
    }
    if (overwritten > 0)
        emit rowsChanged(first, first + overwritten - 1);
    if (rows.size() == overwritten)
        return true;
    // The rest arrive as one insertion, so that a view follows a long paste in one step.
    appendUnchecked(
        rows.size() - overwritten, [&](qsizetype k) { return texts(overwritten + k); }, true);
    return true;
}

void CostSheet::appendUnchecked(qsizetype count, const std::function<RowTexts(qsizetype)> &texts, bool included)
{
    if (count <= 0)
        return;
    const int first = rowCount() + 1;
    emit rowsAboutToBeInserted(first, first + int(count) - 1);
    // Room for them all at once, the lines built where they stay: a full sheet's lines are never
    // held twice, nor moved as the list grows. Room is still added by half again at least (up to
    // what a sheet holds), so that small pastes one after another at the end of a long sheet do not
    // move it every time.
    if (const qsizetype needed = m_rows.size() + count; needed > m_rows.capacity())
        m_rows.reserve(std::max(needed, std::min<qsizetype>(MaxRows, m_rows.size() + m_rows.size() / 2)));
    for (qsizetype k = 0; k < count; ++k)
        m_rows.emplace_back(lineLabel(m_rows.size() + 1), texts(k), included);
    emit rowsInserted();
}

void CostSheet::DeleteRow(int position)
{
    if (!hasRow(position))
        return;
    emit rowsAboutToBeRemoved(position, position);
    m_rows.removeAt(position - 1);
    emit rowsRemoved();
    // The deleted line's amount must leave the total at once, or it would stay in the quote.
    RefreshTotals();
}

void CostSheet::replaceRows(const QList<CostLine> &rows)
{
    emit aboutToReset();
    m_rows = rows.size() > MaxRows ? rows.mid(0, MaxRows) : rows;
    emit reset();
}

void CostSheet::setCategory(int position, const QString &text)
{
    setField(position, &CostLine::Category, text);
}

void CostSheet::setContent(int position, const QString &text)
{
    setField(position, &CostLine::Content, text);
}

void CostSheet::setExpression(int position, const QString &text)
{
    setField(position, &CostLine::Expression, text);
}

void CostSheet::setAmountText(int position, const QString &text)
{
    setField(position, &CostLine::AmountText, text);
}

void CostSheet::setField(int position, QString CostLine::*field, const QString &text)
{
    if (!hasRow(position))
        return;
    mutableRow(position).*field = text;
    emit rowsChanged(position, position);
}

void CostSheet::setIncluded(int position, bool included)
{
    if (!hasRow(position))
        return;
    mutableRow(position).Included = included;
    emit rowsChanged(position, position);
}

void CostSheet::setRow(int position, const CostLine &line)
{
    if (!hasRow(position))
        return;
    mutableRow(position) = line;
    emit rowsChanged(position, position);
}

void CostSheet::rewriteRows(const std::function<void(int, CostLine &)> &rewrite)
{
    if (m_rows.isEmpty())
        return;
    for (int position = 1; position <= rowCount(); ++position)
        rewrite(position, mutableRow(position));
    emit rowsChanged(1, rowCount());
}

void CostSheet::TickChanged(int position, bool included)
{
    setIncluded(position, included);
    RefreshTotals();
}

void CostSheet::EditorChange(const QString &strBds, Amount curHjje)
{
    // The editor may change while no row is current (nothing clicked yet, or the clicked row was
    // deleted since); there is no row to write into then.
    if (!hasRow(m_curRow))
        return;
    emit editorChangeStarting();
    CostLine &line = mutableRow(m_curRow);
    line.Expression = strBds;
    line.AmountText = AmountToText(curHjje);
    line.Included = true;
    emit rowsChanged(m_curRow, m_curRow);
    RefreshTotals();
}

void CostSheet::RefreshTotals()
{
    Amount sum;
    for (const CostLine &line : std::as_const(m_rows))
        if (line.Included)
            sum += Amount::fromText(line.AmountText);
    setText1(AmountToText(sum));
    setText4(PerHeadText(sum, m_text3));
}

void CostSheet::setText1(const QString &text)
{
    if (text == m_text1)
        return;
    m_text1 = text;
    emit text1Changed(text);
}

void CostSheet::setText3(const QString &text)
{
    if (text == m_text3)
        return;
    m_text3 = text;
    emit text3Changed(text);
    headCountChanged();
}

void CostSheet::setText4(const QString &text)
{
    if (text == m_text4)
        return;
    m_text4 = text;
    emit text4Changed(text);
}

void CostSheet::headCountChanged()
{
    // Reads the total from its box rather than summing again: the box holds the exact text of
    // the last sum, or what the planner typed there, which is divided as typed (10.00004 for 0.1
    // people gives 100.0004), not first rounded to an amount.
    const double headCount = LeadingNumber(m_text3);
    if (headCount == 0)
        setText4(QString());
    else if (QStringView(m_text1).trimmed() == OverflowText())
        setText4(OverflowText());
    else
        setText4(AmountToText(Amount::fromDouble(LeadingNumber(m_text1) / headCount)));
}

QString PerHeadText(Amount total, const QString &headCountText)
{
    const double headCount = LeadingNumber(headCountText);
    if (headCount == 0)
        return QString();
    if (!total.isValid())
        return OverflowText();
    return AmountToText(Amount::fromDouble(total.toDouble() / headCount));
}
