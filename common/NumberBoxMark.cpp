#include "common/NumberBoxMark.h"

#include "common/NumberReading.h"

#include <QLineEdit>

namespace {
void showReading(QLineEdit *box, const QString &text)
{
    const NumberReading reading = ExplainReading(text);
    if (box->property("misread").toBool() == !reading.whole && box->toolTip() == reading.explanation)
        return;
    box->setProperty("misread", !reading.whole);
    box->setToolTip(reading.explanation);
    box->setStyleSheet(reading.whole ? QString()
                                     : QStringLiteral("QLineEdit { border: 2px solid #d00000; padding: 0px 1px; "
                                                      "background: white; }"));
}
} // namespace

void MarkMisreadNumbers(QLineEdit *box)
{
    QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString &text) { showReading(box, text); });
    showReading(box, box->text());
}
