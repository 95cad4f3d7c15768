#pragma once

#include <QString>

struct CustomerQuote;

// Writes the customer's PDF for quilvar-batch. Only quilvar-batch-pdf links the PDF writer (and Qt
// Gui with it); quilvar-batch hands every run that asks for a PDF to that program before it gets here.
bool WriteBatchQuotePdf(const CustomerQuote &quote, const QString &path, QString *error);

// The name of the program that writes the PDF, beside quilvar-batch.
inline QString BatchPdfProgram()
{
    return QStringLiteral("quilvar-batch-pdf");
}
