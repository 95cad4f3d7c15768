#include "excel/XmlPart.h"

bool XmlPart::open(const ZipArchive &archive, const QString &name, QString *error)
{
    m_name = name;
    // The part is decompressed whole (within the limit) before it is parsed: the reader parses a
    // buffer about half as fast again as a device it has to pull from.
    if (!archive.readEntry(name, Limit, &m_data, error))
        return false;
    m_xml.addData(m_data);
    return true;
}

bool XmlPart::finish(QString *error) const
{
    if (m_xml.hasError()) {
        if (error)
            *error = QStringLiteral("工作簿已损坏：部件“%1”不是有效的 XML（第 %2 行：%3）。")
                         .arg(m_name)
                         .arg(m_xml.lineNumber())
                         .arg(m_xml.errorString());
        return false;
    }
    return true;
}

QString readSimpleText(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth == 1)
                text += xml.text();
            break;
        default:
            break;
        }
    }
    return text;
}
