// How many worker threads the run's correlation passes may use: the environment variable
// KORVEX_THREADS, or the cores the process may run on.
#include <sched.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "executive/errors.hpp"
#include "executive/workers.hpp"

namespace korvex {

std::int32_t worker_thread_count() {
  // An empty value counts as unset, as environment settings conventionally do
  // ("KORVEX_THREADS= korvex"). Only the empty value: blanks are not trimmed, so " 4" and a
  // value of blanks alone are refused like any other text that is not a whole number.
  if (const char* text = std::getenv("KORVEX_THREADS"); text != nullptr && text[0] != '\0') {
    const std::string s(text);
    std::int32_t n = 0;
    bool ok = s.size() <= 3;
    for (const char c : s) {
      ok = ok && c >= '0' && c <= '9';
      if (ok) n = n * 10 + (c - '0');
    }
    if (!ok || n < 1 || n > 256) {
      proc_error("KORVEX_THREADS must be a whole number from 1 to 256, not \"" + s + "\".");
    }
    return n;
  }
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof(set), &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n >= 1) return n;
  }
  const unsigned h = std::thread::hardware_concurrency();
  return h >= 1 ? static_cast<std::int32_t>(h) : 1;
}

}  // namespace korvex
