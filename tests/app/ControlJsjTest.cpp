#include "WindowTests.h"

// One slot's three controls take 30 + 555 + 30 + 675 + 30 + 300 twips.
static constexpr int SlotPixels = 108;

class ControlJsjTest : public QObject
{
    Q_OBJECT
private slots:
    void appendsTypesAndMovesOnWithEnter()
    {
        ControlJsj editor;
        editor.show();
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QSignalSpy changes(&editor, &ControlJsj::ChangeText);
        QSignalSpy resizes(&editor, &ControlJsj::Resize);
        const int startWidth = editor.width();

        typeText(editor.unitPriceField(), QStringLiteral("300"));
        QCOMPARE(changes.count(), 3); // one per keystroke

        QTest::mouseClick(editor.timesButton(0), Qt::LeftButton);
        QTRY_VERIFY(editor.countField(1)->hasFocus());
        QCOMPARE(editor.width(), startWidth + SlotPixels);
        QCOMPARE(resizes.count(), 1);
        typeText(editor.countField(1), QStringLiteral("2"));
        typeText(editor.unitField(1), QStringLiteral("晚"));
        QCOMPARE(editor.StrBds(), QStringLiteral("单价: 300.00 × 2晚"));
        QCOMPARE(editor.CurHjje(), Amount::fromUnits(600 * Amount::Scale));
        // The unit list stays empty: the planner types the unit word.
        QCOMPARE(editor.unitField(1)->count(), 0);

        // Enter moves on as Tab does, and appends nothing.
        editor.countField(1)->setFocus();
        QTest::keyClick(editor.countField(1), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), editor.unitField(1));
        QCOMPARE(editor.model().LastSlot(), 1);
        editor.unitPriceField()->setFocus();
        QTest::keyClick(editor.unitPriceField(), Qt::Key_Enter);
        QTRY_VERIFY(editor.timesButton(0)->hasFocus());
        // Enter on a focused "×" presses it: the rightmost appends a factor.
        editor.timesButton(1)->setFocus();
        QTest::keyClick(editor.timesButton(1), Qt::Key_Return);
        QCOMPARE(editor.model().LastSlot(), 2);
    }

    void deletesAFactorInTheMiddleAndRaisesResize()
    {
        ControlJsj editor;
        editor.show();
        // "单价" at (60, 60), 360 twips wide, about the middle of its designed 180 twips.
        const QLabel *label = editor.findChild<QLabel *>(QStringLiteral("Label1"));
        QCOMPARE(QPoint(label->x(), label->geometry().center().y()), QPoint(4, 9));
        QCOMPARE(label->size(), QSize(24, qMax(12, label->sizeHint().height())));

        editor.setStrBds(QStringLiteral("单价: 123.00 × 45间 × 6天 × 2晚"));
        editor.ReadStrBds();
        const int slot1Left = editor.countField(1)->x();
        const int slot2Left = editor.countField(2)->x();
        const int fullWidth = editor.width();
        QSignalSpy resizes(&editor, &ControlJsj::Resize);

        // The slot-1 button deletes slot 2; slot 3 moves left into its place.
        QTest::mouseClick(editor.timesButton(1), Qt::LeftButton);
        QVERIFY(!editor.countField(2) && !editor.unitField(2) && !editor.timesButton(2));
        QCOMPARE(editor.countField(3)->x(), slot2Left);
        QCOMPARE(editor.unitField(3)->currentText(), QStringLiteral("晚"));
        QCOMPARE(editor.width(), fullWidth - SlotPixels);
        QCOMPARE(resizes.count(), 1);

        // The slot-0 button then deletes slot 1; slot 3 moves again, skipping the free slot 2.
        QTest::mouseClick(editor.timesButton(0), Qt::LeftButton);
        QVERIFY(!editor.countField(1));
        QCOMPARE(editor.countField(3)->x(), slot1Left);
        QCOMPARE(editor.timesButton(3)->x() + editor.timesButton(3)->width() + 4, editor.width());

        // A resize by the host raises Resize, as the editor's own growing does, once each.
        resizes.clear();
        editor.resize(editor.width() + 40, editor.height());
        QCOMPARE(resizes.count(), 1);
        editor.timesButton(editor.model().LastSlot())->click();
        QCOMPARE(resizes.count(), 2);
    }

    void marksNumbersThatDoNotReadWhole()
    {
        Window w;
        checkMarks(w.box("Text3"), "head count");
        w.click(1, 4);
        QTRY_VERIFY(w.expression->isVisible());
        QTest::mouseClick(w.expression->timesButton(0), Qt::LeftButton);
        checkMarks(w.expression->unitPriceField(), "price");
        checkMarks(w.expression->countField(1), "count");
        // The reading itself is unchanged: 「30.5.1」 in the count prices 30.5 of the unit.
        for (const auto &[field, typed] :
             {std::pair{w.expression->countField(1), "30.5.1"}, std::pair{w.expression->unitPriceField(), "2"}}) {
            field->setFocus();
            field->selectAll();
            typeText(field, QString::fromLatin1(typed));
        }
        QCOMPARE(w.sheet().row(1).AmountText, QStringLiteral("61"));
    }

private:
    static void checkMarks(QLineEdit *field, const char *box)
    {
        // The readings themselves are LeadingNumber's; here a mark is shown, then taken away.
        using Typed = std::pair<const char16_t *, const char16_t *>;
        for (const auto &[typed, tip] : {Typed{u"1,900", u"只读到 1：“,” 之后的文字不算数"}, Typed{u"1900", u""}}) {
            const QString what = QStringLiteral("%1 %2").arg(QString::fromLatin1(box), QString::fromUtf16(typed));
            field->setFocus();
            field->selectAll();
            typeText(field, QString::fromUtf16(typed));
            QVERIFY2(field->toolTip() == QString::fromUtf16(tip), qPrintable(what));
            // The frame is red whatever the style draws around an ordinary box.
            const auto red = [field] {
                const QColor edge = field->grab().toImage().pixelColor(0, field->height() / 2);
                return edge.red() > 180 && edge.green() < 60 && edge.blue() < 60;
            };
            QTRY_VERIFY2(red() == (*tip != 0), qPrintable(what));
        }
    }
};

int runControlJsjTests(int argc, char *argv[])
{
    ControlJsjTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ControlJsjTest.moc"
