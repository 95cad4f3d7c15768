#pragma once

#include <QStringList>

// The fonts the customer's PDF is set in, taken from the system's own fonts and embedded in the
// file. One .cpp per platform.

// The families to use, the first that is installed first.
QStringList PdfFontFamilies();

// Makes the system's fonts visible to Qt's offscreen platform, on which quilvar-batch draws its
// PDF: on Windows that platform reads only the folder named in QT_QPA_FONTDIR. Before the
// application object is made.
void ShowSystemFontsOffscreen();
