#pragma once
// Move-only owner of a handle whose close function is a template parameter.
#include <utility>

namespace velotune {

template <typename Handle, auto Close, Handle Invalid = Handle{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return h_; }
  operator Handle() const { return h_; }  // so it passes wherever the raw handle goes
  explicit operator bool() const { return h_ != Invalid; }

  Handle release() { return std::exchange(h_, Invalid); }
  void reset(Handle h = Invalid) {
    Handle old = std::exchange(h_, h);
    if (old != Invalid) Close(old);
  }

 private:
  Handle h_ = Invalid;
};

}  // namespace velotune
