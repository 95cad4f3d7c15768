#include "TestServer.h"

#include "common/Dialogs.h"
#include "db/ConnectionSettings.h"
#include "db/Database.h"
#include "db/FrmSJKLj.h"
#include "db/IniFile.h"
#include "db/OpenConn.h"
#include "db/ProgramExit.h"
#include "db/SqlServerNetwork.h"
#include "db/TextScramble.h"
#include "sheet/CostSheet.h"
#include "sheet/QueryFillWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
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
        m_server = PgServer::fromEnvironment();
    }
    void TearDown() override { setEndProgramHandler({}); }
    QString ini() const { return m_dir.filePath("default.ini"); }
    void requireServer()
    {
        if (!m_server.available())
            GTEST_SKIP() << "no PostgreSQL server: run through ctest, which starts one";
    }
    template <typename T> static T *child(QWidget &window, const char *name)
    {
        T *widget = window.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QStringList messageTexts()
    {
        QStringList texts;
        for (const Dialogs::ShownMessage &m : Dialogs::takeShownMessages())
            texts.append(m.text);
        return texts;
    }

    QTemporaryDir m_dir;
    PgServer m_server;
};

TEST_F(FrmSJKLjTest, EchoAndFocusOrder)
{
    FrmSJKLj window(ini());
    auto *user = child<QLineEdit>(window, "TxtUs");
    auto *password = child<QLineEdit>(window, "TxtPw");
    user->setText("sa");
    password->setText(QStringLiteral("密码1"));
    EXPECT_EQ(user->displayText(), "**");
    EXPECT_EQ(password->displayText(), "***");
    EXPECT_EQ(child<QLineEdit>(window, "TxtDs")->echoMode(), QLineEdit::Normal);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "CmdSave");
    QStringList order;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(order, QStringList({"CmdExit", "OptAcc_0", "TxtUs", "TxtPw", "TxtDs", "TxtIn", "CmdTest", "CmdSave"}));
    window.hide();
}

TEST_F(FrmSJKLjTest, OpensWithEachAccountType)
{
    struct Case
    {
        const char *accountType; // nullptr: no key
        const char *storedUser;
        bool system;
        const char *shownUser;
    };
    const Case cases[] = {
        {"SYSTEM", "aG", true, ""},     {" SYSTEM ", "aG", true, ""}, {"SQL User", "aG", false, "sa"},
        {nullptr, " aG ", false, "sa"}, {"system", "", false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.accountType ? c.accountType : "(none)");
        QFile::remove(ini());
        WriteIni("ConnServ", "DATA SOURCE", QStringLiteral("服务器,1433"), ini());
        WriteIni("ConnServ", "initial catalog", "tours", ini());
        if (c.accountType)
            WriteIni("ConnUserType", "SQLUser", c.accountType, ini());
        WriteIni("ConnUser", "UserName", c.storedUser, ini());
        WriteIni("ConnUser", "PassWd", EncodeText("123456"), ini());
        FrmSJKLj window(ini());
        EXPECT_EQ(child<QLineEdit>(window, "TxtDs")->text(), QStringLiteral("服务器,1433"));
        EXPECT_EQ(child<QLineEdit>(window, "TxtIn")->text(), "tours");
        EXPECT_EQ(child<QRadioButton>(window, "OptAcc_1")->isChecked(), c.system);
        EXPECT_EQ(child<QRadioButton>(window, "OptAcc_0")->isChecked(), !c.system);
        EXPECT_EQ(child<QLineEdit>(window, "TxtUs")->text(), QString::fromUtf8(c.shownUser));
        EXPECT_EQ(child<QLineEdit>(window, "TxtPw")->text(), c.system ? "" : "123456");
    }
}

