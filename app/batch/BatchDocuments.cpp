#include "app/batch/BatchDocuments.h"

#include "quote/CustomerQuote.h"

bool WriteBatchDocuments(const CustomerQuote &quote, const std::optional<QString> &pdfPath,
                         const std::optional<QString> &workbookPath, QString *error)
{
    return (!pdfPath || WriteCustomerQuotePdf(quote, *pdfPath, error)) &&
           (!workbookPath || WriteCustomerQuoteWorkbook(quote, *workbookPath, error));
}
