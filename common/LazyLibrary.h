#pragma once

#include <mutex>

// A shared library opened the first time one of its functions is called rather than when the
// program starts. Most runs never need a library such as the workbook writer, yet loading it with
// what it depends on (the system's cryptography library, for one) costs every start; a host that
// prices its quotes one process at a time pays that at every call. Unix only: on Windows the
// programs link the libraries themselves, which depend on nothing of the kind there.
class LazyLibrary
{
public:
    explicit LazyLibrary(const char *fileName) : m_fileName(fileName) {}

    // The library's function of that name, as a pointer of type F. A library or function that is
    // not there ends the program with a message: the installation is broken, and no caller could
    // go on without it.
    template <typename F> F function(const char *name) { return reinterpret_cast<F>(symbol(name)); }

private:
    void *symbol(const char *name);

    const char *m_fileName;
    std::once_flag m_opened;
    void *m_handle = nullptr;
};

// Defines the library function `name` (declared by the library's own header, which the compiler
// holds the definition to) as a call of the library's own, found at the first call.
#define QUILVAR_LAZY_FUNCTION(library, result, name, parameters, arguments)                                            \
    result name parameters                                                                                             \
    {                                                                                                                  \
        static const auto real = (library).function<result(*) parameters>(#name);                                      \
        return real arguments;                                                                                         \
    }
