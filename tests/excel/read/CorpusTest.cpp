#include "excel/read/WorkbookReader.h"
#include "tests/common/TestText.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <gtest/gtest.h>

// Every workbook of the shared corpus (files other programs wrote) imports as other readers show
// it, or is refused with a message that says why; none crashes or hangs. The expected texts were
// written by tools/corpus_expectations.py and are kept in corpus/expected.txt.
namespace {

struct Expectation
{
    QString file;
    QString refusal;              // a word the refusal must contain; "any" when reading or refusing will do
    QHash<int, QStringList> rows; // row number → texts of A to D, when it is read
};

// \t, \r and \n as the characters, any other escaped character as itself.
QString unescape(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        if (c == u'\\' && i + 1 < text.size()) {
            c = text.at(++i);
            c = c == u't' ? QChar(u'\t') : c == u'r' ? QChar(u'\r') : c == u'n' ? QChar(u'\n') : c;
        }
        out += c;
    }
    return out;
}

QList<Expectation> expectations()
{
    QList<Expectation> all;
    QFile file(QStringLiteral(QUILVAR_CORPUS_EXPECTED));
    if (!file.open(QIODevice::ReadOnly))
        return all;
    for (const QByteArray &rawLine : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(rawLine);
        if (line.startsWith(QLatin1String("== "))) {
            all.append(Expectation{line.mid(3)});
        } else if (all.isEmpty() || line.isEmpty()) {
            continue;
        } else if (line.startsWith(QLatin1String("refused: ")) || line == QLatin1String("any")) {
            all.last().refusal = line.section(QLatin1String(": "), -1);
        } else {
            QStringList fields = line.split(QLatin1Char('\t'));
            const int row = fields.takeFirst().toInt();
            for (QString &field : fields)
                field = unescape(field);
            all.last().rows.insert(row, fields);
        }
    }
    return all;
}

} // namespace

TEST(CorpusFiles, EveryWorkbookHasItsExpectation)
{
    const QList<Expectation> all = expectations();
    ASSERT_FALSE(all.isEmpty()) << QUILVAR_CORPUS_EXPECTED;
    QStringList expected;
    for (const Expectation &e : all)
        expected.append(e.file);
    const QStringList present = QDir(QStringLiteral(QUILVAR_CORPUS_DIR))
                                    .entryList({"*.xls", "*.xlsx", "*.xlsm", "*.xlsb", "*.ods"}, QDir::Files);
    expected.sort(Qt::CaseInsensitive);
    // Every workbook of the corpus is covered, and no expectation is left for a file that is gone.
    EXPECT_EQ(expected.join(QLatin1Char(' ')).toStdString(), present.join(QLatin1Char(' ')).toStdString());
}

TEST(CorpusFiles, ImportAsOtherReadersShowThemOrAreRefusedWithAReason)
{
    for (const Expectation &expected : expectations()) {
        SCOPED_TRACE(expected.file.toStdString());
        ReadLimits limits;
        limits.firstRow = 2;
        CellGrid grid;
        WorkbookError error;
        if (!ReadFirstWorksheet(QStringLiteral(QUILVAR_CORPUS_DIR "/") + expected.file, limits, &grid, &error)) {
            EXPECT_TRUE(error.text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))))
                << error.text.toStdString();
            EXPECT_FALSE(expected.refusal.isEmpty()) << error.text.toStdString();
            EXPECT_TRUE(expected.refusal == QLatin1String("any") || error.text.contains(expected.refusal))
                << error.text.toStdString();
            continue;
        }
        EXPECT_TRUE(expected.refusal.isEmpty() || expected.refusal == QLatin1String("any"))
            << "should be refused: " << expected.refusal.toStdString();
        for (int row = limits.firstRow; row <= limits.maxRows && expected.refusal.isEmpty(); ++row) {
            const QStringList want = expected.rows.value(row, QStringList(4, QString()));
            QStringList got;
            for (int column = 1; column <= 4; ++column)
                got.append(grid.text(row, column));
            EXPECT_EQ(got, want) << "row " << row << ": " << got.join(QLatin1Char('|')).toStdString() << " instead of "
                                 << want.join(QLatin1Char('|')).toStdString();
        }
    }
}
