// The counting replacement of the global allocation functions. Counting costs one branch
// per allocation while it is off.
#include "measure/allocation_count.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
thread_local int belowSeamDepth = 0;
thread_local AllocationCount counted;

void Count() {
    if (!counting) return;
    if (belowSeamDepth > 0) {
        ++counted.sim;
    } else {
        ++counted.logic;
    }
}

void* Allocate(std::size_t size) {
    Count();
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block) std::abort();  // out of memory in a measuring binary: nothing to recover
    return block;
}

void* AllocateNoThrow(std::size_t size) noexcept {
    Count();
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

AllocationCount CountedAllocations() {
    return counted;
}

CountingScope::CountingScope() : wasCounting_(counting), savedDepth_(belowSeamDepth) {
    counting = true;
    belowSeamDepth = 0;
}

CountingScope::~CountingScope() {
    counting = wasCounting_;
    belowSeamDepth = savedDepth_;
}

BelowSeamScope::BelowSeamScope() {
    ++belowSeamDepth;
}

BelowSeamScope::~BelowSeamScope() {
    --belowSeamDepth;
}

AboveSeamScope::AboveSeamScope() : savedDepth_(belowSeamDepth) {
    belowSeamDepth = 0;
}

AboveSeamScope::~AboveSeamScope() {
    belowSeamDepth = savedDepth_;
}

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
