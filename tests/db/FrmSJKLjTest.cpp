#include "TestServer.h"

#include "common/Dialogs.h"
#include "common/IniFile.h"
#include "common/ProgramExit.h"
#include "db/Database.h"
#include "db/FrmSJKLj.h"
#include "db/OpenConn.h"
#include "db/SqlServerNetwork.h"
#include "db/TextScramble.h"
#include "sheet/CostSheet.h"
#include "sheet/QueryFillWindow.h"
#include "tests/common/TestText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QList<int> g_endings;

class FrmSJKLjTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Dialogs::setScripted(true);
        g_endings.clear();
        setEndProgramHandler([](int status) { g_endings.append(status); });
        MainConn().close();
    }
    void TearDown() override { setEndProgramHandler({}); }
    QString ini() const { return m_dir.filePath("default.ini"); }
    template <typename T = QLineEdit> static T *child(QWidget &window, const char *name)
    {
        T *widget = window.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void click(QWidget &window, const char *name)
    {
        QTest::mouseClick(child<QAbstractButton>(window, name), Qt::LeftButton);
    }
    static QStringList messageTexts()
    {
        QStringList texts;
        for (const Dialogs::ShownMessage &m : Dialogs::takeShownMessages())
            texts.append(m.text);
        return texts;
    }
    // The right edge of what the label draws, in the window's coordinates.
    static int rightmostInk(QLabel *label)
    {
        const QImage image = label->grab().toImage();
        for (int x = image.width() - 1; x >= 0; --x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) != image.pixel(0, 0))
                    return label->mapTo(label->window(), QPoint(x * label->width() / image.width(), 0)).x();
        return -1;
    }

    QTemporaryDir m_dir;
    PgServer m_pg = PgServer::fromEnvironment();
};

TEST_F(FrmSJKLjTest, EchoFocusOrderAndLayoutInEitherCjkFont)
{
    const QString longText = "Driver={PostgreSQL Unicode};Server=db.example;Port=5432;SSLMode=require";
    WriteIniValues({{"ConnServ", "DATA SOURCE", longText}, {"ConnServ", "initial catalog", longText}}, ini(), true);
    for (const char *family : {"Noto Sans CJK SC", "WenQuanYi Zen Hei"}) {
        SCOPED_TRACE(family);
        FrmSJKLj window(ini());
        window.setFont(QFont(family, 9));
        child(window, "TxtUs")->setText("sa");
        child(window, "TxtPw")->setText(QStringLiteral("密码1"));
        EXPECT_EQ(child(window, "TxtUs")->displayText(), "**");
        EXPECT_EQ(child(window, "TxtPw")->displayText(), "***");
        EXPECT_EQ(child(window, "TxtDs")->echoMode(), QLineEdit::Normal);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_EQ(QApplication::focusWidget()->objectName(), "CmdSave");
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order.append(QApplication::focusWidget()->objectName());
        }
        EXPECT_EQ(order,
                  QStringList({"CmdExit", "OptAcc_0", "TxtUs", "TxtPw", "TxtDs", "TxtIn", "CmdTest", "CmdSave"}));
        if (!QFontInfo(window.font()).family().contains(family, Qt::CaseInsensitive))
            continue; // the font is not installed
        // Each pair of labels above each other ends in one column of colons.
        for (const auto &[upper, lower] : {std::pair{"Label2", "Label3"}, std::pair{"Label4", "Label5"}}) {
            const int colon = rightmostInk(child<QLabel>(window, upper));
            EXPECT_GT(colon, 0) << upper;
            EXPECT_EQ(colon, rightmostInk(child<QLabel>(window, lower))) << upper;
        }
        // A text longer than its box opens at its start, the part that names the server.
        for (const char *name : {"TxtDs", "TxtIn"}) {
            QLineEdit *box = child(window, name);
            EXPECT_EQ(box->text(), longText);
            EXPECT_GT(box->fontMetrics().horizontalAdvance(longText), box->width()) << name;
            EXPECT_LE(box->cursorPositionAt(QPoint(box->contentsRect().left() + 4, box->height() / 2)), 1) << name;
        }
    }
}

