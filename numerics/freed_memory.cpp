#include "numerics/freed_memory.h"

#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepFreedMemory() {
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_TRIM_THRESHOLD, 512 << 20);
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
    });
#endif
}
