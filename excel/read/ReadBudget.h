#pragma once

#include <QString>
#include <QStringView>

struct ReadLimits;

// What reading one workbook may cost, whatever the file holds: the bytes its parts decompress to
// and the characters of cell text kept. Both are spent as the reading goes, so no file of any size
// costs more than a bounded time and memory; once one runs out the reading ends with a message.
class ReadBudget
{
public:
    // What one cell keeps at most, as Excel does; the rest of a longer text is dropped.
    static constexpr qsizetype MaxCellCharacters = 32767;

    explicit ReadBudget(const ReadLimits &limits);

    // How much of wanted may be decompressed now: 0 once the budget has run out.
    qint64 inflatedAllowance(qint64 wanted);
    void spendInflated(qint64 bytes)
    {
        m_inflatedLeft -= bytes;
        m_scannedLeft -= bytes;
    }
    // A part in another encoding than UTF-8 counts against the scanning limit as decompressed, and
    // against the other as turned into UTF-8: the form the scanner reads, and gives back in.
    void spendScanned(qint64 bytes) { m_scannedLeft -= bytes; }
    void spendConverted(qint64 bytes) { m_inflatedLeft -= bytes; }
    // Gives back bytes that were decompressed but passed over unread: only the scanning limit keeps them.
    void passedOver(qint64 bytes) { m_inflatedLeft += bytes; }
    // Appends piece to a cell's text within what a cell keeps; false once the text budget has run out.
    bool keep(QString *cellText, QStringView piece);
    // The same for a piece of its own: taken over whole when it is all the cell holds.
    bool keep(QString *cellText, QString &&piece);
    // Appends count copies of c the same way (a repeated-space element can ask for millions).
    bool keepRepeated(QString *cellText, QChar c, qint64 count);
    // Charges a text that lands in one more cell (a shared string used again); false once spent.
    bool spendText(qsizetype characters);
    // Called when a part's elements nest deeper than any workbook program writes them.
    void refuseNesting(int depth);

    int maxXmlDepth() const { return m_maxXmlDepth; }

    bool exhausted() const { return m_exhausted != Nothing; }
    // Why the reading ended early: a Chinese message, empty while the budget lasts.
    QString message() const;

    // A size for a message, in the unit that fits it: 900 字节, 1 KB, 32 MB.
    static QString sizeText(qint64 bytes);

private:
    enum Exhausted
    {
        Nothing,
        Inflated,
        Text,
        Nesting
    };
    qint64 m_inflatedLeft;
    qint64 m_inflatedLimit;
    qint64 m_scannedLeft;
    qint64 m_scannedLimit;
    qint64 m_textLeft;
    qint64 m_textLimit;
    int m_maxXmlDepth;
    int m_nesting = 0;
    Exhausted m_exhausted = Nothing;
};
