#pragma once

#include "excel/read/ReadBudget.h"
#include "excel/read/XmlScanner.h"
#include "excel/read/ZipArchive.h"

#include <QString>

#include <memory>

struct WorkbookError;

// A part of a zipped workbook parsed while it decompresses, so that the reading can stop as soon
// as it has what it needs. What it decompresses is taken from the workbook's budget, and a part
// that declares a document type (the road to entity bombs) is refused before anything else.
class XmlPart
{
public:
    XmlPart(const ZipArchive &archive, ReadBudget &budget);
    ~XmlPart();
    XmlPart(const XmlPart &) = delete;
    XmlPart &operator=(const XmlPart &) = delete;

    // Opens the part and reads its prolog, up to and including the start of the root element.
    bool open(const QString &name, WorkbookError *error);
    XmlScanner &xml() { return *m_xml; }
    ReadBudget &budget() { return m_budget; }
    // After the parse: false with a message when the part was damaged, cut off or over budget.
    bool finish(WorkbookError *error) const;

    // The text of the current element, without that of any child elements, kept as a cell keeps it.
    QString readText();
    // The same, appended to text.
    void appendText(QString *text);
    // Right after a start tag: a child element <name>text</name> (in outer, when given) read whole,
    // its text appended to text as appendText would; false, with nothing read, when what comes is
    // not that plainly.
    bool quickText(QByteArrayView name, QString *text, QByteArrayView outer = {});

    class Source;

private:
    const ZipArchive &m_archive;
    ReadBudget &m_budget;
    QString m_name;
    std::shared_ptr<Source> m_source;
    std::unique_ptr<XmlScanner> m_xml;
};
