#include "excel/read/ReadBudget.h"

#include "excel/read/ReadLimits.h"

#include <algorithm>

ReadBudget::ReadBudget(const ReadLimits &limits)
    : m_inflatedLeft(limits.maxInflatedBytes), m_inflatedLimit(limits.maxInflatedBytes),
      m_scannedLeft(std::max(limits.maxScannedBytes, limits.maxInflatedBytes)),
      m_scannedLimit(std::max(limits.maxScannedBytes, limits.maxInflatedBytes)), m_textLeft(limits.maxTextCharacters),
      m_textLimit(limits.maxTextCharacters), m_maxXmlDepth(limits.maxXmlDepth)
{
}

qint64 ReadBudget::inflatedAllowance(qint64 wanted)
{
    if (m_inflatedLeft <= 0 || m_scannedLeft <= 0) {
        if (m_exhausted == Nothing)
            m_exhausted = Inflated;
        return 0;
    }
    return std::min({wanted, m_inflatedLeft, m_scannedLeft});
}

bool ReadBudget::spendText(qsizetype characters)
{
    if (characters > m_textLeft) {
        m_exhausted = Text;
        return false;
    }
    m_textLeft -= characters;
    return true;
}

bool ReadBudget::keep(QString *cellText, QStringView piece)
{
    const qsizetype room = std::max<qsizetype>(0, MaxCellCharacters - cellText->size());
    const qsizetype taken = std::min(room, piece.size());
    if (!spendText(taken))
        return false;
    cellText->append(piece.left(taken));
    return true;
}

bool ReadBudget::keep(QString *cellText, QString &&piece)
{
    if (!cellText->isEmpty() || piece.size() > MaxCellCharacters)
        return keep(cellText, QStringView(piece));
    if (!spendText(piece.size()))
        return false;
    if (piece.capacity() > piece.size() + piece.size() / 4 + 8)
        piece.squeeze(); // a decoded piece may hold room for every byte it came from
    *cellText = std::move(piece);
    return true;
}

bool ReadBudget::keepRepeated(QString *cellText, QChar c, qint64 count)
{
    const qsizetype room = std::max<qsizetype>(0, MaxCellCharacters - cellText->size());
    const qsizetype taken = qsizetype(std::clamp<qint64>(count, 0, room));
    if (!spendText(taken))
        return false;
    cellText->append(QString(taken, c));
    return true;
}

void ReadBudget::refuseNesting(int depth)
{
    if (m_exhausted == Nothing) {
        m_exhausted = Nesting;
        m_nesting = depth;
    }
}

QString ReadBudget::message() const
{
    switch (m_exhausted) {
    case Inflated:
        return QStringLiteral("工作簿过大：读取时解压的数据超过 %1，不予读取。")
            .arg(sizeText(m_scannedLeft <= 0 ? m_scannedLimit : m_inflatedLimit));
    case Text:
        return QStringLiteral("工作簿的单元格文字过多（超过 %1 个字符），不予读取。").arg(m_textLimit);
    case Nesting:
        return QStringLiteral("工作簿的 XML 元素嵌套超过 %1 层，工作簿不会这样写，不予读取。").arg(m_nesting);
    case Nothing:
        break;
    }
    return QString();
}

QString ReadBudget::sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024)
        return QStringLiteral("%1 MB").arg(bytes >> 20);
    if (bytes >= 1024)
        return QStringLiteral("%1 KB").arg(bytes >> 10);
    return QStringLiteral("%1 字节").arg(bytes);
}