TEST_F(FrmSJKLjTest, OpensWithEachAccountType)
{
    // Account type (nullptr: no key), stored user, system account, shown user.
    const std::tuple<const char *, const char *, bool, const char *> cases[] = {
        {"SYSTEM", "aG", true, ""},     {" SYSTEM ", "aG", true, ""}, {"SQL User", "aG", false, "sa"},
        {nullptr, " aG ", false, "sa"}, {"system", "", false, ""},
    };
    for (const auto &[accountType, storedUser, system, shownUser] : cases) {
        SCOPED_TRACE(accountType ? accountType : "(none)");
        QFile::remove(ini());
        WriteIniValues({{"ConnServ", "DATA SOURCE", QStringLiteral("服务器,1433")},
                        {"ConnServ", "initial catalog", "tours"},
                        {"ConnUser", "UserName", storedUser},
                        {"ConnUser", "PassWd", EncodeText("123456")}},
                       ini(), true);
        if (accountType)
            WriteIni("ConnUserType", "SQLUser", accountType, ini());
        FrmSJKLj window(ini());
        EXPECT_EQ(child(window, "TxtDs")->text(), QStringLiteral("服务器,1433"));
        EXPECT_EQ(child(window, "TxtIn")->text(), "tours");
        EXPECT_EQ(child<QRadioButton>(window, "OptAcc_1")->isChecked(), system);
        EXPECT_EQ(child<QRadioButton>(window, "OptAcc_0")->isChecked(), !system);
        EXPECT_EQ(child(window, "TxtUs")->text(), QString::fromUtf8(shownUser));
        EXPECT_EQ(child(window, "TxtPw")->text(), system ? "" : "123456");
    }
}

// Through FreeTDS; a server refused for want of encryption is named (checking the values again would not help); where
// nothing answers, neither the server nor the browser service for a named instance, the test gives up after its 5
// seconds (an upper bound, with a margin).
TEST_F(FrmSJKLjTest, TestConnectionThroughFreeTds)
{
    const TdsServer server = TdsServer::fromEnvironment();
    if (!server.available())
        GTEST_SKIP() << "no test SQL Server: run through ctest, which starts one";
    setSqlBrowserPort(quint16(server.silentUdp));
    const auto at = [](int port) { return QStringLiteral("127.0.0.1,%1").arg(port); };
    const std::tuple<QString, const char *, QString> cases[] = {
        {at(server.login), "secret", TestSucceededMessage},
        {at(server.login), "wrong", TestFailedMessage},
        {at(server.plain), "secret", TestFailedMessage + "\n\n" + PlainLoginRefusedMessage},
        {at(server.silentTcp), "secret", TestFailedMessage},
        {"127.0.0.1\\SQLEXPRESS", "secret", TestFailedMessage}};
    for (const auto &[dataSource, password, expected] : cases) {
        SCOPED_TRACE(dataSource.toStdString() + password);
        WriteSqlServerIni(ini(), dataSource, "sa", password);
        FrmSJKLj window(ini());
        QElapsedTimer timer;
        timer.start();
        click(window, "CmdTest");
        EXPECT_LT(timer.elapsed(), 5000 + BusyMachineMarginMs);
        const auto shown = Dialogs::takeShownMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, expected);
        EXPECT_EQ(shown[0].title, OperationTitle);
        EXPECT_EQ(shown[0].icon,
                  expected == TestSucceededMessage ? Dialogs::Icon::Information : Dialogs::Icon::Critical);
        EXPECT_FALSE(MainConn().isOpen()); // the test does not touch MainConn
    }
    setSqlBrowserPort(1434);
}

