#include "excel/CNumericLocale.h"

#include <clocale>
#include <locale.h>
#include <string>

struct CNumericLocale::Previous
{
    int perThread = 0;
    std::string numeric;
};

CNumericLocale::CNumericLocale() : m_previous(std::make_unique<Previous>())
{
    m_previous->perThread = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    const char *current = std::setlocale(LC_NUMERIC, nullptr);
    m_previous->numeric = current ? current : "C";
    std::setlocale(LC_NUMERIC, "C");
}

CNumericLocale::~CNumericLocale()
{
    std::setlocale(LC_NUMERIC, m_previous->numeric.c_str());
    _configthreadlocale(m_previous->perThread);
}
