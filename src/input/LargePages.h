#pragma once

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#ifdef __linux__
#include <sys/mman.h>
#endif

// Asks Linux to back a large allocation (the records and the track of a long
// log) with 2 MiB pages where it can: a million records would otherwise take
// a quarter of a million page faults, each costing far more than the few
// bytes written into its page. Elsewhere, and for small allocations, nothing.
inline void AdviseLargePages(void* data, std::size_t bytes)
{
#ifdef __linux__
    constexpr std::uintptr_t kPage = 4096;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kPage - 1);
    if (end > begin + (std::uintptr_t(2) << 20))
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}
