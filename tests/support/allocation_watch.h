#pragma once
// Watches the heap while alive: the largest single allocation and the bytes
// allocated in all. Only the sanitizer build can see its allocator (through
// the sanitizer's hooks); elsewhere Works() is false and both stay 0.
#include <atomic>
#include <cstddef>

#ifdef VELOTUNE_WATCH_ALLOCATIONS
#include <sanitizer/allocator_interface.h>
#endif

namespace velotune::test {

class AllocationWatch {
 public:
  AllocationWatch() {
    largest_ = 0;
    total_ = 0;
#ifdef VELOTUNE_WATCH_ALLOCATIONS
    // Hooks cannot be removed, so they are installed once and switched.
    static const int installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    (void)installed;
#endif
    active_ = true;
  }
  ~AllocationWatch() { active_ = false; }
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;

  static constexpr bool Works() {
#ifdef VELOTUNE_WATCH_ALLOCATIONS
    return true;
#else
    return false;
#endif
  }
  size_t Largest() const { return largest_; }
  size_t Total() const { return total_; }

 private:
  static void OnMalloc(const volatile void*, size_t size) {
    if (!active_) return;
    total_ += size;
    size_t seen = largest_;
    while (size > seen && !largest_.compare_exchange_weak(seen, size)) {
    }
  }
  static void OnFree(const volatile void*) {}

  static inline std::atomic<bool> active_{false};
  static inline std::atomic<size_t> largest_{0}, total_{0};
};

}  // namespace velotune::test
