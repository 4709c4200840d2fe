// Counts every allocation of the benchmark program, so that a benchmark can
// show that its timed loop makes none. Include in one file per program.
#ifndef ALLOCATIONS_H
#define ALLOCATIONS_H

#include <atomic>
#include <cstdlib>
#include <new>

inline std::atomic<long> allocations{0};

void *operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

#endif // ALLOCATIONS_H
