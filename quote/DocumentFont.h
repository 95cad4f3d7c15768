#pragma once

#include <QFont>

// The font of the customer's documents, in points: a CJK font the PDF embeds. The one place
// where its families are chosen.
QFont CustomerDocumentFont(double pointSize, bool bold = false);
