#include "common/OneJob.h"

// The Windows heap keeps what it takes for small blocks and has no setting worth changing here.
void PrepareHeapForOneJob() {}
