#include "excel/ReadBudget.h"

#include "excel/WorkbookReader.h"

#include <algorithm>

ReadBudget::ReadBudget(const ReadLimits &limits)
    : m_inflatedLeft(limits.maxInflatedBytes), m_inflatedLimit(limits.maxInflatedBytes),
      m_textLeft(limits.maxTextCharacters), m_textLimit(limits.maxTextCharacters)
{
}

qint64 ReadBudget::inflatedAllowance(qint64 wanted)
{
    if (m_inflatedLeft <= 0) {
        if (m_exhausted == Nothing)
            m_exhausted = Inflated;
        return 0;
    }
    return std::min(wanted, m_inflatedLeft);
}

bool ReadBudget::keep(QString *cellText, QStringView piece)
{
    const qsizetype room = std::max<qsizetype>(0, MaxCellCharacters - cellText->size());
    const qsizetype taken = std::min(room, piece.size());
    if (taken > m_textLeft) {
        m_exhausted = Text;
        return false;
    }
    cellText->append(piece.left(taken));
    m_textLeft -= taken;
    return true;
}

bool ReadBudget::keepRepeated(QString *cellText, QChar c, qint64 count)
{
    const qsizetype room = std::max<qsizetype>(0, MaxCellCharacters - cellText->size());
    const qsizetype taken = qsizetype(std::clamp<qint64>(count, 0, room));
    if (taken > m_textLeft) {
        m_exhausted = Text;
        return false;
    }
    cellText->append(QString(taken, c));
    m_textLeft -= taken;
    return true;
}

QString ReadBudget::message() const
{
    switch (m_exhausted) {
    case Inflated:
        return QStringLiteral("工作簿过大：读取时解压的数据超过 %1 MB，不予读取。").arg(m_inflatedLimit >> 20);
    case Text:
        return QStringLiteral("工作簿的单元格文字过多（超过 %1 个字符），不予读取。").arg(m_textLimit);
    case Nothing:
        break;
    }
    return QString();
}
