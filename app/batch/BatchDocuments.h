#pragma once

#include <QString>

#include <optional>

struct CustomerQuote;

// Writes the customer's documents for quilvar-batch: the PDF and the workbook, each when a path is
// given. Both draw with Qt Gui (the fonts, the agency's logo), which only quilvar-batch-documents
// links; quilvar-batch hands every run that asks for a document to that program before it gets here.
bool WriteBatchDocuments(const CustomerQuote &quote, const std::optional<QString> &pdfPath,
                         const std::optional<QString> &workbookPath, QString *error);

// The program that writes them, beside quilvar-batch.
inline QString BatchDocumentsProgram()
{
    return QStringLiteral("quilvar-batch-documents");
}
