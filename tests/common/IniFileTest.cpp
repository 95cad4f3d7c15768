#include "common/IniFile.h"
#include "tests/common/TestText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifdef _WIN32
// Windows has no all-powerful user: a file's read-only flag stops everyone.
inline int geteuid()
{
    return 1;
}
#else
#include <unistd.h>
#endif

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("default.ini")) const { return m_dir.filePath(name); }
    void writeBytes(const QByteArray &bytes, const QString &name = QStringLiteral("default.ini")) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readBytes() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

// What a Windows installation wrote: GBK text, CRLF line ends. 房 is B7 BF, × is A1 C1.
const QByteArray WindowsFile = "[ConnServ]\r\nDATA SOURCE=\xB7\xBF\xA1\xC1srv\r\ninitial catalog=db1\r\n\r\n"
                               "[ConnUserType]\r\nSQLUser=SQL User\r\n[ConnUser]\r\nUserName=aG\r\nPassWd=\r\n";

TEST_F(IniFileTest, Reads)
{
    const QByteArray oddLines = "; a comment\n  [ ConnServ ]  \nno equals sign here\n  DATA SOURCE  =  srv,1433  \n"
                                "\tinitial catalog\t=\tdb\t\n";
    const std::tuple<const QByteArray &, const char *, const char *, const char16_t *> cases[] = {
        {WindowsFile, "ConnServ", "DATA SOURCE", u"房×srv"}, // GBK
        {WindowsFile, "ConnServ", "initial catalog", u"db1"}, {WindowsFile, "ConnUserType", "SQLUser", u"SQL User"},
        {WindowsFile, "ConnUser", "UserName", u"aG"},         {WindowsFile, "ConnUser", "PassWd", u""},
        {WindowsFile, "connserv", "data source", u"房×srv"}, // names without regard to case
        {WindowsFile, "CONNUSER", "username", u"aG"},         {WindowsFile, "Nowhere", "DATA SOURCE", u""},
        {WindowsFile, "ConnServ", "UserName", u""}, // a key of another section
        {oddLines, "ConnServ", "DATA SOURCE", u"srv,1433"},   {oddLines, "ConnServ", "initial catalog", u"db"},
    };
    EXPECT_EQ(ReadIni("ConnServ", "DATA SOURCE", path()), "") << "no file";
    for (const auto &[file, section, key, value] : cases) {
        writeBytes(file);
        EXPECT_EQ(ReadIni(section, key, path()), QString::fromUtf16(value)) << section << '/' << key;
    }
}

TEST_F(IniFileTest, WriteKeepsOtherLinesTheirOrderAndCrlf)
{
    writeBytes(WindowsFile);
    ASSERT_TRUE(WriteIni("ConnUser", "passwd", "xyz", path()));            // replaced in place
    ASSERT_TRUE(WriteIni("ConnServ", "ODBC Driver", "SQLite3", path()));   // added at its section's end
    ASSERT_TRUE(WriteIni("Extra", "Key", QStringLiteral("报价"), path())); // new section at the end
    EXPECT_EQ(readBytes(), QByteArray("[ConnServ]\r\nDATA SOURCE=\xB7\xBF\xA1\xC1srv\r\ninitial catalog=db1\r\n"
                                      "ODBC Driver=SQLite3\r\n\r\n[ConnUserType]\r\nSQLUser=SQL User\r\n[ConnUser]\r\n"
                                      "UserName=aG\r\npasswd=xyz\r\n[Extra]\r\nKey=\xB1\xA8\xBC\xDB\r\n"));
    EXPECT_EQ(ReadIni("Extra", "key", path()), QStringLiteral("报价"));
}

