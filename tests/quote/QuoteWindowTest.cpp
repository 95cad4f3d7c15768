#include "tests/app/WindowTests.h"

#include "app/memory/SheetFolder.h"
#include "common/IniFile.h"
#include "excel/read/WorkbookError.h"
#include "excel/read/ZipArchive.h"
#include "quote/QuoteTableModel.h"
#include "quote/QuoteWindow.h"
#include "tests/common/TestText.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>

namespace {

const std::tuple<const char16_t *, const char16_t *, const char *> workedRows[] = {
    {u"房", u"单价: 300.00 × 10间 × 5晚", "15000"}, {u"餐", u"单价: 50.00 × 20人 × 9餐", "9000"},
    {u"车", u"单价: 1200.00 × 6天", "7200"},        {u"导游", u"单价: 300.00 × 6天", "1800"},
    {u"景点门票", u"单价: 120.00 × 20人", "2400"},
};

struct QuoteView
{
    QWidget *window;
    template <typename T = QLineEdit> T *get(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    // Replaces a setting's text as typed, and leaves it with Return.
    void type(const char *name, const QString &text) const
    {
        QLineEdit *edit = get(name);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        typeText(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QString cell(int row, int column) const
    {
        return get<QTableView>("TblQuote")->model()->index(row, column).data().toString();
    }
};

// The shared strings of a workbook.
QString workbookStrings(const QString &path)
{
    ZipArchive zip;
    WorkbookError error;
    QByteArray strings;
    if (!zip.openFile(path, &error) ||
        !zip.readEntry(QStringLiteral("xl/sharedStrings.xml"), 1 << 20, &strings, &error))
        return QString();
    return QString::fromUtf8(strings);
}

} // namespace

class QuoteWindowTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_ini;

    // The worked example's rows in the calculator, and the quote window opened from its menu.
    QuoteView open(Window &w, const QString &ini)
    {
        w.window.setIniFilePath(ini);
        for (int row = 1; row <= 5; ++row) {
            const auto [category, expression, amount] = workedRows[row - 1];
            w.sheet().setRow(row, {QString::number(row), q(category), {}, q(expression), amount, true});
        }
        w.choose("MnuLv_2Quote");
        QWidget *window = w.window.findChild<QWidget *>(QStringLiteral("FrmQuote"));
        [&] { QTRY_VERIFY(window && window->isVisible()); }();
        return {window};
    }

private slots:
    // Each test starts from a settings file of its own that holds only the connection.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_ini = m_dir->filePath(QStringLiteral("default.ini"));
        QVERIFY(WriteIni(QStringLiteral("ConnServ"), QStringLiteral("DATA SOURCE"), QStringLiteral("db1"), m_ini));
    }

