#include "excel/read/XmlPart.h"

#include "excel/read/WorkbookError.h"
#include "excel/read/XmlDepthGauge.h"

#include <QIODevice>

namespace {

// Hands the parser what the entry decompresses to, a piece at a time, within the budget.
class EntryDevice : public QIODevice
{
public:
    EntryDevice(zip_file *entry, ReadBudget &budget) : m_entry(entry), m_budget(budget)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    ~EntryDevice() override { ZipArchive::closeEntry(m_entry); }

    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_ended; }
    bool damaged() const { return m_damaged; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_ended)
            return 0;
        const qint64 allowed = m_budget.inflatedAllowance(maxSize);
        // Once the budget is spent (on text as well as on bytes) the part simply ends; the parser
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
        m_budget.spendInflated(got);
        if (!m_depth.feed(QByteArrayView(data, got), m_budget.maxXmlDepth())) {
            // Nothing of it reaches the parser: it ends here, and the budget's message says why.
            m_budget.refuseNesting(m_budget.maxXmlDepth());
            m_ended = true;
            return 0;
        }
        return got;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    zip_file *m_entry;
    ReadBudget &m_budget;
    XmlDepthGauge m_depth;
    bool m_ended = false;
    bool m_damaged = false;
};

} // namespace

XmlPart::XmlPart(const ZipArchive &archive, ReadBudget &budget) : m_archive(archive), m_budget(budget) {}

XmlPart::~XmlPart() = default;

bool XmlPart::open(const QString &name, WorkbookError *error)
{
    m_name = name;
    zip_file *entry = m_archive.openEntry(name, error);
    if (!entry)
        return false;
    m_device = std::make_unique<EntryDevice>(entry, m_budget);
    m_xml.setDevice(m_device.get());
    while (!m_xml.atEnd()) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::DTD) {
            m_hasDocumentType = true;
            return finish(error);
        }
        if (token == QXmlStreamReader::StartElement)
            return true;
    }
    return finish(error);
}

bool XmlPart::finish(WorkbookError *error) const
{
    using Kind = WorkbookError::Kind;
    if (m_hasDocumentType)
        return WorkbookError::fail(
            error, Kind::Damaged,
            QStringLiteral("工作簿的部件“%1”含有文档类型定义（DTD），工作簿不会这样写，不予读取。").arg(m_name));
    if (m_budget.exhausted())
        return WorkbookError::fail(error, Kind::OverBudget, m_budget.message());
    if (m_device && static_cast<const EntryDevice *>(m_device.get())->damaged())
        return WorkbookError::fail(error, Kind::Damaged,
                                   QStringLiteral("工作簿已损坏：部件“%1”无法解压。").arg(m_name));
    if (m_xml.hasError())
        return WorkbookError::fail(
            error, Kind::Damaged,
            QStringLiteral("工作簿已损坏：部件“%1”不是有效的 XML（第 %2 行）。").arg(m_name).arg(m_xml.lineNumber()));
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
    while (depth > 0 && !m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth == 1)
                m_budget.keep(text, m_xml.text());
            break;
        default:
            break;
        }
    }
}