TEST_F(IniFileTest, CreatesAFileForItsOwnerOnlyAndCutsValuesTo128Characters)
{
    ASSERT_TRUE(WriteIni("ConnServ", "DATA SOURCE", QStringLiteral("服务器\\实例"), path()));
    ASSERT_TRUE(WriteIni("ConnUser", "UserName", "", path()));
#ifndef _WIN32 // on Windows the file takes its folder's access list, which these bits do not show
    EXPECT_EQ(QFile::permissions(path()), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
#endif
    EXPECT_EQ(ReadIni("ConnServ", "DATA SOURCE", path()), QStringLiteral("服务器\\实例"));
    EXPECT_EQ(ReadIni("ConnUser", "UserName", path()), "");
    EXPECT_TRUE(readBytes().contains("UserName=\r\n")); // the key stays, with nothing after "="
    const QString long200 = QString(100, u'房') + QString(100, u'x');
    ASSERT_TRUE(WriteIni("S", "long", long200, path()));
    EXPECT_EQ(ReadIni("S", "long", path()), long200.left(128));
    const QString exact = QString(128, u'k');
    ASSERT_TRUE(WriteIni("S", "exact", exact, path()));
    EXPECT_EQ(ReadIni("S", "exact", path()), exact);
}

TEST_F(IniFileTest, RefusesWhatWouldCorruptTheFile)
{
    writeBytes(WindowsFile);
    QString error;
    EXPECT_FALSE(WriteIni("ConnServ", "DATA SOURCE", "a\r\n[ConnUser]\r\nUserName=x", path(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(WriteIni("ConnServ", "DATA SOURCE", QStringLiteral("emoji 😀"), path(), &error));
    EXPECT_FALSE(WriteIni("ConnServ", "DATA SOURCE", QStringLiteral("añbc"), path(), &error)); // not "a?bc"
    EXPECT_FALSE(WriteIni("Conn]Serv", "x", "y", path(), &error));
    EXPECT_EQ(readBytes(), WindowsFile);
}

TEST_F(IniFileTest, AReadOnlyFileIsReportedAndLeftAlone)
{
    writeBytes(WindowsFile);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadUser);
    const bool root = geteuid() == 0;
    // root writes any file its mode forbids; only the immutable flag stops it.
    if (root && QProcess::execute("chattr", {"+i", path()}) != 0)
        GTEST_SKIP() << "running as root without chattr: no way to make a file read-only";
    QString error;
    const bool written = WriteIni("ConnServ", "DATA SOURCE", "other", path(), &error);
    if (root)
        QProcess::execute("chattr", {"-i", path()});
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.contains(path())) << error.toStdString();
    EXPECT_EQ(readBytes(), WindowsFile);
}

// An administrator's grant on the file alone (a program folder users may not write): the file is
// rewritten in place, every other line kept.
TEST_F(IniFileTest, AWritableFileInAFolderThatTakesNoNewFileIsRewrittenInPlace)
{
    writeBytes(WindowsFile);
    const QString folder = m_dir.path();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const bool root = geteuid() == 0;
    if (root && QProcess::execute("chattr", {"+i", folder}) != 0)
        GTEST_SKIP() << "running as root without chattr: no way to close a folder";
    QString error;
    const bool written = WriteIni("ConnServ", "initial catalog", "db2", path(), &error);
    if (root)
        QProcess::execute("chattr", {"-i", folder});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(written) << error.toStdString();
    QByteArray expected = WindowsFile;
    expected.replace("initial catalog=db1", "initial catalog=db2");
    EXPECT_EQ(readBytes(), expected);
}

// A folder that cannot hold the file; a FIFO, which would block the program for ever: anything but a regular file
// is no settings file.
TEST_F(IniFileTest, WhatIsNoRegularFileIsNeitherReadNorWritten)
{
    writeBytes("not a folder", "plain");
    QString error;
    EXPECT_FALSE(WriteIni("S", "k", "v", path("plain/default.ini"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadIni("S", "k", path("plain/default.ini")), "");
#ifdef _WIN32
    ASSERT_TRUE(QDir().mkdir(path())); // no FIFOs here: a folder is the other thing that is not a file
#else
    ASSERT_EQ(mkfifo(path().toLocal8Bit().constData(), 0600), 0);
#endif
    EXPECT_EQ(ReadIni("ConnServ", "DATA SOURCE", path()), "");
    EXPECT_FALSE(WriteIni("ConnServ", "DATA SOURCE", "x", path(), &error));
    EXPECT_TRUE(error.contains(path())) << error.toStdString();
}

// Every line the program does not change keeps its bytes, even where they are not valid in the
// file's encoding (a comment another program wrote); the new line is in the file's encoding.
TEST_F(IniFileTest, OtherLinesKeepTheirBytesInEveryEncoding)
{
    const std::tuple<QByteArray, QByteArray> cases[] = {
        {"\xEF\xBB\xBF[ConnServ]\nDATA SOURCE=\xE6\x88\xBF\n; \xB7\xBF gbk\n",
         "\xEF\xBB\xBF[ConnServ]\nDATA SOURCE=\xE6\x88\xBF\n; \xB7\xBF gbk\ninitial catalog=\xE5\xBA\x93\n"},
        {"; \xFF\x80 not gbk\r\n[ConnServ]\r\nDATA SOURCE=\xB7\xBF\r\n",
         "; \xFF\x80 not gbk\r\n[ConnServ]\r\nDATA SOURCE=\xB7\xBF\r\ninitial catalog=\xBF\xE2\r\n"},
        {QByteArray("\xFF\xFE[\0S\0]\0\r\0\n\0", 12),
         QByteArray("\xFF\xFE[\0S\0]\0\r\0\n\0[\0C\0o\0n\0n\0S\0e\0r\0v\0]\0\r\0\n\0i\0n\0i\0t\0i\0a\0l\0 \0c\0a\0t\0"
                    "a\0l\0o\0g\0=\0\x93\x5E\r\0\n\0",
                    74)},
    };
    for (const auto &[before, after] : cases) {
        SCOPED_TRACE(before.toHex(' ').toStdString());
        writeBytes(before);
        EXPECT_TRUE(WriteIni("ConnServ", "initial catalog", QStringLiteral("库"), path()));
        EXPECT_EQ(readBytes().toHex(' '), after.toHex(' '));
        EXPECT_EQ(ReadIni("connserv", "initial catalog", path()), QStringLiteral("库"));
    }
}

} // namespace
