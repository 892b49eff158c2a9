// Memory an array call needs beyond its results, reused from call to call.
//
// A large block fresh from the system costs a page fault for every page
// written, and the C library gives such blocks back on release: in a loop of
// calls on a million points that costs a third as much as the computation.
// So released blocks wait in a pool, at most 64 MiB together, for the next
// call; a block is taken for a request of at least half its size, so that a
// small result never holds a large block. Small blocks come straight from
// the allocator.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace elprops::python {

class Buffer {
 public:
  Buffer() = default;
  // Left uninitialised: every byte used is written.
  explicit Buffer(std::size_t bytes);
  Buffer(Buffer&& other) noexcept : memory_(std::move(other.memory_)), capacity_(std::exchange(other.capacity_, 0)) {}
  Buffer& operator=(Buffer&& other) noexcept;
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  ~Buffer() { Release(); }

  std::byte* data() const { return memory_.get(); }

 private:
  void Release() noexcept;

  std::unique_ptr<std::byte[]> memory_;
  std::size_t capacity_ = 0;
};

}  // namespace elprops::python
