// The worker threads of the run: how many the correlation passes may use (the environment
// variable KORVEX_THREADS, default the cores the process may run on) and a small pool that
// runs the independent parts of one step on them and waits for all. Parts share nothing but
// what the caller hands each of them, so results never depend on the number of threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace korvex {

// The number of threads a pass may use: KORVEX_THREADS when set and not empty (a whole
// number from 1 to 256; anything else, blanks included, stops the run with a message naming
// the variable), otherwise the number of cores the process may run on (at least 1).
std::int32_t worker_thread_count();

// A fixed set of threads that together run the parts 0..n-1 of one step: each part runs once,
// on some thread, and run() returns when every part has returned. The calling thread takes
// part in the work. A pool of one thread runs every part on the caller, in order.
class worker_pool {
 public:
  explicit worker_pool(std::int32_t threads);
  ~worker_pool();
  worker_pool(const worker_pool&) = delete;
  worker_pool& operator=(const worker_pool&) = delete;

  std::int32_t threads() const { return static_cast<std::int32_t>(workers_.size()) + 1; }
  // Runs part(i) for i = 0..parts-1; part must not throw.
  void run(std::int32_t parts, const std::function<void(std::int32_t)>& part);

 private:
  void work();
  void take_parts();
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable start_;
  std::condition_variable done_;
  const std::function<void(std::int32_t)>* part_ = nullptr;
  std::int32_t parts_ = 0;
  std::int32_t next_ = 0;  // the next part to hand out
  // Parts that have returned, and the steps so far (so a worker starts each step once). Both
  // change under the mutex; they are atomic so that a thread may watch them for a moment
  // without it before it sleeps, since a step often follows the last one within microseconds.
  std::atomic<std::int32_t> finished_{0};
  std::atomic<std::uint64_t> step_{0};
  bool stopping_ = false;
};

// Hands blocks of a pass from a producer to the calling thread through two buffers (slots 0
// and 1) that the caller owns. fill(slot) puts the next block into that buffer and returns
// false when there is none left; use(slot) consumes it. With overlap, fill runs on a thread of
// its own, one block ahead of use, so reading the next block costs the caller nothing; without,
// both run on the caller in turn. Blocks are used in the order they were filled either way.
// An exception thrown by fill reaches the caller once every block filled before it has been
// used; one thrown by use stops the producer first. fill must write nothing the caller reads
// outside the slot it was given (no listing, no console), since it may run alongside use.
void relay_blocks(bool overlap, const std::function<bool(std::int32_t)>& fill,
                  const std::function<void(std::int32_t)>& use);

}  // namespace korvex