TEST_F(FrmSJKLjTest, TestConnectionThroughFreeTds)
{
    const TdsServer server = TdsServer::fromEnvironment();
    if (!server.available())
        GTEST_SKIP() << "no test SQL Server: run through ctest, which starts one";
    struct Case
    {
        int port;
        const char *password;
        QString shown;
        Dialogs::Icon icon;
    };
    const Case cases[] = {
        {server.login, "secret", TestSucceededMessage, Dialogs::Icon::Information},
        {server.login, "wrong", TestFailedMessage, Dialogs::Icon::Critical},
        // Refused for want of encryption, and told why: checking the values again would not help.
        {server.plain, "secret", TestFailedMessage + "\n\n" + PlainLoginRefusedMessage, Dialogs::Icon::Critical},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.password);
        WriteSqlServerIni(ini(), QStringLiteral("127.0.0.1,%1").arg(c.port), "sa", c.password);
        FrmSJKLj window(ini());
        QTest::mouseClick(child<QPushButton>(window, "CmdTest"), Qt::LeftButton);
        const auto shown = Dialogs::takeShownMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, c.shown);
        EXPECT_EQ(shown[0].title, OperationTitle);
        EXPECT_EQ(shown[0].icon, c.icon);
        EXPECT_FALSE(MainConn().isOpen()); // the test does not touch MainConn
    }
}

// Nothing answers, neither the server nor the browser service for a named instance: the test
// gives up after its 5 seconds. Only an upper bound, with a margin for a loaded machine.
TEST_F(FrmSJKLjTest, TestConnectionGivesUpOnASilentServer)
{
    for (SilentListener::Kind kind : {SilentListener::Tcp, SilentListener::Udp}) {
        SilentListener listener(kind);
        setSqlBrowserPort(quint16(listener.port()));
        WriteSqlServerIni(ini(), kind == SilentListener::Tcp ? QStringLiteral("127.0.0.1,%1").arg(listener.port())
                                                             : QStringLiteral("127.0.0.1\\SQLEXPRESS"));
        FrmSJKLj window(ini());
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(child<QPushButton>(window, "CmdTest"), Qt::LeftButton);
        EXPECT_LT(timer.elapsed(), 6500) << kind;
        EXPECT_EQ(messageTexts(), QStringList{TestFailedMessage});
    }
    setSqlBrowserPort(1434);
}

// Save rewrites the file once: a value that cannot be stored leaves every old value in place,
// and a file that holds a log-in ends readable by its owner only.
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
    QTest::mouseClick(child<QRadioButton>(window, "OptAcc_0"), Qt::LeftButton);
    child<QLineEdit>(window, "TxtDs")->setText("new source");
    child<QLineEdit>(window, "TxtUs")->setText(QStringLiteral("sa"));
    // Neither a line break nor a character without a GBK code (it would be stored as "?").
    const struct
    {
        const char *box, *text;
    } refused[] = {{"TxtIn", "line\nbreak"}, {"TxtPw", "añbc"}, {"TxtUs", "用户😀"}};
    for (const auto &c : refused) {
        SCOPED_TRACE(c.text);
        child<QLineEdit>(window, "TxtIn")->setText("catalog");
        child<QLineEdit>(window, "TxtPw")->setText("pw");
        child<QLineEdit>(window, "TxtUs")->setText("sa");
        child<QLineEdit>(window, c.box)->setText(QString::fromUtf8(c.text));
        QTest::mouseClick(child<QPushButton>(window, "CmdSave"), Qt::LeftButton);
        const auto shown = Dialogs::takeShownMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("连接设置没有保存成功！"))) << shown[0].text.toStdString();
        EXPECT_EQ(shown[0].icon, Dialogs::Icon::Critical);
        EXPECT_TRUE(window.isVisible()); // a failed save does not close the window nor connect
        EXPECT_FALSE(MainConn().isOpen());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before);
        file.close();
    }

    child<QLineEdit>(window, "TxtUs")->setText("sa");
    child<QLineEdit>(window, "TxtIn")->setText("changed");
    child<QLineEdit>(window, "TxtPw")->setText(QStringLiteral("密码 secret"));
    QTest::mouseClick(child<QPushButton>(window, "CmdSave"), Qt::LeftButton);
    EXPECT_EQ(messageTexts().value(0), SaveSucceededMessage);
    EXPECT_EQ(ReadIni("ConnServ", "initial catalog", ini()), "changed");
    EXPECT_EQ(ReadConnectionSettings(ini()).password, QStringLiteral("密码 secret"));
    const QFile::Permissions others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(ini()) & others, QFile::Permissions());
}

