#pragma once

#include <QObject>
#include <QUrl>

#include <functional>

class QWidget;

// Types the text key by key, Chinese characters too (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget *widget, const QString &text);

// Runs `check` on the modal dialog that the next action opens, then closes it.
void answerNextModal(std::function<void(QWidget *)> check);

// Records what the program hands to the browser instead of opening it.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class ControlJsjTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void appendsAndTypes();
    void deletesAFactorInTheMiddle();
    void enterMovesOnAsTab();
    void hostResizeRaisesResize();
};

class CalculatorWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startsAsDesigned();
    void refreshButtonStandsInTheGapOfLabel3();
    void pricesALineWithMouseAndKeyboard();
    void keysMoveOn_data();
    void keysMoveOn();
    void dropDownFollowsTheTextAndEnterMovesOn();
    void commitsWhenTheFocusLeaves_data();
    void commitsWhenTheFocusLeaves();
    void rowsAndEditorsAreOneHeight();
    void scrollingEndsTheEdit_data();
    void scrollingEndsTheEdit();
    void clicksWithoutEditor();
    void tickingRecomputes();
    void headCountDividesTheTotalAsTyped();
    void expressionEditorStaysInsideTheWindow();
    void rightPressOpensTheMenuAtThePointer();
    void layoutFollowsEveryResize();
    void menuItemsThroughTheShownMenu();
    void refreshButton();
    void helpIndentsHoldInAProportionalFont();
    void aboutAndHelpAreModal();
};