    void followsTheSheetAndRemembersItsSettings()
    {
        Window w;
        const QuoteView quote = open(w, m_ini);
        // Every change of the figures below is told to the view as a model must tell it.
        QAbstractItemModelTester tester(quote.get<QTableView>("TblQuote")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(quote.window->windowTitle(), q(u"报价单"));
        QVERIFY(!quote.window->isModal());

        quote.type("TxtSizes", QStringLiteral("15,20"));
        quote.type("TxtFreeEvery", QStringLiteral("15"));
        quote.type("TxtStaff", QStringLiteral("1"));
        QVERIFY(quote.get<QCheckBox>("ChkRooms")->isChecked());
        QTest::keyClick(quote.get<QComboBox>("CboRule"), Qt::Key_Down);
        quote.type("TxtRuleValue", QStringLiteral("15"));
        quote.type("TxtTax", QStringLiteral("6"));
        quote.type("TxtRound", QStringLiteral("10"));
        const QStringList first{q(u"15+1"), "2146", "2620", "148.3019", "325.6981", "12.43", "4885.4715", "1520"};
        for (int column = 0; column < QuoteTableModel::ColumnCount; ++column)
            QTRY_COMPARE(quote.cell(0, column), first.at(column));
        QCOMPARE(quote.cell(1, QuoteTableModel::PriceColumn), QStringLiteral("2410"));
        QCOMPARE(quote.get<QLabel>("LblSupplement")->text(), QStringLiteral("920"));

        // An untick in the list: 2040 less at 15 (17 tickets), 2010 a head, 2460 after markup and tax.
        w.tick(5);
        QTRY_COMPARE(quote.cell(0, QuoteTableModel::PriceColumn), QStringLiteral("2460"));
        QCOMPARE(quote.cell(0, QuoteTableModel::CostPerHeadColumn), QStringLiteral("2010"));

        // Kept in the settings file beside the connection settings.
        const std::pair<const char *, const char *> stored[] = {{"Sizes", "15,20"},
                                                                {"FreeEvery", "15"},
                                                                {"Staff", "1"},
                                                                {"Rooms", "twin"},
                                                                {"Rule", "markup"},
                                                                {"RuleValue", "15"},
                                                                {"Tax", "6"},
                                                                {"TaxBase", "price"},
                                                                {"Round", "10"},
                                                                {"ChildExcludes", "房"},
                                                                {"RoomCategories", "房"}};
        for (const auto &[key, value] : stored)
            QCOMPARE(ReadIni(QStringLiteral("Quote"), QString::fromLatin1(key), m_ini), QString::fromUtf8(value));
        QCOMPARE(ReadIni(QStringLiteral("ConnServ"), QStringLiteral("DATA SOURCE"), m_ini), QStringLiteral("db1"));
        QuoteWindow reopened(w.sheet(), m_ini);
        QCOMPARE(reopened.findChild<QLineEdit *>(QStringLiteral("TxtRound"))->text(), QStringLiteral("10"));
        QCOMPARE(AmountToText(reopened.quote().singleSupplement), QStringLiteral("920"));
    }

    // A setting that does not hold: a message, no figures, no document, nothing stored.
    void aSettingThatDoesNotHoldStoresNothing()
    {
        Window w;
        const QuoteView quote = open(w, m_ini);
        quote.type("TxtTax", QStringLiteral("6"));
        QTRY_COMPARE(ReadIni(QStringLiteral("Quote"), QStringLiteral("Tax"), m_ini), QStringLiteral("6"));
        quote.type("TxtTax", QStringLiteral("1x"));
        QTRY_VERIFY(quote.get<QLabel>("LblMessage")->text().contains(q(u"税点“1x”")));
        QCOMPARE(quote.get<QTableView>("TblQuote")->model()->rowCount(), 0);
        QVERIFY(!quote.get<QPushButton>("CmdPdf")->isEnabled());
        QCOMPARE(ReadIni(QStringLiteral("Quote"), QStringLiteral("Tax"), m_ini), QStringLiteral("6"));
    }

    // Values the window does not know are named once, shown unset and left in the file until the
    // planner sets them; a typed-over amount is listed under the table.
    void unknownSettingsAndFlaggedLines()
    {
        const QString ini = m_dir->filePath(QStringLiteral("unknown.ini"));
        for (const auto &[key, value] : {std::pair{"Sizes", "15"},
                                         {"Staff", "x"},
                                         {"Rooms", "FIXED"},
                                         {"Rule", "Markup"},
                                         {"RuleValue", "15"},
                                         {"Tax", "6"},
                                         {"TaxBase", "price"}})
            QVERIFY(WriteIni(QStringLiteral("Quote"), QString::fromLatin1(key), QString::fromLatin1(value), ini));
        Window w;
        const QuoteView quote = open(w, ini);
        const QString notice = quote.get<QLabel>("LblUnknownSettings")->text();
        QVERIFY(quote.get<QLabel>("LblUnknownSettings")->isVisible());
        QVERIFY2(notice.contains(QStringLiteral("Rooms=FIXED")) && notice.contains(QStringLiteral("Rule=Markup")),
                 qPrintable(notice));
        QVERIFY2(notice.contains(QStringLiteral("Staff=x")), qPrintable(notice));
        QCOMPARE(quote.get("TxtStaff")->text(), QString());
        QCOMPARE(quote.get<QComboBox>("CboRule")->currentIndex(), -1);
        QCOMPARE(quote.get<QCheckBox>("ChkRooms")->checkState(), Qt::PartiallyChecked);
        QCOMPARE(quote.get<QTableView>("TblQuote")->model()->rowCount(), 0);

        // Another setting is kept; the unknown ones stay as the file has them.
        quote.type("TxtTax", QStringLiteral("９"));
        QTRY_COMPARE(ReadIni(QStringLiteral("Quote"), QStringLiteral("Tax"), ini), q(u"９"));
        QCOMPARE(ReadIni(QStringLiteral("Quote"), QStringLiteral("Rule"), ini), QStringLiteral("Markup"));
        QCOMPARE(ReadIni(QStringLiteral("Quote"), QStringLiteral("Rooms"), ini), QStringLiteral("FIXED"));
        QCOMPARE(ReadIni(QStringLiteral("Quote"), QStringLiteral("Staff"), ini), QStringLiteral("x"));

        quote.type("TxtStaff", QStringLiteral("0"));
        QCheckBox *rooms = quote.get<QCheckBox>("ChkRooms");
        QTest::mouseClick(rooms, Qt::LeftButton, {}, QPoint(8, rooms->height() / 2)); // on its box
        QTest::keyClick(quote.get<QComboBox>("CboRule"), Qt::Key_Down);
        QTRY_COMPARE(ReadIni(QStringLiteral("Quote"), QStringLiteral("Rule"), ini), QStringLiteral("none"));
        QCOMPARE(ReadIni(QStringLiteral("Quote"), QStringLiteral("Rooms"), ini), QStringLiteral("twin"));
        QVERIFY(!quote.get<QLabel>("LblUnknownSettings")->isVisible());
        QTRY_COMPARE(quote.cell(0, QuoteTableModel::CostPerHeadColumn), QStringLiteral("1970"));

        // The room line's amount typed over: priced from its expression, and named.
        QVERIFY(!quote.get<QWidget>("FraFlagged")->isVisible());
        w.sheet().setAmountText(1, QStringLiteral("14000"));
        QTRY_VERIFY(quote.get<QWidget>("FraFlagged")->isVisible());
        const QAbstractItemModel *flagged = quote.get<QTableView>("TblFlagged")->model();
        QCOMPARE(flagged->rowCount(), 1);
        QCOMPARE(flagged->index(0, 0).data().toString(), QStringLiteral("1"));
        QCOMPARE(flagged->index(0, 3).data().toString(), QStringLiteral("14000"));
        QCOMPARE(flagged->index(0, 4).data().toString(), QStringLiteral("15000"));
        QCOMPARE(quote.cell(0, QuoteTableModel::CostPerHeadColumn), QStringLiteral("1970"));
    }

    // A 1366×768 laptop leaves about 690 pixels between its task bar and the window's title bar:
    // the whole window fits there, the list of typed-over lines included.
    void fitsALaptopScreen()
    {
        Window w;
        const QuoteView quote = open(w, m_ini);
        w.sheet().setAmountText(1, QStringLiteral("14000"));
        w.sheet().setAmountText(2, QStringLiteral("9100"));
        QTRY_VERIFY(quote.get<QWidget>("FraFlagged")->isVisible());
        const QSize page = quote.get<QWidget>("FraQuoteContents")->sizeHint();
        QVERIFY2(page.width() <= 1366 - 16 && page.height() <= 690,
                 qPrintable(QStringLiteral("%1×%2").arg(page.width()).arg(page.height())));
        const QSize room = quote.window->screen()->availableGeometry().size();
        QVERIFY(quote.window->width() <= room.width() && quote.window->height() <= room.height());
    }

    void exportButtonsWriteTheCustomerQuote()
    {
        Window w;
        const QuoteView quote = open(w, m_ini);
        QTest::keyClicks(quote.get("TxtTourName"), QStringLiteral("Yunnan"));
        const std::pair<const char *, const char *> buttons[] = {{"CmdPdf", "%PDF-"}, {"CmdXlsx", "PK"}};
        for (const auto &[button, magic] : buttons) {
            const QString path = m_dir->filePath(QString::fromLatin1(button) + (*magic == '%' ? ".pdf" : ".xlsx"));
            Dialogs::setNextFileName(path);
            QTest::mouseClick(quote.get<QPushButton>(button), Qt::LeftButton);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().startsWith(magic));
        }
        QVERIFY(Dialogs::takeShownMessages().isEmpty());
    }

