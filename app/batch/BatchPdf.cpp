#include "app/batch/BatchPdf.h"

#include "quote/CustomerQuote.h"

bool WriteBatchQuotePdf(const CustomerQuote &quote, const QString &path, QString *error)
{
    return WriteCustomerQuotePdf(quote, path, error);
}