TEST_F(FrmSJKLjTest, SaveWritesTheBoxesThenClosingOpensMainConn)
{
    requireServer();
    FrmSJKLj window(ini());
    child<QLineEdit>(window, "TxtDs")->setText(" " + m_server.host + "," + m_server.port + " ");
    child<QLineEdit>(window, "TxtIn")->setText(m_server.database);
    child<QLineEdit>(window, "TxtUs")->setText(m_server.user);
    child<QLineEdit>(window, "TxtPw")->setText("  " + m_server.password + " ");
    WriteIni("ConnServ", "ODBC Driver", "PostgreSQL Unicode", ini());
    window.show();
    QTest::mouseClick(child<QPushButton>(window, "CmdSave"), Qt::LeftButton);
    EXPECT_EQ(messageTexts(), QStringList{SaveSucceededMessage});
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(g_endings.isEmpty());
    EXPECT_TRUE(MainConn().isOpen());
    EXPECT_EQ(ReadIni("ConnUserType", "SQLUser", ini()), "SQL User");
    EXPECT_EQ(ReadIni("ConnUser", "PassWd", ini()), EncodeText(m_server.password));
    EXPECT_EQ(ReadIni("ConnUser", "UserName", ini()), EncodeText(m_server.user));
    EXPECT_EQ(ReadConnectionSettings(ini()).password, m_server.password);
}

TEST_F(FrmSJKLjTest, SaveWithTheSystemAccountEmptiesTheLogIn)
{
    WriteSqliteIni(ini(), QStringLiteral(QUILVAR_SAMPLE_DB));
    WriteIni("ConnUserType", "SQLUser", "SQL User", ini());
    FrmSJKLj window(ini());
    child<QLineEdit>(window, "TxtUs")->setText("kept in the box");
    child<QLineEdit>(window, "TxtPw")->setText("but not saved");
    QTest::mouseClick(child<QRadioButton>(window, "OptAcc_1"), Qt::LeftButton);
    ASSERT_TRUE(child<QRadioButton>(window, "OptAcc_1")->isChecked());
    QTest::mouseClick(child<QPushButton>(window, "CmdSave"), Qt::LeftButton);
    EXPECT_EQ(ReadIni("ConnUserType", "SQLUser", ini()), "SYSTEM");
    EXPECT_EQ(ReadIni("ConnUser", "UserName", ini()), "");
    EXPECT_EQ(ReadIni("ConnUser", "PassWd", ini()), "");
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
    requireServer();
    WritePgIni(ini(), m_server, m_server.user, "wrong", m_server.database);
    QStringList seenBeforeWindow;
    bool windowShown = false;
    QTimer::singleShot(0, [&] {
        auto *window = qobject_cast<FrmSJKLj *>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        windowShown = true;
        seenBeforeWindow = messageTexts();
        window->findChild<QLineEdit *>("TxtPw")->setText(m_server.password);
        QTest::mouseClick(window->findChild<QPushButton *>("CmdExit"), Qt::LeftButton);
    });
    CostSheet sheet;
    EXPECT_TRUE(
        RunCzTable(sheet, "SELECT category, content, expression, amount FROM cost_line ORDER BY line_no", ini()));
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(seenBeforeWindow, QStringList{ConnectErrorMessage});
    EXPECT_TRUE(MainConn().isOpen());
    EXPECT_TRUE(ConnStr().contains("Password=wrong"));          // ConnStr is not composed again
    EXPECT_EQ(ReadConnectionSettings(ini()).password, "wrong"); // and the file was not saved
    EXPECT_EQ(sheet.rowCount(), 23);
    EXPECT_TRUE(g_endings.isEmpty());
    EXPECT_TRUE(Dialogs::takeShownMessages().isEmpty());
}

TEST_F(FrmSJKLjTest, RunCzTableFillsOrEndsWithTheError)
{
    WriteSqliteIni(ini(), QStringLiteral(QUILVAR_SAMPLE_DB));
    CostSheet sheet;
    EXPECT_TRUE(RunCzTable(sheet,
                           "SELECT category, content, expression, amount FROM tour_cost WHERE tour_code = 'YN8D' "
                           "ORDER BY line_no",
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
