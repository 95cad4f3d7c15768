#include "common/OneJob.h"

#include "common/AddressSanitizer.h"

#include <cstdio>
#include <cstdlib>

void EndOneJob(int status)
{
    std::fflush(nullptr);
#ifndef QUILVAR_ADDRESS_SANITIZER
    std::_Exit(status);
#else
    (void)status;
#endif
}
