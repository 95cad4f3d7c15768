#include "db/FrmSJKLj.h"
#include "db/IniFile.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

// The settings window as a Linux desktop draws it, whatever CJK font it has.
class SettingsWindowLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void colonsLineUpAndBoxesShowTheirStart_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("Noto Sans CJK SC") << QStringLiteral("Noto Sans CJK SC");
        QTest::newRow("WenQuanYi Zen Hei") << QStringLiteral("WenQuanYi Zen Hei");
    }

    void colonsLineUpAndBoxesShowTheirStart()
    {
        QFETCH(QString, family);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("default.ini"));
        const QString longText =
            QStringLiteral("Driver={PostgreSQL Unicode};Server=db.example;Port=5432;SSLMode=require");
        QVERIFY(WriteIni(QStringLiteral("ConnServ"), QStringLiteral("DATA SOURCE"), longText, ini));
        QVERIFY(WriteIni(QStringLiteral("ConnServ"), QStringLiteral("initial catalog"), longText, ini));

        FrmSJKLj window(ini);
        QFont font(family, 9);
        window.setFont(font);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (!QFontInfo(window.font()).family().contains(family, Qt::CaseInsensitive))
            QSKIP("font not installed");

        // Each pair of labels above each other ends in one column of colons.
        const std::pair<const char *, const char *> pairs[] = {{"Label2", "Label3"}, {"Label4", "Label5"}};
        for (const auto &[upper, lower] : pairs) {
            const int upperColon = rightmostInk(label(window, upper));
            const int lowerColon = rightmostInk(label(window, lower));
            QVERIFY2(upperColon > 0, upper);
            QCOMPARE(upperColon, lowerColon);
        }

        // A text longer than its box opens at its start, the part that names the server.
        for (const char *name : {"TxtDs", "TxtIn"}) {
            auto *box = window.findChild<QLineEdit *>(QLatin1String(name));
            QCOMPARE(box->text(), longText);
            QVERIFY2(box->fontMetrics().horizontalAdvance(longText) > box->width(), name);
            // The character at the box's left edge is the first one.
            QVERIFY2(box->cursorPositionAt(QPoint(box->contentsRect().left() + 4, box->height() / 2)) <= 1, name);
        }
    }

private:
    static QLabel *label(QWidget &window, const char *name) { return window.findChild<QLabel *>(QLatin1String(name)); }
    // The right edge of what the label draws, in the window's coordinates.
    static int rightmostInk(QLabel *label)
    {
        const QImage image = label->grab().toImage();
        const QRgb background = image.pixel(0, 0);
        for (int x = image.width() - 1; x >= 0; --x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) != background)
                    return label->mapTo(label->window(), QPoint(x * label->width() / image.width(), 0)).x();
        return -1;
    }
};

QTEST_MAIN(SettingsWindowLayoutTest)
#include "SettingsWindowLayoutTest.moc"
