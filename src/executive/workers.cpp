// The pool that shares one step's parts among the worker threads. It depends on the standard
// library alone, so the thread-sanitizer build of the kernel tests takes it as it stands.
#include "executive/workers.hpp"

namespace korvex {

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
    {
      std::unique_lock<std::mutex> lock(mutex_);
      start_.wait(lock, [&] { return stopping_ || step_ != seen; });
      if (stopping_) return;
      seen = step_;
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
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return finished_ == parts_; });
  part_ = nullptr;
}

}  // namespace korvex
