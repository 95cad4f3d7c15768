#pragma once

#include <memory>

// Numbers go into the file with "." whatever the user's locale: the writer formats them with the
// C library, which follows LC_NUMERIC, and a "333,3333" or a width of "10,7109375" is damage to
// every spreadsheet program. While an object of this class lives, this thread's numbers are
// formatted in the C locale; only this thread's locale is switched. One .cpp per platform.
class CNumericLocale
{
public:
    CNumericLocale();
    ~CNumericLocale();
    CNumericLocale(const CNumericLocale &) = delete;
    CNumericLocale &operator=(const CNumericLocale &) = delete;

private:
    struct Previous;
    std::unique_ptr<Previous> m_previous;
};
