// Puts the calculator window into one state and photographs the screen with ImageMagick's
// `import`. Run it under Xvfb through tools/screenshots.sh.
#include "app/CalculatorWindow.h"
#include "app/QtTranslations.h"
#include "app/RecentQuotesDialog.h"
#include "app/SheetEditCommands.h"
#include "app/memory/SheetFolder.h"
#include "common/Dialogs.h"
#include "common/IniFile.h"
#include "costline/ControlJsj.h"
#include "costline/Expression.h"
#include "db/Database.h"
#include "db/FrmSJKLj.h"
#include "db/TextScramble.h"
#include "sheet/InPlaceEditing.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QLockFile>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>

#include <cstdio>

#include <xlsxwriter.h>

namespace {
struct PricedLine
{
    const char *category;
    const char *content;
    const char *price;
    QList<Factor> factors;
};

void fillPricedSheet(CalculatorWindow &window)
{
    const QList<PricedLine> lines = {
        {"房", "北京饭店 标准间", "350", {{"12", "间"}, {"5", "晚"}}},
        {"餐", "团队餐 十人一桌", "50", {{"25", "人"}, {"10", "餐"}}},
        {"车", "33座旅游大巴", "1200", {{"5", "天"}}},
        {"导游", "全程中文导游", "200", {{"5", "天"}}},
        {"景点门票", "故宫、八达岭长城", "100", {{"25", "人"}}},
        {"综费", "保险及杂费", "30", {{"25", "人"}}},
    };
    CostSheet &sheet = window.sheet();
    int position = 1;
    for (const PricedLine &line : lines) {
        const BuiltExpression built = BuildStrBds(QString::fromUtf8(line.price), line.factors);
        sheet.setCategory(position, QString::fromUtf8(line.category));
        sheet.setContent(position, QString::fromUtf8(line.content));
        sheet.setExpression(position, built.text);
        sheet.setAmountText(position, AmountToText(built.amount));
        sheet.setIncluded(position, true);
        ++position;
    }
    sheet.RefreshTotals();
    window.setHeadCountText(QStringLiteral("25"));
}

void shoot(const QString &file)
{
    const int status =
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
    if (status != 0)
        std::fprintf(stderr, "import failed with %d\n", status);
    // No import to start (the Windows build under Wine): the picture is taken from outside while
    // the windows stay on the screen, still drawn.
    if (status == -2) {
        QEventLoop stay;
        QTimer::singleShot(8000, &stay, &QEventLoop::quit);
        stay.exec();
    }
}
// Calls act once condition holds: dialogs take their time to appear, lists to fill.
template <typename Condition, typename Act> void whenTrue(Condition condition, Act act)
{
    auto *poll = new QTimer;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(poll, &QTimer::timeout, [poll, condition, act, waited] {
        if (condition()) {
            poll->deleteLater();
            poll->stop();
            act();
        } else if (waited.hasExpired(30000)) {
            // A scene that never comes would hang the screenshot script: it fails instead.
            std::fputs("screenshot driver: the scene did not come within 30 s\n", stderr);
            QCoreApplication::exit(1);
        }
    });
    poll->start(100);
}
// Calls act on the modal window of type T once it is open.
template <typename T, typename Act> void whenModal(Act act)
{
    whenTrue([] { return qobject_cast<T *>(QApplication::activeModalWidget()) != nullptr; },
             [act] { act(qobject_cast<T *>(QApplication::activeModalWidget())); });
}

// The workbook commands through their real dialogs: the open dialog's formats, an export refused
// for an overflowed amount, an export that no program opened, an import of too many rows.
void workbookScene(QApplication &app, CalculatorWindow &window, const QString &scene, const QString &file,
                   const QString &folder)
{
    const QByteArray path = qgetenv("PATH");
    auto shootAndQuit = [&app, file, path](QWidget *modal) {
        QTimer::singleShot(500, [&app, file, path, modal] {
            qputenv("PATH", path);
            shoot(file);
            modal->close();
            app.quit();
        });
    };
    const QString workbook = QDir(folder).filePath(QStringLiteral("报价单.xlsx"));
    const char *command = "MnuLv_2OutExcel";
    if (scene == QLatin1String("open") || scene == QLatin1String("toolong")) {
        command = "MnuLv_2InExcel";
        // Text in row 40,000 and no 合计 row: more rows than a sheet holds.
        lxw_workbook *book = workbook_new(workbook.toUtf8().constData());
        worksheet_write_string(workbook_add_worksheet(book, nullptr), 39999, 0, "房", nullptr);
        workbook_close(book);
    }
    if (scene == QLatin1String("overflow")) {
        window.sheet().setAmountText(3, QStringLiteral("溢出"));
        window.sheet().RefreshTotals();
    }
    whenModal<QFileDialog>([=](QFileDialog *dialog) {
        if (scene == QLatin1String("open")) {
            dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->showPopup();
            shootAndQuit(dialog);
            return;
        }
        if (scene == QLatin1String("saved"))
            qputenv("PATH", folder.toLocal8Bit()); // no program that opens workbooks
        dialog->selectFile(workbook);
        QMetaObject::invokeMethod(dialog, "accept");
        whenModal<QMessageBox>(shootAndQuit);
    });
    window.popupMenu()->findChild<QAction *>(QString::fromLatin1(command))->trigger();
}
// Sheets kept by earlier calculators: one ended by a crash, one a host started, one still open.
void keepEarlierSheets(CalculatorWindow &window, QLockFile &stillOpen)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    SheetRecord record;
    record.rows = window.sheet().rows();
    record.text1 = window.sheet().Text1();
    record.text3 = QStringLiteral("25");
    record.text4 = window.sheet().Text4();
    record.started = record.changed = now.addSecs(-600);
    record.quoteTexts = {{QStringLiteral("tourName"), QStringLiteral("北京五日游")}};
    WriteRecordFile(QDir(SheetFolder::path()).filePath(QStringLiteral("a.qsheet")), record, nullptr);
    record.quoteTexts = {};
    record.closed = true;
    record.changed = now.addDays(-2);
    record.query = QStringLiteral("select 项目, 内容, 表达式, 金额 from 报价明细 where 团号 = 'YN8D-1207'");
    WriteRecordFile(QDir(SheetFolder::path()).filePath(QStringLiteral("b.qsheet")), record, nullptr);
    record.query.clear();
    record.rows.removeFirst();
    record.changed = now.addSecs(-60);
    const QString open = QDir(SheetFolder::path()).filePath(QStringLiteral("c.qsheet"));
    WriteRecordFile(open, record, nullptr);
    stillOpen.setStaleLockTime(0);
    stillOpen.tryLock(0);
}

