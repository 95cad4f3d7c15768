#pragma once

#include "db/ConnectionSettings.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

// "数据库连接信息": shows the settings of default.ini, tests a connection with the values in its
// boxes, saves them, and on every closing opens MainConn with the values in its boxes; when that
// fails it says why and ends the program.
class FrmSJKLj : public QDialog
{
    Q_OBJECT
public:
    explicit FrmSJKLj(const QString &iniPath, QWidget *parent = nullptr);

    // The settings as the boxes hold them now.
    ConnectionSettings boxSettings() const;

    void done(int result) override;

private:
    QWidget *buildServerFrame();
    QWidget *buildAccountFrame();
    void load();
    void CmdTest_Click();
    void CmdSave_Click();
    bool save(QString *error);

    QString m_iniPath;
    QLineEdit *m_txtDs = nullptr;
    QLineEdit *m_txtIn = nullptr;
    QLineEdit *m_txtUs = nullptr;
    QLineEdit *m_txtPw = nullptr;
    QRadioButton *m_optAcc[2] = {};
    QPushButton *m_cmdTest = nullptr;
    QPushButton *m_cmdSave = nullptr;
    QPushButton *m_cmdExit = nullptr;
    bool m_closing = false;
};

inline const QString TestSucceededMessage = QStringLiteral("数据库连接测试成功！");
inline const QString TestFailedMessage = QStringLiteral("错误，请检查后再试！");
inline const QString SaveSucceededMessage = QStringLiteral("信息保存成功！");
inline const QString ClosingFailedMessage = QStringLiteral("仍然无法连接数据库，程序将退出。\n\n%1");
