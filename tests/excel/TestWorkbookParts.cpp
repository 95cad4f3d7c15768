#include "TestWorkbookParts.h"

#include "excel/read/WorkbookError.h"
#include "excel/read/ZipArchive.h"
#include "tests/common/TestText.h"

#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

QByteArray zipEntry(const QString &path, const QString &name)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = file.readAll(); // the archive reads from it, never a copy
    ZipArchive archive;
    WorkbookError error;
    QByteArray data;
    EXPECT_TRUE(archive.open(bytes, &error)) << error.text.toStdString();
    EXPECT_TRUE(archive.readEntry(name, 1 << 24, &data, &error))
        << name.toStdString() << ": " << error.text.toStdString();
    return data;
}

QStringList xmlValues(const QByteArray &xml, const QString &element, const QString &attribute)
{
    QStringList out;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == element)
            out.append(attribute.isEmpty() ? reader.readElementText(QXmlStreamReader::IncludeChildElements)
                                           : reader.attributes().value(attribute).toString());
    }
    return out;
}

QMap<QString, QString> worksheetCells(const QString &path, const QString &sheetPart)
{
    const QStringList shared = xmlValues(zipEntry(path, QStringLiteral("xl/sharedStrings.xml")), QStringLiteral("si"));
    QMap<QString, QString> out;
    QXmlStreamReader reader(zipEntry(path, sheetPart));
    QString ref, type;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("c")) {
            ref = reader.attributes().value(QLatin1String("r")).toString();
            type = reader.attributes().value(QLatin1String("t")).toString();
        } else if (reader.name() == QLatin1String("v")) {
            const QString value = reader.readElementText();
            out.insert(ref, type == QLatin1String("s") ? shared.value(value.toInt()) : value);
        }
    }
    return out;
}
