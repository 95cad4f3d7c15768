#pragma once

#include "excel/ZipArchive.h"

#include <QString>
#include <QXmlStreamReader>

// A part of a zipped workbook read as a stream of XML, within a limit on what is decompressed.
class XmlPart
{
public:
    // What any one part may decompress to before it is refused.
    static constexpr qint64 Limit = 64 * 1024 * 1024;

    bool open(const ZipArchive &archive, const QString &name, QString *error);
    QXmlStreamReader &xml() { return m_xml; }
    // After the parse: false with a message when the XML was damaged or cut off.
    bool finish(QString *error) const;

private:
    QString m_name;
    QByteArray m_data;
    QXmlStreamReader m_xml;
};

// The text of the current element, without that of any child elements.
QString readSimpleText(QXmlStreamReader &xml);
