// Shared ground of the fuzz drivers: a fresh empty folder for every input (the run's files
// are made and removed there), the console sent to a stream that discards everything, and
// the outcomes a damaged input may legitimately have (a stop, a file or layout error).
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include "executive/over00.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

namespace korvex::fuzz {

// The folder of one input: made empty and current by enter(); the base folder that holds
// it lives as long as the fuzzing process.
class RunFolder {
 public:
  static RunFolder& get() {
    static RunFolder folder;
    return folder;
  }
  void enter() {
    std::error_code ec;
    std::filesystem::current_path(base_, ec);
    std::filesystem::remove_all(run_, ec);
    std::filesystem::create_directory(run_, ec);
    std::filesystem::current_path(run_, ec);
    if (ec) abort();  // nothing sensible can be fuzzed without a folder
  }
  const std::filesystem::path& path() const { return run_; }

 private:
  RunFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "korvex-fuzz-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) abort();
    base_ = tmpl;
    run_ = base_ / "run";
    std::atexit([] {
      std::error_code ec;
      std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
      std::filesystem::remove_all(get().base_, ec);
    });
  }
  std::filesystem::path base_;
  std::filesystem::path run_;
};

// A stream buffer that swallows everything written to it.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c == EOF ? 0 : c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Points the console at sinks (and an empty input) for the rest of the process.
inline void quiet_console() {
  static NullBuffer buffer;
  static std::ostream sink(&buffer);
  static std::istringstream no_input;
  no_input.clear();
  io::redirect_console(&sink, &sink, &no_input);
}

// One input's stay in a fresh folder with a forgotten run state; on leaving, the folder
// the fuzzer started in is current again (it reads and writes its corpus from there).
class [[nodiscard]] RunScope {
 public:
  RunScope() : home_(std::filesystem::current_path()) {
    RunFolder::get().enter();
    quiet_console();
    reset_run_state();
  }
  ~RunScope() {
    std::error_code ec;
    std::filesystem::current_path(home_, ec);
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  std::filesystem::path home_;
};

// The start of a run as the main program makes it: the unit table, an empty ISF on MTIST
// and the page state.
inline void fresh_isf() {
  init_units();
  isf_init();
  init_page();
}

inline void write_file(const std::string& name, std::string_view bytes) {
  std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Runs f; a stop or a reported file or layout error is a proper end for damaged input.
// Anything else escapes and libFuzzer reports it as a crash.
template <class F>
void guarded(F&& f) {
  try {
    f();
  } catch (const Stop&) {
  } catch (const io::IoError&) {
  } catch (const io::LayoutError&) {
  }
}

// Takes bytes off the front of the input, yielding zeros once it is used up.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}
  std::uint8_t byte() {
    if (n_ == 0) return 0;
    --n_;
    return *p_++;
  }
  std::int32_t i32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(byte()) << (8 * i);
    return static_cast<std::int32_t>(v);
  }
  // Up to the next newline (dropped), or the rest.
  std::string_view line() {
    std::size_t k = 0;
    while (k < n_ && p_[k] != '\n') ++k;
    std::string_view s(reinterpret_cast<const char*>(p_), k);
    const std::size_t used = k < n_ ? k + 1 : k;
    p_ += used;
    n_ -= used;
    return s;
  }
  std::string_view rest() {
    std::string_view s(reinterpret_cast<const char*>(p_), n_);
    p_ += n_;
    n_ = 0;
    return s;
  }
  std::size_t left() const { return n_; }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
};

}  // namespace korvex::fuzz