// The memory's windows and the paste question and a misread number.
void memoryScene(QApplication &app, CalculatorWindow &window, const QString &scene, const QString &file)
{
    auto shootAndQuit = [&app, file] {
        shoot(file);
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        app.quit();
    };
    if (scene == QLatin1String("recent")) {
        // Photographed once the folder is read and the list filled, however long the reading takes.
        whenModal<RecentQuotesDialog>([shootAndQuit](RecentQuotesDialog *dialog) {
            auto *list = dialog->findChild<QTreeView *>(QStringLiteral("LvRecent"));
            whenTrue([list] { return list->isEnabled(); },
                     [dialog, shootAndQuit] {
                         dialog->repaint();
                         shootAndQuit();
                     });
        });
        window.popupMenu()->findChild<QAction *>(QStringLiteral("MnuLv_2Recent"))->trigger();
        return;
    }
    QTimer::singleShot(600, shootAndQuit);
    if (scene == QLatin1String("paste")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("车\t大巴\n导游\t金牌\n其它\t水\n"));
        auto *list = window.findChild<QTreeView *>(QStringLiteral("Lv1"));
        list->setCurrentIndex(list->model()->index(1, 0));
        window.editCommands().paste();
    } else if (scene == QLatin1String("marked")) {
        window.findChild<QLineEdit *>(QStringLiteral("Text3"))->setText(QStringLiteral("３０人"));
        window.sheet().setCurRow(2);
        window.editing().EditCell(ExpressionColumn, 2);
        QLineEdit *price = window.findChild<ControlJsj *>(QStringLiteral("ControlJsj1"))->unitPriceField();
        price->setText(QStringLiteral("1,900"));
        QToolTip::showText(price->mapToGlobal(QPoint(0, price->height())), price->toolTip(), price);
    }
}

