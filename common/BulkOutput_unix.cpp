#include "common/BulkOutput.h"

#include <fcntl.h>

void PrepareBulkOutput(FILE *stream)
{
#if defined(F_SETPIPE_SZ)
    // Refused for a file or a terminal, or past the system's limit for one user's pipes: the pipe
    // then keeps its size.
    fcntl(fileno(stream), F_SETPIPE_SZ, 1024 * 1024);
#else
    (void)stream;
#endif
}
