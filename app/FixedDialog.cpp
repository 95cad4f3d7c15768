#include "app/FixedDialog.h"

#include <QDialog>
#include <QLayout>
#include <QScreen>

void MakeFixedCentred(QDialog &dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    if (dialog.layout()) {
        dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
        dialog.adjustSize();
    }
    dialog.setFixedSize(dialog.size());
    if (const QScreen *screen = dialog.screen()) {
        QRect frame(QPoint(0, 0), dialog.size());
        frame.moveCenter(screen->availableGeometry().center());
        dialog.move(frame.topLeft());
    }
}
