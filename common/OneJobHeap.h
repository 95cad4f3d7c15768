#pragma once

// For a process that does one large job and then ends (the batch tool, the .xls reader): the C
// library keeps the memory it has taken instead of handing it back between steps, and takes it in
// large pages where the system offers them, a fault each rather than one every 4 KB. Importing a
// full sheet spends a fifth of its time on those faults otherwise. Only for short-lived processes:
// memory taken is not given back before the end. Nothing to do where the heap works otherwise.
void PrepareHeapForOneJob();
