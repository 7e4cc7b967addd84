#include "support/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_countdown{0};  // 0: no failure planned
std::atomic<bool> g_failed{false};

void* Allocate(size_t size) {
    if (g_countdown.load() != 0 && g_countdown.fetch_sub(1) == 1) {
        g_failed = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}

}  // namespace

namespace kmctest {

FailingAllocation::FailingAllocation(size_t n) {
    g_failed = false;
    g_countdown = n;
}

FailingAllocation::~FailingAllocation() { g_countdown = 0; }

bool FailingAllocation::Failed() const { return g_failed; }

}  // namespace kmctest

// Every form that allocates or frees through the plain heap is replaced, so that allocation and
// release always meet (AddressSanitizer checks that they do).
void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
