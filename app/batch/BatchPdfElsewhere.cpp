#include "app/batch/BatchPdf.h"

// quilvar-batch without the PDF writer: main() hands a run with --quote-pdf to quilvar-batch-pdf,
// so this is reached only if that hand-over was bypassed.
bool WriteBatchQuotePdf(const CustomerQuote &, const QString &, QString *error)
{
    *error = QStringLiteral("此程序不写 PDF：请用 %1。").arg(BatchPdfProgram());
    return false;
}
