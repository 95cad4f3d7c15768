#include "common/CodePage.h"

// What holds on every platform, over the platform's own conversion (CodePage_unix.cpp,
// CodePage_win.cpp).
namespace CodePage {

bool canEncode(unsigned codePage, QStringView text)
{
    bool ok = false;
    fromUnicode(codePage, text, &ok);
    return ok;
}

} // namespace CodePage
