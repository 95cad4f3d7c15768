#include "db/FrmSJKLj.h"

#include "common/Dialogs.h"
#include "common/IniFile.h"
#include "common/PaddedLabel.h"
#include "common/ProgramExit.h"
#include "common/Spaces.h"
#include "db/Database.h"
#include "db/TextScramble.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLineEdit *makeBox(QWidget *parent, const char *name, bool hidden)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    if (hidden) {
        box->setEchoMode(QLineEdit::Password);
        // Every typed character shows as "*", whatever the style's own mask character is.
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    }
    return box;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, QWidget *buddy)
{
    auto *label = new PaddedLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

FrmSJKLj::FrmSJKLj(const QString &iniPath, QWidget *parent) : QDialog(parent), m_iniPath(iniPath)
{
    setObjectName(QStringLiteral("FrmSJKLj"));
    setWindowTitle(QStringLiteral("数据库连接信息"));
    setModal(true);

    QWidget *frame2 = buildServerFrame();
    QWidget *frame1 = buildAccountFrame();
    m_cmdTest = makeButton(this, "CmdTest", QStringLiteral("测试连接(&T)"));
    m_cmdSave = makeButton(this, "CmdSave", QStringLiteral("保存(&S)"));
    m_cmdExit = makeButton(this, "CmdExit", QStringLiteral("退出(&E)"));
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdTest);
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdExit);
    buttons->addStretch();

    auto *lower = new QHBoxLayout;
    lower->addWidget(frame1, 1);
    lower->addLayout(buttons);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(frame2);
    outer->addLayout(lower);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_cmdSave, m_cmdExit);
    setTabOrder(m_cmdExit, m_optAcc[0]);
    setTabOrder(m_optAcc[0], m_optAcc[1]);
    setTabOrder(m_optAcc[1], m_txtUs);
    setTabOrder(m_txtUs, m_txtPw);
    setTabOrder(m_txtPw, m_txtDs);
    setTabOrder(m_txtDs, m_txtIn);
    setTabOrder(m_txtIn, m_cmdTest);

    connect(m_cmdTest, &QPushButton::clicked, this, &FrmSJKLj::CmdTest_Click);
    connect(m_cmdSave, &QPushButton::clicked, this, &FrmSJKLj::CmdSave_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &QDialog::reject);

    load();
    m_cmdSave->setFocus();
}

