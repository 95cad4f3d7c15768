#include "common/ProgramExit.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::function<void(int)> &handler()
{
    static std::function<void(int)> instance;
    return instance;
}
} // namespace

void EndProgram(int status)
{
    if (handler()) {
        handler()(status);
        return;
    }
    std::fflush(nullptr);
    std::exit(status);
}

void setEndProgramHandler(std::function<void(int)> handler_)
{
    handler() = std::move(handler_);
}
