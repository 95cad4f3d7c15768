#pragma once

// For a process that does one large job and then ends (the batch tool, the .xls reader): the C
// library keeps the memory it has taken instead of handing it back between steps, and grows the
// heap in large steps. Only for short-lived processes: memory taken is not given back before the
// end. Nothing to do where the heap works otherwise.
//
// LargePages also asks the system for the heap in 2 MB pages, a fault each rather than one every
// 4 KB. That pays in a process that fills its memory densely at once and ends (the .xls reader's
// cells: a quarter of its time); where memory is touched piecemeal over a longer run, zeroing whole
// large pages cost more than the faults it saved when other programs had just used the machine's
// memory, so the batch tool asks for small ones.
enum class HeapPages
{
    Small,
    Large
};
void PrepareHeapForOneJob(HeapPages pages);

// Ends the process once its job is done and said (standard output and error flushed): its memory
// goes back to the system at once rather than a hundred thousand texts one by one. Under the
// address sanitizer it returns instead, so that the program ends as usual and a leak still shows.
void EndOneJob(int status);
