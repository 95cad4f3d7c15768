#include "excel/read/WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>

// Every workbook of the shared corpus (files other programs wrote) imports as other readers show
// it, or is refused with a message that says why; none crashes or hangs. The expected texts were
// written by tools/corpus_expectations.py and are kept in corpus/expected.txt.
namespace {

struct Expectation
{
    QString file;
    enum Kind
    {
        Rows,
        Refused,
        Any
    } kind = Rows;
    QString reason;               // for Refused: a word the message must contain
    QHash<int, QStringList> rows; // row number → texts of A to D
};

void PrintTo(const Expectation &e, std::ostream *out)
{
    *out << e.file.toStdString();
}

QString unescape(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('\\') || i + 1 == text.size()) {
            out += text.at(i);
            continue;
        }
        const QChar next = text.at(++i);
        out += next == QLatin1Char('t')   ? QChar('\t')
               : next == QLatin1Char('r') ? QChar('\r')
               : next == QLatin1Char('n') ? QChar('\n')
                                          : next;
    }
    return out;
}

QList<Expectation> loadExpectations()
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
        } else if (line.startsWith(QLatin1String("refused: "))) {
            all.last().kind = Expectation::Refused;
            all.last().reason = line.mid(9);
        } else if (line == QLatin1String("any")) {
            all.last().kind = Expectation::Any;
        } else {
            const QStringList fields = line.split(QLatin1Char('\t'));
            QStringList texts;
            for (qsizetype c = 1; c < fields.size(); ++c)
                texts.append(unescape(fields.at(c)));
            all.last().rows.insert(fields.first().toInt(), texts);
        }
    }
    return all;
}

const QList<Expectation> &expectations()
{
    static const QList<Expectation> all = loadExpectations();
    return all;
}

QString corpusPath(const QString &file)
{
    return QStringLiteral(QUILVAR_CORPUS_DIR "/") + file;
}

class Corpus : public ::testing::TestWithParam<Expectation>
{
};

} // namespace

TEST(CorpusFiles, EveryWorkbookHasItsExpectation)
{
    ASSERT_FALSE(expectations().isEmpty()) << QUILVAR_CORPUS_EXPECTED;
    QStringList expected;
    for (const Expectation &e : expectations())
        expected.append(e.file);
    const QStringList present = QDir(QStringLiteral(QUILVAR_CORPUS_DIR))
                                    .entryList({"*.xls", "*.xlsx", "*.xlsm", "*.xlsb", "*.ods"}, QDir::Files);
    expected.sort(Qt::CaseInsensitive);
    // Every workbook of the corpus is covered, and no expectation is left for a file that is gone.
    EXPECT_EQ(expected.join(QLatin1Char(' ')).toStdString(), present.join(QLatin1Char(' ')).toStdString());
}

TEST_P(Corpus, ImportsAsOtherReadersShowItOrIsRefusedWithAReason)
{
    const Expectation &expected = GetParam();
    ReadLimits limits;
    limits.firstRow = 2;
    CellGrid grid;
    WorkbookError error;
    const bool read = ReadFirstWorksheet(corpusPath(expected.file), limits, &grid, &error);
    if (!read) {
        EXPECT_TRUE(error.text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))))
            << error.text.toStdString();
        EXPECT_NE(expected.kind, Expectation::Rows) << error.text.toStdString();
        if (expected.kind == Expectation::Refused)
            EXPECT_TRUE(error.text.contains(expected.reason)) << error.text.toStdString();
        return;
    }
    EXPECT_NE(expected.kind, Expectation::Refused) << "should be refused: " << expected.reason.toStdString();
    if (expected.kind != Expectation::Rows)
        return;
    for (int row = limits.firstRow; row <= limits.maxRows; ++row) {
        const QStringList want = expected.rows.value(row, QStringList(4, QString()));
        QStringList got;
        for (int column = 1; column <= 4; ++column)
            got.append(grid.text(row, column));
        EXPECT_EQ(got, want) << "row " << row << ": " << got.join(QLatin1Char('|')).toStdString() << " instead of "
                             << want.join(QLatin1Char('|')).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Workbooks, Corpus, ::testing::ValuesIn(expectations()), [](const auto &info) {
    std::string name;
    for (const char c : info.param.file.toStdString())
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});
