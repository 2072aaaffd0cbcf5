// Fault injection for the file layer (see fault_injection.hpp): one counter and one armed
// call number per operation. The record files and the unit table's rename ask
// injected_failure before they touch the file system.
#include "io/fault_injection.hpp"

#include <array>
#include <cstddef>

namespace korvex::io {

namespace {

struct Trap {
  std::int64_t calls = 0;  // matching calls counted
  std::int64_t nth = 0;    // the call that fails; 0 none
  std::string file;        // path suffix the calls must match; empty for any
};

constexpr std::size_t kOps = 5;
std::array<Trap, kOps> g_traps;
bool g_fired = false;

Trap& trap(FileOp op) { return g_traps[static_cast<std::size_t>(op)]; }

bool ends_with(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

void inject_failure(FileOp op, std::int64_t nth, const std::string& file) {
  trap(op) = Trap{0, nth > 0 ? nth : 0, file};
}

void clear_failures() {
  g_traps.fill(Trap{});
  g_fired = false;
}

std::int64_t counted_calls(FileOp op) { return trap(op).calls; }
bool failure_fired() { return g_fired; }

bool injected_failure(FileOp op, const std::string& path) {
  Trap& t = trap(op);
  if (!t.file.empty() && !ends_with(path, t.file)) return false;
  if (++t.calls != t.nth) return false;
  g_fired = true;
  return true;
}

}  // namespace korvex::io
