#pragma once

// The exact searches and the enumeration of expected data sets take and free
// memory by the megabyte: the statistics and masses of every row an exact
// test visits, the columns of a data set at every step of a fit. The C
// library's allocator hands the freed top of a heap back to the system once
// it exceeds a threshold of its own (some 128 KB to 64 MB, moved by the
// blocks freed), on the main thread's heap and on a worker's alike, and the
// next calculation then faults every page in again: most of its time.
// KeepFreedMemory, called by those calculations, has the process keep up to
// 512 MB of freed memory for its next allocations, and take blocks up to
// 32 MB from the heap rather than from a mapping of their own. It acts
// once; later calls do nothing.
void KeepFreedMemory();
