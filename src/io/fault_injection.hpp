// Fault injection for the file layer: tests make the Nth open, read, write, flush or rename
// of a file fail as the operating system would (an IoError with EIO), to show that every
// failure stops the run cleanly. Unarmed, each checked call costs one branch.
#pragma once

#include <cstdint>
#include <string>

namespace korvex::io {

enum class FileOp { open, read, write, flush, rename };

// Arms `op`: the nth call from now (1-based) on a file whose path ends in `file` (any file
// when empty) fails, once. Counting starts afresh for `op`; nth <= 0 disarms it.
void inject_failure(FileOp op, std::int64_t nth, const std::string& file = {});
// Disarms every operation and sets every count back to 0.
void clear_failures();
// Calls of `op` counted since it was last armed or cleared (matching `file` when armed
// with one), so a test can learn how many there are in a clean run.
std::int64_t counted_calls(FileOp op);
// True when an injected failure has fired since the last clear.
bool failure_fired();

// The check the file layer makes before each operation on `path`: counts the call and
// returns true when this call must fail.
bool injected_failure(FileOp op, const std::string& path);

}  // namespace korvex::io
