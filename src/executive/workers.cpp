// The pool that shares one step's parts among the worker threads. It depends on the standard
// library alone, so the thread-sanitizer build of the kernel tests takes it as it stands.
#include "executive/workers.hpp"

#include <exception>

namespace korvex {

namespace {

// How long a thread watches for a change before it sleeps: about 20 microseconds.
constexpr int watch_rounds = 1000;

void pause_a_moment() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

// Watches until `changed` holds or the rounds are over; true when it holds.
template <class F>
bool watch(F changed) {
  for (int i = 0; i < watch_rounds; ++i) {
    if (changed()) return true;
    pause_a_moment();
  }
  return changed();
}

}  // namespace

worker_pool::worker_pool(std::int32_t threads) {
  for (std::int32_t i = 1; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

worker_pool::~worker_pool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  start_.notify_all();
  for (std::thread& t : workers_) t.join();
}

// Takes parts of the current step until none is left.
void worker_pool::take_parts() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (next_ < parts_) {
    const std::int32_t i = next_++;
    const std::function<void(std::int32_t)>& part = *part_;
    lock.unlock();
    part(i);
    lock.lock();
    if (++finished_ == parts_) done_.notify_all();
  }
}

void worker_pool::work() {
  std::uint64_t seen = 0;
  for (;;) {
    watch([&] { return step_.load(std::memory_order_acquire) != seen; });
    {
      std::unique_lock<std::mutex> lock(mutex_);
      start_.wait(lock, [&] { return stopping_ || step_ != seen; });
      if (stopping_) return;
      seen = step_.load();
    }
    take_parts();
  }
}

void worker_pool::run(std::int32_t parts, const std::function<void(std::int32_t)>& part) {
  if (parts <= 0) return;
  if (workers_.empty()) {
    for (std::int32_t i = 0; i < parts; ++i) part(i);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    part_ = &part;
    parts_ = parts;
    next_ = 0;
    finished_ = 0;
    ++step_;
  }
  start_.notify_all();
  take_parts();
  watch([&] { return finished_.load(std::memory_order_acquire) == parts; });
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return finished_ == parts_; });
  part_ = nullptr;
}

void relay_blocks(bool overlap, const std::function<bool(std::int32_t)>& fill,
                  const std::function<void(std::int32_t)>& use) {
  if (!overlap) {
    for (std::int32_t slot = 0; fill(slot); slot ^= 1) use(slot);
    return;
  }
  // A slot is full from the moment fill returns until use has returned; the producer waits
  // for its next slot to be empty, the caller for its next slot to be full or the end.
  std::mutex mutex;
  std::condition_variable changed;
  bool full[2] = {false, false};
  bool ended = false;     // the producer has filled its last block (or failed)
  bool abandon = false;   // the caller stopped: the producer must not go on
  std::int32_t filled = 0;  // blocks filled so far
  std::exception_ptr failure;
  std::thread producer([&] {
    for (std::int32_t slot = 0;; slot ^= 1) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return abandon || !full[slot]; });
        if (abandon) break;
      }
      bool more = false;
      try {
        more = fill(slot);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex);
        failure = std::current_exception();
      }
      std::lock_guard<std::mutex> lock(mutex);
      if (!more) {
        ended = true;
        changed.notify_all();
        break;
      }
      full[slot] = true;
      ++filled;
      changed.notify_all();
    }
  });
  std::exception_ptr stop;
  try {
    for (std::int32_t slot = 0, used = 0;; slot ^= 1, ++used) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return full[slot] || (ended && filled == used); });
        if (!full[slot]) break;
      }
      use(slot);
      std::lock_guard<std::mutex> lock(mutex);
      full[slot] = false;
      changed.notify_all();
    }
  } catch (...) {
    stop = std::current_exception();
    std::lock_guard<std::mutex> lock(mutex);
    abandon = true;
    changed.notify_all();
  }
  producer.join();
  if (stop) std::rethrow_exception(stop);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace korvex
