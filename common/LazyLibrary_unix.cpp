#include "common/LazyLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

void *LazyLibrary::symbol(const char *name)
{
    std::call_once(m_opened, [this] { m_handle = dlopen(m_fileName, RTLD_NOW | RTLD_LOCAL); });
    void *found = m_handle ? dlsym(m_handle, name) : nullptr;
    if (!found) {
        const char *why = dlerror();
        std::fprintf(stderr, "Quilvar 无法载入程序库 %s 的 %s：%s\n", m_fileName, name, why ? why : "");
        std::fflush(stderr);
        std::_Exit(127);
    }
    return found;
}
