#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Message boxes and file dialogs go through here, so that a test can answer them and no modal
// window ever blocks a test run.
// The title of the message boxes that answer an action of the planner.
inline const QString OperationTitle = QStringLiteral("操作提示");

namespace Dialogs {

enum class Icon
{
    Information,
    Warning,
    Critical
};

// A message box with the text, the title, the icon and an OK button; returns when it is closed.
void message(QWidget *parent, const QString &text, const QString &title, Icon icon);

// A question with its own buttons; Enter chooses defaultButton, Escape the last (the cancel).
// Returns the index of the button chosen, or the cancel's when the box is closed without a choice.
int ask(QWidget *parent, const QString &text, const QString &title, const QStringList &buttons, int defaultButton = 0);

// An existing file to open, or the empty text when the user cancelled.
QString openFileName(QWidget *parent, const QString &title, const QString &directory, const QString &filters);
// A file to write, or the empty text when the user cancelled. A name typed without a suffix gets
// defaultSuffix (when given), and the overwrite question is asked for that name.
QString saveFileName(QWidget *parent, const QString &title, const QString &suggestedPath, const QString &filters,
                     const QString &defaultSuffix = QString());

// For tests: while scripted, nothing is shown; messages are recorded and file dialogs take their
// answers from a queue (an empty queue answers as a cancel).
struct ShownMessage
{
    QString text;
    QString title;
    Icon icon;
    // For a question, the button Enter would choose; -1 for a message.
    int defaultButton = -1;
};
void setScripted(bool scripted);
bool isScripted();
QList<ShownMessage> takeShownMessages();
void setNextFileName(const QString &fileName);
// The answer of the next question (a button's index); with none queued a question is cancelled.
// Questions are recorded among the shown messages.
void setNextAnswer(int button);

} // namespace Dialogs