// Save rewrites the file once: a value that cannot be stored leaves every old value in place, and a file that holds a
// log-in ends readable by its owner only.
TEST_F(FrmSJKLjTest, SaveIsOneRewriteAndKeepsTheLogInPrivate)
{
    WriteSqliteIni(ini(), QStringLiteral(QUILVAR_SAMPLE_DB));
    ASSERT_TRUE(
        QFile::setPermissions(ini(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    QFile file(ini());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    FrmSJKLj window(ini());
    window.show();
    click(window, "OptAcc_0");
    child(window, "TxtDs")->setText("new source");
    // Neither a line break nor a character without a GBK code (it would be stored as "?").
    const std::pair<const char *, const char *> refused[] = {
        {"TxtIn", "line\nbreak"}, {"TxtPw", "añbc"}, {"TxtUs", "用户😀"}, {nullptr, nullptr}};
    for (const auto &[box, text] : refused) {
        child(window, "TxtIn")->setText(box ? "catalog" : "changed");
        child(window, "TxtPw")->setText(box ? "pw" : QStringLiteral("密码 secret"));
        child(window, "TxtUs")->setText("sa");
        if (!box)
            break;
        SCOPED_TRACE(text);
        child(window, box)->setText(QString::fromUtf8(text));
        click(window, "CmdSave");
        const auto shown = Dialogs::takeShownMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("连接设置没有保存成功！"))) << shown[0].text.toStdString();
        EXPECT_EQ(shown[0].icon, Dialogs::Icon::Critical);
        EXPECT_TRUE(window.isVisible()); // a failed save neither closes the window nor connects
        EXPECT_FALSE(MainConn().isOpen());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before);
        file.close();
    }
    click(window, "CmdSave");
    EXPECT_EQ(messageTexts().value(0), SaveSucceededMessage);
    EXPECT_EQ(ReadIni("ConnServ", "initial catalog", ini()), "changed");
    EXPECT_EQ(ReadConnectionSettings(ini()).password, QStringLiteral("密码 secret"));
#ifndef _WIN32 // on Windows the file takes its folder's access list, which these bits do not show
    const QFile::Permissions others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(ini()) & others, QFile::Permissions());
#endif
}

TEST_F(FrmSJKLjTest, SaveWritesTheBoxesThenClosingOpensMainConn)
{
    if (!m_pg.available())
        GTEST_SKIP() << "no PostgreSQL server: run through ctest, which starts one";
    FrmSJKLj window(ini());
    child(window, "TxtDs")->setText(" " + m_pg.host + "," + m_pg.port + " ");
    child(window, "TxtIn")->setText(m_pg.database);
    child(window, "TxtUs")->setText(m_pg.user);
    child(window, "TxtPw")->setText("  " + m_pg.password + " ");
    WriteIni("ConnServ", "ODBC Driver", "PostgreSQL Unicode", ini());
    window.show();
    click(window, "CmdSave");
    EXPECT_EQ(messageTexts(), QStringList{SaveSucceededMessage});
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(g_endings.isEmpty());
    EXPECT_TRUE(MainConn().isOpen());
    EXPECT_EQ(ReadIni("ConnUserType", "SQLUser", ini()), "SQL User");
    EXPECT_EQ(ReadIni("ConnUser", "PassWd", ini()), EncodeText(m_pg.password));
    EXPECT_EQ(ReadIni("ConnUser", "UserName", ini()), EncodeText(m_pg.user));
    EXPECT_EQ(ReadConnectionSettings(ini()).password, m_pg.password);

    // With the system account the log-in is stored empty, whatever the boxes hold.
    WriteSqliteIni(ini(), QStringLiteral(QUILVAR_SAMPLE_DB));
    WriteIni("ConnUserType", "SQLUser", "SQL User", ini());
    FrmSJKLj system(ini());
    child(system, "TxtUs")->setText("kept in the box");
    child(system, "TxtPw")->setText("but not saved");
    click(system, "OptAcc_1");
    ASSERT_TRUE(child<QRadioButton>(system, "OptAcc_1")->isChecked());
    click(system, "CmdSave");
    EXPECT_EQ(ReadIni("ConnUserType", "SQLUser", ini()), "SYSTEM");
    EXPECT_EQ(ReadIni("ConnUser", "UserName", ini()), "");
    QFile file(ini());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("PassWd=\r\n"));
    EXPECT_TRUE(MainConn().isOpen()); // the sample database opened at closing
}