    void letterheadAndTheIncludesThePlannerWrites()
    {
        Window w;
        const QuoteView quote = open(w, m_ini);
        // The letterhead, typed into its dialog with a logo chosen; kept beside the connection.
        const QString logo = m_dir->filePath(QStringLiteral("chosen.png"));
        QImage(60, 30, QImage::Format_RGB32).save(logo);
        QTimer::singleShot(0, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog && dialog->objectName() == QLatin1String("FrmAgency"));
            QCOMPARE(dialog->windowTitle(), q(u"报价单抬头"));
            typeText(dialog->findChild<QLineEdit *>(QStringLiteral("TxtAgencyName")), q(u"山水旅行社"));
            typeText(dialog->findChild<QPlainTextEdit *>(QStringLiteral("TxtAgencyFooter")), q(u"订金 30%"));
            Dialogs::setNextFileName(logo);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("CmdAgencyLogo")), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("CmdOk")), Qt::LeftButton);
        });
        QTest::mouseClick(quote.get<QPushButton>("CmdAgency"), Qt::LeftButton);
        QCOMPARE(ReadIni(QStringLiteral("Agency"), QStringLiteral("Name"), m_ini), q(u"山水旅行社"));
        QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("agency-logo.png"))));
        QCOMPARE(ReadIni(QStringLiteral("ConnServ"), QStringLiteral("DATA SOURCE"), m_ini), QStringLiteral("db1"));

        // 费用包含 follows the ticked rows until the planner writes in it.
        auto *includes = quote.get<QPlainTextEdit>("TxtIncludes");
        QCOMPARE(includes->toPlainText(), q(u"房\n餐\n车\n导游\n景点门票"));
        w.tick(5);
        QTRY_COMPARE(includes->toPlainText(), q(u"房\n餐\n车\n导游"));
        includes->moveCursor(QTextCursor::End);
        QTest::keyClick(includes, Qt::Key_Return);
        typeText(includes, q(u"机场接送"));
        w.tick(5);
        QTRY_COMPARE(quote.cell(0, QuoteTableModel::CostPerHeadColumn), QStringLiteral("1970"));
        QCOMPARE(includes->toPlainText(), q(u"房\n餐\n车\n导游\n机场接送"));

        // The document carries the letterhead and what the planner wrote, exactly.
        const QString path = m_dir->filePath(QStringLiteral("letterhead.xlsx"));
        Dialogs::setNextFileName(path);
        QTest::mouseClick(quote.get<QPushButton>("CmdXlsx"), Qt::LeftButton);
        const QString text = workbookStrings(path);
        for (const QString &expected : {q(u"山水旅行社"), q(u"机场接送"), q(u"订金 30%"), q(u"报价编号")})
            QVERIFY2(text.contains(expected), qPrintable(expected));
        QVERIFY(!text.contains(q(u"景点门票")));
        QVERIFY(Dialogs::takeShownMessages().isEmpty());

        // Refilled from the sheet on request.
        QTest::mouseClick(quote.get<QPushButton>("CmdRefillIncludes"), Qt::LeftButton);
        QCOMPARE(includes->toPlainText(), q(u"房\n餐\n车\n导游\n景点门票"));
    }

    // Without a rounding step the documents' prices go up to the fen, and the window says so.
    void roundingNoteWithoutAStep()
    {
        Window w;
        const QuoteView quote = open(w, m_ini);
        quote.type("TxtRound", QStringLiteral("0"));
        QTRY_VERIFY(quote.get<QLabel>("LblRoundNote")->isVisible());
        quote.type("TxtRound", QStringLiteral("10"));
        QTRY_VERIFY(!quote.get<QLabel>("LblRoundNote")->isVisible());
    }

    // The texts kept with a sheet come back whole, keys of later versions carried along.
    void keptTextsComeBackWhole()
    {
        Window w;
        const QuoteView quote = open(w, m_ini);
        auto *window = qobject_cast<QuoteWindow *>(quote.window);
        QJsonObject kept = window->perTourTexts();
        kept.insert(QStringLiteral("later"), 1);
        kept.insert(QStringLiteral("tourName"), q(u"八日游"));
        window->setPerTourTexts(kept);
        QCOMPARE(quote.get("TxtTourName")->text(), q(u"八日游"));
        QCOMPARE(window->perTourTexts(), kept);
    }
};

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Dialogs::setScripted(true);
    QTemporaryDir sheets;
    SheetFolder::setPathForTests(sheets.path());
    QuoteWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QuoteWindowTest.moc"
