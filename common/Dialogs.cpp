#include "common/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace Dialogs {
namespace {
struct Script
{
    bool on = false;
    QList<ShownMessage> shown;
    QStringList fileNames;
    QList<int> answers;
};
Script &script()
{
    static Script instance;
    return instance;
}

QString takeFileName()
{
    return script().fileNames.isEmpty() ? QString() : script().fileNames.takeFirst();
}
} // namespace

void message(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    if (script().on) {
        script().shown.append({text, title, icon});
        return;
    }
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    if (icon == Icon::Warning)
        boxIcon = QMessageBox::Warning;
    else if (icon == Icon::Critical)
        boxIcon = QMessageBox::Critical;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

int ask(QWidget *parent, const QString &text, const QString &title, const QStringList &buttons)
{
    const int cancel = int(buttons.size()) - 1;
    if (script().on) {
        script().shown.append({text, title, Icon::Information});
        return script().answers.isEmpty() ? cancel : script().answers.takeFirst();
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton *> added;
    for (int i = 0; i < buttons.size(); ++i)
        added.append(box.addButton(buttons.at(i), i == cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    box.setDefaultButton(qobject_cast<QPushButton *>(added.value(0)));
    box.setEscapeButton(added.value(cancel));
    box.exec();
    const int chosen = int(added.indexOf(box.clickedButton()));
    return chosen < 0 ? cancel : chosen;
}

QString openFileName(QWidget *parent, const QString &title, const QString &directory, const QString &filters)
{
    if (script().on)
        return takeFileName();
    return QFileDialog::getOpenFileName(parent, title, directory, filters);
}

QString saveFileName(QWidget *parent, const QString &title, const QString &suggestedPath, const QString &filters,
                     const QString &defaultSuffix)
{
    if (script().on) {
        // As the dialog does: only a name without any suffix gets the default one.
        QString name = takeFileName();
        if (!name.isEmpty() && !defaultSuffix.isEmpty() && QFileInfo(name).suffix().isEmpty())
            name += QLatin1Char('.') + defaultSuffix;
        return name;
    }
    QFileDialog dialog(parent, title, QFileInfo(suggestedPath).path(), filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void setScripted(bool scripted)
{
    script() = Script();
    script().on = scripted;
}

bool isScripted()
{
    return script().on;
}

QList<ShownMessage> takeShownMessages()
{
    QList<ShownMessage> shown;
    shown.swap(script().shown);
    return shown;
}

void setNextFileName(const QString &fileName)
{
    script().fileNames.append(fileName);
}

void setNextAnswer(int button)
{
    script().answers.append(button);
}

} // namespace Dialogs
