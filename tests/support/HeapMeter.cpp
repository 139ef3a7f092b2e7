#include "tests/support/HeapMeter.h"

#include <malloc.h>

#include <atomic>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define VC_HEAP_METER_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VC_HEAP_METER_HOOKS 1
#endif
#endif

#ifdef VC_HEAP_METER_HOOKS
// The sanitizer runtime's allocator interface.
extern "C" {
size_t __sanitizer_get_current_allocated_bytes();
size_t __sanitizer_get_allocated_size(const volatile void* pointer);
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                              void (*free_hook)(const volatile void*));
}
#endif

namespace {

#ifdef VC_HEAP_METER_HOOKS
std::atomic<bool> metering{false};
std::atomic<std::int64_t> change{0};  // bytes allocated minus bytes released while metering
std::atomic<std::int64_t> most{0};

void OnMalloc(const volatile void*, size_t size) {
    if (!metering.load(std::memory_order_relaxed)) return;
    const std::int64_t now = change.fetch_add(std::int64_t(size)) + std::int64_t(size);
    std::int64_t seen = most.load();
    while (now > seen && !most.compare_exchange_weak(seen, now)) {
    }
}

void OnFree(const volatile void* pointer) {
    if (!metering.load(std::memory_order_relaxed) || pointer == nullptr) return;
    change.fetch_sub(std::int64_t(__sanitizer_get_allocated_size(pointer)));
}
#endif

size_t BytesInUse() {
#ifdef VC_HEAP_METER_HOOKS
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

}  // namespace

HeapMeter::HeapMeter() : start_(BytesInUse()) {
#ifdef VC_HEAP_METER_HOOKS
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    (void)installed;
    change = 0;
    most = 0;
    metering = true;
#endif
}

HeapMeter::~HeapMeter() {
#ifdef VC_HEAP_METER_HOOKS
    metering = false;
#endif
}

size_t HeapMeter::Held() const {
    const size_t now = BytesInUse();
    return now > start_ ? now - start_ : 0;
}

std::optional<size_t> HeapMeter::Peak() const {
#ifdef VC_HEAP_METER_HOOKS
    return size_t(most.load());
#else
    return std::nullopt;
#endif
}
