#include "excel/CNumericLocale.h"

#include <locale.h>

struct CNumericLocale::Previous
{
    locale_t c = static_cast<locale_t>(0);
    locale_t previous = static_cast<locale_t>(0);
};

CNumericLocale::CNumericLocale() : m_previous(std::make_unique<Previous>())
{
    // newlocale takes the copy over only when it succeeds.
    const locale_t copy = duplocale(uselocale(static_cast<locale_t>(0)));
    m_previous->c = newlocale(LC_NUMERIC_MASK, "C", copy);
    if (m_previous->c)
        m_previous->previous = uselocale(m_previous->c);
    else if (copy)
        freelocale(copy);
}

CNumericLocale::~CNumericLocale()
{
    if (m_previous->c) {
        uselocale(m_previous->previous);
        freelocale(m_previous->c);
    }
}