// Frame2: the data source and the database.
QWidget *FrmSJKLj::buildServerFrame()
{
    auto *frame2 = new QGroupBox(QStringLiteral("连接选项"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    m_txtDs = makeBox(frame2, "TxtDs", false);
    m_txtIn = makeBox(frame2, "TxtIn", false);
    auto *serverGrid = new QGridLayout(frame2);
    serverGrid->addWidget(makeLabel(frame2, "Label2", QStringLiteral("数  据  源(&DATA SOURCE)    ："), m_txtDs), 0, 0);
    serverGrid->addWidget(m_txtDs, 0, 1);
    serverGrid->addWidget(makeLabel(frame2, "Label3", QStringLiteral("数据库名称(&Initial Catalog)："), m_txtIn), 1, 0);
    serverGrid->addWidget(m_txtIn, 1, 1);
    return frame2;
}

// Frame1: the account's name and password, and which account.
QWidget *FrmSJKLj::buildAccountFrame()
{
    auto *frame1 = new QGroupBox(QStringLiteral("启动服务帐户"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_txtUs = makeBox(frame1, "TxtUs", true);
    m_txtPw = makeBox(frame1, "TxtPw", true);
    m_optAcc[0] = new QRadioButton(QStringLiteral("SQL Server帐户"), frame1);
    m_optAcc[0]->setObjectName(QStringLiteral("OptAcc_0"));
    m_optAcc[1] = new QRadioButton(QStringLiteral("系统帐户"), frame1);
    m_optAcc[1]->setObjectName(QStringLiteral("OptAcc_1"));
    auto *group = new QButtonGroup(this);
    group->setObjectName(QStringLiteral("OptAcc"));
    group->addButton(m_optAcc[0], 0);
    group->addButton(m_optAcc[1], 1);
    m_optAcc[0]->setChecked(true);
    auto *accountGrid = new QGridLayout(frame1);
    accountGrid->addWidget(makeLabel(frame1, "Label4", QStringLiteral("用户名(&User id)："), m_txtUs), 0, 0);
    accountGrid->addWidget(m_txtUs, 0, 1);
    accountGrid->addWidget(makeLabel(frame1, "Label5", QStringLiteral("密  码(&Pwd)    ："), m_txtPw), 1, 0);
    accountGrid->addWidget(m_txtPw, 1, 1);
    auto *options = new QHBoxLayout;
    options->addWidget(m_optAcc[0]);
    options->addWidget(m_optAcc[1]);
    accountGrid->addLayout(options, 2, 0, 1, 2);
    return frame1;
}

void FrmSJKLj::load()
{
    m_txtDs->setText(ReadIni(IniKeys::ConnServ, IniKeys::DataSource, m_iniPath));
    m_txtIn->setText(ReadIni(IniKeys::ConnServ, IniKeys::InitialCatalog, m_iniPath));
    // setText leaves the caret at the end, and a box narrower than its text then shows only the
    // end: a long ODBC data source would open with its start, the part that names it, hidden.
    m_txtDs->setCursorPosition(0);
    m_txtIn->setCursorPosition(0);
    if (IsSystemAccount(ReadIni(IniKeys::ConnUserType, IniKeys::SqlUser, m_iniPath))) {
        m_optAcc[1]->setChecked(true);
        m_txtUs->clear();
        m_txtPw->clear();
        return;
    }
    m_optAcc[0]->setChecked(true);
    const auto decoded = [this](const QString &key) {
        const QString stored = ReadIni(IniKeys::ConnUser, key, m_iniPath);
        return stored.isEmpty() ? QString() : DecodeText(TrimSpaces(stored).toString());
    };
    m_txtUs->setText(decoded(IniKeys::UserName));
    m_txtPw->setText(decoded(IniKeys::PassWd));
}

ConnectionSettings FrmSJKLj::boxSettings() const
{
    ConnectionSettings settings;
    settings.dataSource = m_txtDs->text();
    settings.initialCatalog = m_txtIn->text();
    if (m_optAcc[0]->isChecked()) {
        settings.userName = m_txtUs->text();
        settings.password = m_txtPw->text();
    } else {
        settings.account = ConnectionSettings::Account::System;
    }
    return settings;
}

void FrmSJKLj::CmdTest_Click()
{
    OdbcConnection test;
    DbError error;
    if (OpenWithSettings(test, TrimmedSettings(boxSettings()), m_iniPath, TestLoginTimeout, &error)) {
        Dialogs::message(this, TestSucceededMessage, OperationTitle, Dialogs::Icon::Information);
    } else {
        // A server refused for want of encryption is named: checking the values again would not help.
        const QString text = error.kind == DbError::Kind::PlainLoginRefused
                                 ? TestFailedMessage + QStringLiteral("\n\n") + error.description
                                 : TestFailedMessage;
        Dialogs::message(this, text, OperationTitle, Dialogs::Icon::Critical);
    }
    test.close();
}

bool FrmSJKLj::save(QString *error)
{
    const bool sqlAccount = m_optAcc[0]->isChecked();
    // The log-in is stored scrambled in GBK: a character GBK does not have would come back as "?"
    // and the next start could not log in.
    if (sqlAccount && !(IsGbkText(m_txtUs->text()) && IsGbkText(m_txtPw->text()))) {
        *error = QStringLiteral(
            "用户名或密码中含有 GBK 编码无法表示的字符，无法保存。请只使用中文、英文字母、数字和常用符号。");
        return false;
    }
    const QList<IniEntry> entries = {
        {IniKeys::ConnServ, IniKeys::DataSource, m_txtDs->text()},
        {IniKeys::ConnServ, IniKeys::InitialCatalog, m_txtIn->text()},
        {IniKeys::ConnUserType, IniKeys::SqlUser, sqlAccount ? IniKeys::SqlServerAccount : IniKeys::SystemAccount},
        {IniKeys::ConnUser, IniKeys::UserName, sqlAccount ? EncodeText(m_txtUs->text()) : QString()},
        {IniKeys::ConnUser, IniKeys::PassWd, sqlAccount ? EncodeText(m_txtPw->text()) : QString()},
    };
    // One rewrite: a failure leaves the old settings whole, never half old and half new.
    return WriteIniValues(entries, m_iniPath, sqlAccount, error);
}

void FrmSJKLj::CmdSave_Click()
{
    QString error;
    if (!save(&error)) {
        // The Windows program said "saved" whatever happened; here the user learns that it was not.
        Dialogs::message(this, QStringLiteral("连接设置没有保存成功！\n%1").arg(error), OperationTitle,
                         Dialogs::Icon::Critical);
        return;
    }
    Dialogs::message(this, SaveSucceededMessage, OperationTitle, Dialogs::Icon::Information);
    accept();
}

void FrmSJKLj::done(int result)
{
    if (m_closing)
        return;
    m_closing = true;
    // Every closing opens MainConn with the boxes as they are now, saved or not; without it the
    // program cannot go on.
    DbError error;
    if (!ReopenMainConn(TrimmedSettings(boxSettings()), m_iniPath, &error)) {
        // Ending without a word looks like a crash: the planner is told what the connection met.
        Dialogs::message(this, ClosingFailedMessage.arg(error.description), ConnectErrorTitle, Dialogs::Icon::Critical);
        EndProgram(1);
    }
    QDialog::done(result);
    m_closing = false;
}
