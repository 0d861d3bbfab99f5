#include "HeapCounter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::size_t> g_current {0};
std::atomic<std::size_t> g_peak {0};

void *allocate(std::size_t size, std::size_t alignment)
{
    void *p =
            alignment <= alignof(std::max_align_t)
                    ? std::malloc(size ? size : 1)
                    : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (!p)
        return nullptr;
    // The usable size is what free gives back, so new and delete count the same amount.
    const std::size_t now = g_current += malloc_usable_size(p);
    std::size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) { }
    return p;
}

void *allocateOrThrow(std::size_t size, std::size_t alignment)
{
    if (void *p = allocate(size, alignment))
        return p;
    throw std::bad_alloc();
}

void release(void *p) noexcept
{
    if (!p)
        return;
    g_current -= malloc_usable_size(p);
    std::free(p);
}

constexpr std::size_t plain = alignof(std::max_align_t);

} // namespace

namespace zort::bench {

std::size_t HeapCounter::current()
{
    return g_current.load();
}

std::size_t HeapCounter::peak()
{
    return g_peak.load();
}

void HeapCounter::resetPeak()
{
    g_peak.store(g_current.load());
}

} // namespace zort::bench

void *operator new(std::size_t size)
{
    return allocateOrThrow(size, plain);
}
void *operator new[](std::size_t size)
{
    return allocateOrThrow(size, plain);
}
void *operator new(std::size_t size, std::align_val_t a)
{
    return allocateOrThrow(size, static_cast<std::size_t>(a));
}
void *operator new[](std::size_t size, std::align_val_t a)
{
    return allocateOrThrow(size, static_cast<std::size_t>(a));
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    return allocate(size, plain);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return allocate(size, plain);
}
void operator delete(void *p) noexcept
{
    release(p);
}
void operator delete[](void *p) noexcept
{
    release(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    release(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    release(p);
}
void operator delete(void *p, std::align_val_t) noexcept
{
    release(p);
}
void operator delete[](void *p, std::align_val_t) noexcept
{
    release(p);
}
void operator delete(void *p, std::size_t, std::align_val_t) noexcept
{
    release(p);
}
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept
{
    release(p);
}
