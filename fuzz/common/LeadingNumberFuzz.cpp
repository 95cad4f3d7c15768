#include "FuzzText.h"

#include "common/Amount.h"
#include "common/LeadingNumber.h"
#include "common/NumberReading.h"
#include "common/NumberText.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzText(data, size);
    qsizetype length = 0;
    const double value = LeadingNumber(text, &length);
    if (std::isnan(value) || length < 0 || length > text.size())
        std::abort(); // a text never reads as "not a number"

    // The part that explains a reading reads as the whole text does.
    const double readPart = LeadingNumber(QStringView(text).left(length));
    if (!(readPart == value || (readPart == 0 && value == 0)))
        std::abort();
    ExplainReading(text);

    // Every form a number is written in must read back as (nearly) the same number.
    const QString general = NumberText(value);
    const double again = LeadingNumber(general);
    if (std::isinf(value) ? again != value : std::fabs(again - value) > std::fabs(value) * 1e-14)
        std::abort();
    NumberTextSingle(float(std::fmax(std::fmin(value, 1e38), -1e38)));
    Fixed2Text(value);
    // An amount's text reads as its number does (plain decimals take a shorter way).
    if (QStringView(text).trimmed() != OverflowText() && !(Amount::fromText(text) == Amount::fromDouble(value)))
        std::abort();
    const Amount amount = Amount::fromDouble(value);
    if (amount.isValid() != (Amount::fromText(AmountToText(amount)).isValid()))
        std::abort();
    return 0;
}
