#include "app/batch/BatchDocuments.h"

// quilvar-batch without the document writers: main() hands a run that asks for a document to
// quilvar-batch-documents, so this is reached only if that hand-over was bypassed.
bool WriteBatchDocuments(const CustomerQuote &, const std::optional<QString> &, const std::optional<QString> &,
                         QString *error)
{
    *error = QStringLiteral("此程序不写报价单文件：请用 %1。").arg(BatchDocumentsProgram());
    return false;
}