// Ending without a word would look like a crash: the connection's error is told first.
TEST_F(FrmSJKLjTest, ClosingThatCannotConnectSaysWhyThenEnds)
{
    WriteSqliteIni(ini(), m_dir.filePath("missing.sqlite"));
    FrmSJKLj window(ini());
    window.show();
    window.close(); // the window's own close command
    EXPECT_EQ(g_endings, QList<int>{1});
    const auto shown = Dialogs::takeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.contains("[SQLite]")) << shown[0].text.toStdString();
    EXPECT_EQ(shown[0].title, ConnectErrorTitle);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(FrmSJKLjTest, OpenConnShowsTheErrorThenTheWindowAndTheFillUsesTheCorrection)
{
    if (!m_pg.available())
        GTEST_SKIP() << "no PostgreSQL server: run through ctest, which starts one";
    WritePgIni(ini(), m_pg, m_pg.user, "wrong", m_pg.database);
    QStringList seenBeforeWindow;
    bool windowShown = false;
    QTimer::singleShot(0, [&] {
        auto *window = qobject_cast<FrmSJKLj *>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        windowShown = true;
        seenBeforeWindow = messageTexts();
        child(*window, "TxtPw")->setText(m_pg.password);
        click(*window, "CmdExit");
    });
    CostSheet sheet;
    EXPECT_TRUE(
        RunCzTable(sheet, "SELECT category, content, expression, amount FROM cost_line ORDER BY line_no", ini()));
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(seenBeforeWindow, QStringList{ConnectErrorMessage});
    EXPECT_TRUE(MainConn().isOpen());
    EXPECT_TRUE(ConnStr().contains("Password=wrong")); // ConnStr is not composed again
    EXPECT_EQ(ReadConnectionSettings(ini()).password,
              "wrong"); // and the file was not saved
    EXPECT_EQ(sheet.rowCount(), 23);
    EXPECT_TRUE(g_endings.isEmpty());
    EXPECT_TRUE(Dialogs::takeShownMessages().isEmpty());
}

TEST_F(FrmSJKLjTest, RunCzTableFillsOrEndsWithTheError)
{
    WriteSqliteIni(ini(), QStringLiteral(QUILVAR_SAMPLE_DB));
    CostSheet sheet;
    EXPECT_TRUE(RunCzTable(
        sheet, "SELECT category, content, expression, amount FROM tour_cost WHERE tour_code = 'YN8D' ORDER BY line_no",
        ini()));
    EXPECT_EQ(sheet.row(12).Expression, QStringLiteral("单价: 88.80 × 2.5小时 × 3人"));
    EXPECT_EQ(sheet.row(12).AmountText, "666");
    EXPECT_TRUE(g_endings.isEmpty());

    EXPECT_FALSE(RunCzTable(sheet, "SELECT category FROM tour_cost", ini()));
    const auto shown = Dialogs::takeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.contains("3265")) << shown[0].text.toStdString();
    EXPECT_EQ(shown[0].icon, Dialogs::Icon::Critical);
    EXPECT_EQ(g_endings, QList<int>{1});
}

TEST_F(FrmSJKLjTest, MissingSettingsFileIsToldBeforeTheConnectionError)
{
    QTimer::singleShot(0, [&] {
        if (auto *window = QApplication::activeModalWidget())
            window->close();
    });
    OpenConn(m_dir.filePath("nowhere.ini"));
    const auto shown = Dialogs::takeShownMessages();
    ASSERT_EQ(shown.size(), 3); // the last: the closing could not connect either
    EXPECT_EQ(shown[0].text, MissingIniMessage);
    EXPECT_EQ(shown[0].title, MissingIniTitle);
    EXPECT_EQ(shown[0].icon, Dialogs::Icon::Critical);
    EXPECT_EQ(shown[1].text, ConnectErrorMessage);
    EXPECT_EQ(shown[1].title, ConnectErrorTitle);
    EXPECT_EQ(shown[1].icon, Dialogs::Icon::Warning);
    EXPECT_EQ(g_endings, QList<int>{1});
}

} // namespace

int main(int argc, char **argv)
{
    // Also when ctest lists the tests, which it does without the tests' environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
