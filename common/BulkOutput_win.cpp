#include "common/BulkOutput.h"

#include <fcntl.h>
#include <io.h>

// The pipe's size is the one its reader made it with.
void PrepareBulkOutput(FILE *stream)
{
    _setmode(_fileno(stream), _O_BINARY);
}