// The quote window beside the calculator, as far right as the screen lets it be.
void placeBeside(const QWidget &window, QWidget *quote)
{
    const QRect room = window.screen()->availableGeometry();
    quote->move(qMax(0, qMin(window.frameGeometry().right() + 10, room.right() + 1 - quote->frameGeometry().width())),
                0);
}

// The quote window opened over a settings file: one with values it does not know (named, shown
// unset), or one that prices the sheet with the room line's amount typed over (listed under the
// table).
void quoteCheckScene(CalculatorWindow &window, const QString &scene, const QString &folder)
{
    const QString ini = QDir(folder).filePath(QStringLiteral("default.ini"));
    const bool unknown = scene == QLatin1String("quoteunknown");
    const std::pair<const char *, const char *> stored[] = {{"Sizes", "16,20,25,30"},
                                                            {"FreeEvery", "15"},
                                                            {"Staff", "1"},
                                                            {"Rooms", unknown ? "FIXED" : "twin"},
                                                            {"Rule", unknown ? "Markup" : "markup"},
                                                            {"RuleValue", "15"},
                                                            {"Tax", "6"},
                                                            {"Round", "10"}};
    for (const auto &[key, value] : stored)
        WriteIni(QStringLiteral("Quote"), QString::fromLatin1(key), QString::fromLatin1(value), ini);
    window.setIniFilePath(ini);
    if (!unknown) {
        window.sheet().setAmountText(1, QStringLiteral("20000"));
        window.sheet().RefreshTotals();
    }
    window.popupMenu()->findChild<QAction *>(QStringLiteral("MnuLv_2Quote"))->trigger();
    auto *quote = window.findChild<QWidget *>(QStringLiteral("FrmQuote"));
    placeBeside(window, quote);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    LoadQtChineseTranslations(app);
    QTemporaryDir sheets;
    SheetFolder::setPathForTests(sheets.path());
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: %s "
                     "main|editor|category|dropdown|menu|quote|quoteunknown|quoteflagged|agency|refresh|open|overflow|"
                     "saved|toolong|about|help|"
                     "connerror|settings|recent|crashnote|paste|marked OUTPUT.png\n",
                     argv[0]);
        return 2;
    }
    const QString scene = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);

    // The settings window and the connection-error message come before the calculator is shown.
    QTemporaryDir scratch;
    if (scene == QLatin1String("settings") || scene == QLatin1String("connerror")) {
        const QString ini = scratch.filePath(QStringLiteral("default.ini"));
        WriteIni(QStringLiteral("ConnServ"), QStringLiteral("DATA SOURCE"), QStringLiteral("dbserver\\SQLEXPRESS"),
                 ini);
        WriteIni(QStringLiteral("ConnServ"), QStringLiteral("initial catalog"), QStringLiteral("tour"), ini);
        WriteIni(QStringLiteral("ConnUserType"), QStringLiteral("SQLUser"), QStringLiteral("SQL User"), ini);
        WriteIni(QStringLiteral("ConnUser"), QStringLiteral("UserName"), EncodeText(QStringLiteral("planner")), ini);
        WriteIni(QStringLiteral("ConnUser"), QStringLiteral("PassWd"), EncodeText(QStringLiteral("secret")), ini);
        QTimer::singleShot(800, [&] {
            shoot(file);
            app.quit();
        });
        if (scene == QLatin1String("connerror")) {
            QTimer::singleShot(
                0, [] { Dialogs::message(nullptr, ConnectErrorMessage, ConnectErrorTitle, Dialogs::Icon::Warning); });
            return app.exec();
        }
        FrmSJKLj settings(ini);
        settings.show();
        return app.exec();
    }

    CalculatorWindow window;
    window.move(0, 0);
    fillPricedSheet(window);
    QLockFile stillOpen(QDir(SheetFolder::path()).filePath(QStringLiteral("c.qsheet.lock")));
    if (scene == QLatin1String("recent") || scene == QLatin1String("crashnote")) {
        keepEarlierSheets(window, stillOpen);
        window.noteLastEnd(true);
    }
    window.show();

    const int settle = 600;
    QTimer::singleShot(settle, [&] {
        if (scene == QLatin1String("editor")) {
            window.sheet().setCurRow(2);
            window.editing().EditCell(ExpressionColumn, 2);
        } else if (scene == QLatin1String("category") || scene == QLatin1String("dropdown")) {
            window.sheet().setCurRow(1);
            window.editing().EditCell(CategoryColumn, 1);
            if (scene == QLatin1String("dropdown"))
                window.findChild<QComboBox *>(QStringLiteral("Combo1"))->showPopup();
        } else if (scene == QLatin1String("menu")) {
            auto *frame = window.findChild<QGroupBox *>(QStringLiteral("Frame1"));
            auto *button = frame->findChild<QPushButton *>(QStringLiteral("Command1"));
            window.showMenuAt(frame->pos() + button->pos());
        } else if (scene == QLatin1String("quote") || scene == QLatin1String("agency")) {
            // The quote window beside the calculator, with the sizes and rules of a real quote;
            // for agency, its letterhead dialog over it.
            const QString ini = scratch.filePath(QStringLiteral("default.ini"));
            const std::pair<const char *, const char *> agency[] = {
                {"Name", "北京长城国际旅行社有限公司"},
                {"Address", "北京市东城区王府井大街 100 号"},
                {"Telephone", "010-6512 3456"},
                {"Contact", "王芳"},
                {"Licence", "L-BJ-CJ00321"},
                {"Terms1", "签约付 30% 订金，出发前 7 天付清余款。"}};
            for (const auto &[key, value] : agency)
                WriteIni(QStringLiteral("Agency"), QString::fromLatin1(key), QString::fromUtf8(value), ini);
            window.setIniFilePath(ini);
            window.popupMenu()->findChild<QAction *>(QStringLiteral("MnuLv_2Quote"))->trigger();
            auto *quote = window.findChild<QWidget *>(QStringLiteral("FrmQuote"));
            const std::pair<const char *, const char *> settings[] = {
                {"TxtSizes", "16,20,25,30"},  {"TxtFreeEvery", "15"}, {"TxtStaff", "1"},
                {"TxtRuleValue", "15"},       {"TxtTax", "6"},        {"TxtRound", "10"},
                {"TxtTourName", "北京五日游"}};
            quote->findChild<QComboBox *>(QStringLiteral("CboRule"))->setCurrentIndex(1);
            for (const auto &[name, text] : settings)
                quote->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(QString::fromUtf8(text));
            placeBeside(window, quote);
            if (scene == QLatin1String("agency")) {
                QTimer::singleShot(settle, [&] {
                    shoot(file);
                    if (QWidget *modal = QApplication::activeModalWidget())
                        modal->close();
                    app.quit();
                });
                quote->findChild<QPushButton *>(QStringLiteral("CmdAgency"))->click();
                return;
            }
        } else if (scene == QLatin1String("quoteunknown") || scene == QLatin1String("quoteflagged")) {
            quoteCheckScene(window, scene, scratch.path());
        } else if (scene == QLatin1String("refresh")) {
            // A head count that is no positive number: the refresh is refused with a message.
            QTimer::singleShot(settle, [&] {
                shoot(file);
                if (QWidget *modal = QApplication::activeModalWidget())
                    modal->close();
                app.quit();
            });
            auto *frame = window.findChild<QGroupBox *>(QStringLiteral("Frame1"));
            frame->findChild<QLineEdit *>(QStringLiteral("Text3"))->setText(QStringLiteral("abc"));
            frame->findChild<QPushButton *>(QStringLiteral("Command2"))->click();
            return;
        } else if (QStringList{"recent", "paste", "marked"}.contains(scene)) {
            memoryScene(app, window, scene, file);
            return;
        } else if (QStringList{"open", "overflow", "saved", "toolong"}.contains(scene)) {
            workbookScene(app, window, scene, file, scratch.path());
            return;
        } else if (scene == QLatin1String("about") || scene == QLatin1String("help")) {
            // The dialog runs modally; it is photographed and closed from inside its loop.
            QTimer::singleShot(settle, [&] {
                shoot(file);
                if (QWidget *modal = QApplication::activeModalWidget())
                    modal->close();
                app.quit();
            });
            const char *item = scene == QLatin1String("about") ? "MnuLv_4about" : "MnuLv_4help";
            window.popupMenu()->findChild<QAction *>(QString::fromLatin1(item))->trigger();
            return;
        }
        QTimer::singleShot(settle, [&] {
            shoot(file);
            app.quit();
        });
    });
    return app.exec();
}
