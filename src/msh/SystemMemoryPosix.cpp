// Tolmar MSH Viewer - fresh memory made ready in one go, on POSIX systems.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "SystemMemory.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

#if defined (__linux__) && ! defined (MADV_POPULATE_WRITE)
 #define MADV_POPULATE_WRITE 23 // Linux 5.14; older kernels refuse it, which changes nothing
#endif

void prefaultForWriting (void* data, size_t size) noexcept
{
   #if defined (MADV_POPULATE_WRITE)
    // Worth a system call only for a list of many pages; a page shared with other data is left out.
    if (size < (1u << 20))
        return;

    const auto page = (std::uintptr_t) ::sysconf (_SC_PAGESIZE);
    const auto begin = ((std::uintptr_t) data + page - 1) & ~(page - 1);
    const auto end = ((std::uintptr_t) data + size) & ~(page - 1);

    if (end > begin)
        ::madvise ((void*) begin, end - begin, MADV_POPULATE_WRITE);
   #else
    (void) data;
    (void) size;
   #endif
}
