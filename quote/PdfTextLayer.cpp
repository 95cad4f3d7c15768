#include "quote/PdfTextLayer.h"

#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QString>

namespace {

const QByteArray CMapStart("/CIDInit /ProcSet findresource begin");

QString mended(const QString &text, const QHash<char16_t, char16_t> &drawnAs)
{
    if (text.size() != 1)
        return text;
    const char16_t c = text.at(0).unicode();
    if (drawnAs.contains(c))
        return QString(QChar(drawnAs.value(c)));
    if (c < 0x20)
        return QStringLiteral(" ");
    if (c >= 0x2E80 && c <= 0x2FDF) {
        const QString ideograph = text.normalized(QString::NormalizationForm_KC);
        if (ideograph.size() == 1)
            return ideograph;
    }
    return text;
}

QString fromHex(QByteArrayView hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex.toByteArray());
    QString out;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        out += QChar(char16_t((uchar(bytes.at(i)) << 8) | uchar(bytes.at(i + 1))));
    return out;
}

QByteArray toHex(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text)
        bytes += char(c.unicode() >> 8), bytes += char(c.unicode() & 0xFF);
    return '<' + bytes.toHex().toUpper() + '>';
}

// The glyph-to-text pairs of a map's bfchar and bfrange sections; false for anything else.
bool readMap(const QByteArray &cmap, QMap<uint, QString> *map)
{
    static const QRegularExpression token(QStringLiteral("<([0-9A-Fa-f]*)>|\\[|\\]|(beginbfrange|beginbfchar)"));
    const QString text = QString::fromLatin1(cmap);
    QStringList hexes;
    QString section;
    bool inArray = false;
    QStringList array;
    auto flush = [&]() -> bool {
        if (section == QLatin1String("beginbfchar") && hexes.size() == 2) {
            map->insert(hexes[0].toUInt(nullptr, 16), fromHex(hexes[1].toLatin1()));
        } else if (section == QLatin1String("beginbfrange") && hexes.size() == 2 && !array.isEmpty()) {
            const uint low = hexes[0].toUInt(nullptr, 16);
            for (qsizetype i = 0; i < array.size(); ++i)
                map->insert(low + uint(i), fromHex(array[i].toLatin1()));
        } else if (section == QLatin1String("beginbfrange") && hexes.size() == 3) {
            const uint low = hexes[0].toUInt(nullptr, 16), high = hexes[1].toUInt(nullptr, 16);
            QString target = fromHex(hexes[2].toLatin1());
            for (uint glyph = low; glyph <= high && !target.isEmpty(); ++glyph) {
                map->insert(glyph, target);
                target.back() = QChar(char16_t(target.back().unicode() + 1));
            }
        } else {
            return false;
        }
        hexes.clear(), array.clear();
        return true;
    };
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(2).isEmpty()) {
            section = m.captured(2);
        } else if (m.captured(0) == QLatin1String("[")) {
            inArray = true;
        } else if (m.captured(0) == QLatin1String("]")) {
            inArray = false;
            if (!flush())
                return false;
        } else if (inArray) {
            array.append(m.captured(1));
        } else {
            hexes.append(m.captured(1));
            const bool complete = (section == QLatin1String("beginbfchar") && hexes.size() == 2) ||
                                  (section == QLatin1String("beginbfrange") && hexes.size() == 3);
            if (section.isEmpty())
                hexes.clear(); // the code space range
            else if (complete && !flush())
                return false;
        }
    }
    return !map->isEmpty();
}

QByteArray writeMap(const QMap<uint, QString> &map)
{
    QByteArray out = CMapStart + "\n12 dict begin\nbegincmap\n"
                                 "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                                 "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                                 "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    const QList<uint> glyphs = map.keys();
    for (qsizetype start = 0; start < glyphs.size(); start += 100) {
        const qsizetype count = qMin<qsizetype>(100, glyphs.size() - start);
        out += QByteArray::number(count) + " beginbfchar\n";
        for (qsizetype i = start; i < start + count; ++i)
            out += QStringLiteral("<%1> ").arg(glyphs[i], 4, 16, QLatin1Char('0')).toUpper().toLatin1() +
                   toHex(map.value(glyphs[i])) + '\n';
        out += "endbfchar\n";
    }
    return out + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

struct Edit
{
    qsizetype at, length;
    QByteArray bytes;
};

// The edits that give every text map its mended form: the stream and its /Length.
QList<Edit> mapEdits(const QByteArray &pdf, const QHash<char16_t, char16_t> &drawnAs)
{
    static const QRegularExpression lengthKey(QStringLiteral("/Length (\\d+)\\s*>>\\s*stream\\r?\\n$"));
    QList<Edit> edits;
    for (qsizetype at = pdf.indexOf(CMapStart); at >= 0; at = pdf.indexOf(CMapStart, at + 1)) {
        const qsizetype dictionary = pdf.lastIndexOf("<<", at);
        const qsizetype end = pdf.indexOf("endstream", at);
        if (dictionary < 0 || end < 0)
            continue;
        const QRegularExpressionMatch length =
            lengthKey.match(QString::fromLatin1(pdf.mid(dictionary, at - dictionary)));
        const qsizetype size = length.hasMatch() ? length.captured(1).toLongLong() : -1;
        QMap<uint, QString> map;
        if (size <= 0 || size > end - at || !readMap(pdf.mid(at, size), &map))
            continue;
        bool changed = false;
        for (QString &text : map) {
            const QString better = mended(text, drawnAs);
            changed = changed || better != text;
            text = better;
        }
        if (!changed)
            continue;
        const QByteArray stream = writeMap(map);
        const qsizetype lengthAt = dictionary + length.capturedStart(1);
        edits.append({lengthAt, length.capturedLength(1), QByteArray::number(stream.size())});
        edits.append({at, size, stream});
    }
    return edits;
}

} // namespace

QByteArray MendPdfTextLayer(const QByteArray &pdf, const QHash<char16_t, char16_t> &drawnAs)
{
    const QList<Edit> edits = mapEdits(pdf, drawnAs);
    if (edits.isEmpty())
        return pdf;
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const qsizetype xref =
        startxref < 0 ? -1 : pdf.mid(startxref + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong();
    if (xref <= edits.last().at || !pdf.mid(xref).startsWith("xref"))
        return pdf;
    auto moved = [&edits](qsizetype offset) {
        qsizetype shift = 0;
        for (const Edit &edit : edits)
            shift += edit.at < offset ? edit.bytes.size() - edit.length : 0;
        return offset + shift;
    };
    QByteArray out;
    out.reserve(pdf.size() + 4096);
    qsizetype from = 0;
    for (const Edit &edit : edits) {
        out += pdf.mid(from, edit.at - from) + edit.bytes;
        from = edit.at + edit.length;
    }
    // The cross-reference table: "xref", then subsections of "first count" and 20-byte entries.
    out += pdf.mid(from, xref - from);
    const QList<QByteArray> lines = pdf.mid(xref, startxref - xref).split('\n');
    for (const QByteArray &line : lines.mid(0, lines.size() - 1)) {
        const bool entry = line.size() >= 18 && line.at(10) == ' ' && line.trimmed().endsWith('n');
        out +=
            entry ? QByteArray::number(moved(line.left(10).toLongLong())).rightJustified(10, '0') + line.mid(10) : line;
        out += '\n';
    }
    return out + "startxref\n" + QByteArray::number(moved(xref)) + "\n%%EOF\n";
}
