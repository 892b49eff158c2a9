#include "python/memory_pool.h"

#include <mutex>
#include <new>
#include <vector>

namespace elprops::python {

namespace {

constexpr std::size_t kPooledBytes = std::size_t{64} << 10;
constexpr std::size_t kIdleBytes = std::size_t{64} << 20;

struct Idle {
  std::size_t capacity = 0;
  std::unique_ptr<std::byte[]> memory;
};

struct IdleBlocks {
  std::mutex mutex;
  std::vector<Idle> idle;  // oldest first
  std::size_t idleBytes = 0;
};

// Never destroyed: blocks may come back while the interpreter shuts down.
IdleBlocks& Pool() {
  static IdleBlocks* pool = new IdleBlocks;
  return *pool;
}

// The smallest idle block that may serve a request of the size.
std::vector<Idle>::iterator BestFit(std::vector<Idle>& idle, std::size_t bytes) {
  auto best = idle.end();
  for (auto it = idle.begin(); it != idle.end(); ++it) {
    const bool fits = it->capacity >= bytes && it->capacity / 2 <= bytes;
    if (fits && (best == idle.end() || it->capacity < best->capacity)) best = it;
  }
  return best;
}

}  // namespace

Buffer::Buffer(std::size_t bytes) {
  if (bytes == 0) return;
  if (bytes >= kPooledBytes) {
    IdleBlocks& pool = Pool();
    const std::lock_guard<std::mutex> lock(pool.mutex);
    const auto best = BestFit(pool.idle, bytes);
    if (best != pool.idle.end()) {
      pool.idleBytes -= best->capacity;
      memory_ = std::move(best->memory);
      capacity_ = best->capacity;
      pool.idle.erase(best);
      return;
    }
  }
  memory_.reset(new std::byte[bytes]);
  capacity_ = bytes;
}

Buffer& Buffer::operator=(Buffer&& other) noexcept {
  if (this != &other) {
    Release();
    memory_ = std::move(other.memory_);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

void Buffer::Release() noexcept {
  if (!memory_ || capacity_ < kPooledBytes || capacity_ > kIdleBytes) {
    memory_.reset();
    return;
  }
  IdleBlocks& pool = Pool();
  const std::lock_guard<std::mutex> lock(pool.mutex);
  while (!pool.idle.empty() && pool.idleBytes + capacity_ > kIdleBytes) {
    pool.idleBytes -= pool.idle.front().capacity;
    pool.idle.erase(pool.idle.begin());
  }
  try {
    pool.idle.push_back({capacity_, std::move(memory_)});
    pool.idleBytes += capacity_;
  } catch (const std::bad_alloc&) {
    // The block is freed with the entry that could not be added.
  }
}

}  // namespace elprops::python
