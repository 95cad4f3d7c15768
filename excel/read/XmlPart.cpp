#include "excel/read/XmlPart.h"

#include "excel/read/ReadTexts.h"
#include "excel/read/WorkbookError.h"

#include <QStringDecoder>

#include <cstring>

// Hands the scanner what the entry decompresses to, a piece at a time, within the budget; a part
// written in another encoding than UTF-8 (UTF-16, or one its declaration names) is turned into it.
class XmlPart::Source
{
public:
    Source(ZipEntry *entry, ReadBudget &budget) : m_entry(entry), m_budget(budget) {}
    ~Source() { ZipArchive::closeEntry(m_entry); }
    Source(const Source &) = delete;
    Source &operator=(const Source &) = delete;

    // The scanner that reads this part, whose skipped elements are given back to the budget.
    void readBy(const XmlScanner *scanner) { m_scanner = scanner; }
    bool damaged() const { return m_damaged; }
    bool badEncoding() const { return m_badEncoding; }

    qint64 read(char *data, qint64 size)
    {
        if (!m_started)
            start();
        if (!m_decoder.isValid())
            return m_pending.isEmpty() ? inflate(data, size) : serve(data, size);
        while (m_pending.isEmpty() && !m_ended) {
            QByteArray raw(64 * 1024, Qt::Uninitialized);
            const qint64 got = inflate(raw.data(), raw.size());
            raw.truncate(std::max<qint64>(got, 0));
            m_pending = QString(m_decoder.decode(raw)).toUtf8();
            m_budget.spendConverted(m_pending.size());
        }
        return serve(data, size);
    }

private:
    // The first bytes tell the encoding: a byte-order mark, or the declaration's encoding="…".
    void start()
    {
        m_started = true;
        m_pending.resize(256);
        m_pending.truncate(std::max<qint64>(inflate(m_pending.data(), m_pending.size()), 0));
        const QByteArray head = m_pending;
        QByteArray encoding;
        if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
            encoding = head.startsWith("\xFF\xFE") ? "UTF-16LE" : "UTF-16BE";
        } else if (head.startsWith("<?xml")) {
            const qsizetype end = head.indexOf("?>");
            qsizetype i = head.indexOf("encoding", 5) + 8;
            const auto blanks = [&] {
                while (i < end && (head.at(i) == ' ' || head.at(i) == '\t' || head.at(i) == '\r' || head.at(i) == '\n'))
                    ++i;
            };
            if (i >= 13 && i < end) {
                blanks();
                i += i < end && head.at(i) == '=' ? 1 : 0;
                blanks();
                const qsizetype to = i < end ? head.indexOf(head.at(i), i + 1) : -1;
                if ((head.at(i) == '"' || head.at(i) == '\'') && to > i && to < end)
                    encoding = head.mid(i + 1, to - i - 1).trimmed().toLower();
            }
        }
        if (encoding.isEmpty() || encoding == "utf-8" || encoding == "utf8")
            return;
        m_decoder = QStringDecoder(encoding.constData());
        m_badEncoding = !m_decoder.isValid();
        if (m_decoder.isValid()) {
            m_pending = QString(m_decoder.decode(head)).toUtf8();
            // The head was counted as it came; from here on the part counts as UTF-8.
            m_budget.spendConverted(m_pending.size() - head.size());
        } else {
            m_ended = true;
        }
    }

    qint64 serve(char *data, qint64 size)
    {
        const qint64 n = std::min<qint64>(size, m_pending.size());
        std::memcpy(data, m_pending.constData(), size_t(n));
        m_pending.remove(0, n);
        return n;
    }

    qint64 inflate(char *data, qint64 maxSize)
    {
        if (m_ended)
            return 0;
        if (m_scanner) {
            m_budget.passedOver(m_scanner->skippedBytes() - m_passedOver);
            m_passedOver = m_scanner->skippedBytes();
        }
        const qint64 allowed = m_budget.inflatedAllowance(maxSize);
        // Once the budget is spent (on text as well as on bytes) the part simply ends; the scanner
        // then finds it cut off, and the budget's message says why.
        if (allowed <= 0 || m_budget.exhausted()) {
            m_ended = true;
            return 0;
        }
        const qint64 got = ZipArchive::readSome(m_entry, data, allowed);
        if (got <= 0) {
            m_damaged = got < 0;
            m_ended = true;
            return 0;
        }
        if (m_decoder.isValid())
            m_budget.spendScanned(got); // and as UTF-8 once turned into it
        else
            m_budget.spendInflated(got);
        return got;
    }

    ZipEntry *m_entry;
    ReadBudget &m_budget;
    const XmlScanner *m_scanner = nullptr;
    qint64 m_passedOver = 0; // what the scanner had skipped when last given back
    QStringDecoder m_decoder;
    QByteArray m_pending; // what the scanner is handed before more is read
    bool m_started = false;
    bool m_ended = false;
    bool m_damaged = false;
    bool m_badEncoding = false;
};

XmlPart::XmlPart(const ZipArchive &archive, ReadBudget &budget) : m_archive(archive), m_budget(budget) {}

XmlPart::~XmlPart() = default;

bool XmlPart::open(const QString &name, WorkbookError *error)
{
    m_name = name;
    ZipEntry *entry = m_archive.openEntry(name, error);
    if (!entry)
        return false;
    m_source = std::make_shared<Source>(entry, m_budget);
    m_xml = std::make_unique<XmlScanner>(
        [source = m_source](char *data, qint64 size) { return source->read(data, size); }, m_budget.maxXmlDepth());
    m_source->readBy(m_xml.get());
    while (!m_xml->atEnd()) {
        if (m_xml->next() == XmlScanner::StartElement)
            return true;
    }
    return finish(error);
}

bool XmlPart::finish(WorkbookError *error) const
{
    using Kind = WorkbookError::Kind;
    if (m_xml && m_xml->hasDocumentType())
        return WorkbookError::fail(
            error, Kind::Damaged,
            QStringLiteral("工作簿的部件“%1”含有文档类型定义（DTD），工作簿不会这样写，不予读取。").arg(m_name));
    if (m_xml && m_xml->tooDeep())
        m_budget.refuseNesting(m_budget.maxXmlDepth());
    if (m_budget.exhausted())
        return WorkbookError::fail(error, Kind::OverBudget, m_budget.message());
    if (m_source && m_source->damaged())
        return WorkbookError::fail(error, Kind::Damaged, ReadText::cannotInflatePart(m_name));
    if (m_xml && (m_xml->hasError() || m_source->badEncoding()))
        return WorkbookError::fail(
            error, Kind::Damaged,
            QStringLiteral("工作簿已损坏：部件“%1”不是有效的 XML（第 %2 行）。").arg(m_name).arg(m_xml->lineNumber()));
    return true;
}

QString XmlPart::readText()
{
    QString text;
    appendText(&text);
    return text;
}

void XmlPart::appendText(QString *text)
{
    int depth = 1;
    while (depth > 0 && !m_xml->atEnd()) {
        switch (m_xml->next()) {
        case XmlScanner::StartElement:
            ++depth;
            break;
        case XmlScanner::EndElement:
            --depth;
            break;
        case XmlScanner::Characters:
            if (depth == 1)
                m_budget.keep(text, m_xml->text());
            break;
        default:
            break;
        }
    }
}

bool XmlPart::quickText(QByteArrayView name, QString *text, QByteArrayView outer)
{
    if (!m_xml->quickTextElement(name, outer))
        return false;
    if (!m_xml->rawText().isEmpty())
        m_budget.keep(text, m_xml->text());
    return true;
}
