// An allocator for the big arrays of a survey (100,000 records are some 76 MB).
// Blocks of 4 MB and more are mapped directly and marked for transparent huge
// pages: on the first touch the kernel then faults in 2 MB at a time instead of
// 4 kB, which makes filling a fresh survey array many times faster. Smaller
// blocks come from operator new.
#pragma once

#include <cstddef>
#include <new>
#include <sys/mman.h>

namespace orvex {

template <typename T> class LargeBlockAllocator {
public:
    using value_type = T;
    static constexpr std::size_t kMappedFrom = std::size_t{4} << 20;
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    LargeBlockAllocator() noexcept = default;
    template <typename U> LargeBlockAllocator(const LargeBlockAllocator<U> &) noexcept {}

    T *allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kMappedFrom) return static_cast<T *>(::operator new(bytes));
        void *block = ::mmap(nullptr, Rounded(bytes), PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) throw std::bad_alloc();
        ::madvise(block, Rounded(bytes), MADV_HUGEPAGE); // a hint; ignored where unsupported
        return static_cast<T *>(block);
    }

    void deallocate(T *p, std::size_t n) noexcept {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kMappedFrom)
            ::operator delete(p);
        else
            ::munmap(p, Rounded(bytes));
    }

    template <typename U> bool operator==(const LargeBlockAllocator<U> &) const noexcept {
        return true;
    }

private:
    static std::size_t Rounded(std::size_t bytes) {
        return (bytes + kHugePage - 1) / kHugePage * kHugePage;
    }
};

} // namespace orvex
