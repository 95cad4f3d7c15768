#pragma once

// For a process that does one large job and then ends (the batch tool, the .xls reader): the C
// library keeps the memory it has taken instead of handing it back between steps, grows the heap in
// large steps, and asks the system for it in 2 MB pages, a fault each rather than one every 4 KB
// (such a process fills its memory densely at once: the faults were a quarter of its time). Only
// for short-lived processes: memory taken is not given back before the end. Nothing to do where the
// heap works otherwise.
void PrepareHeapForOneJob();

// Ends the process once its job is done and said (standard output and error flushed): its memory
// goes back to the system at once rather than a hundred thousand texts one by one. Under the
// address sanitizer it returns instead, so that the program ends as usual and a leak still shows.
void EndOneJob(int status);
