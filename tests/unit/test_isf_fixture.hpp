// Shared ground of the ISF tests: a run folder with the store initialised on MTIST, the
// file's bytes, a builder for the bytes a record should have, and a runner that catches a
// stop and hands back its code and console text.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "executive/errors.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "run_fixture.hpp"
#include "storage/storage.hpp"

namespace korvex::testing {

// Expected bytes, little-endian, built item by item.
class Bytes {
 public:
  Bytes& i(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int k = 0; k < 4; ++k) s_.push_back(static_cast<char>((u >> (8 * k)) & 0xFFu));
    return *this;
  }
  Bytes& f(float v) { return i(std::bit_cast<std::int32_t>(v)); }
  Bytes& t(std::string_view text, std::size_t width) {
    std::string p(text.substr(0, width));
    p.resize(width, ' ');
    s_ += p;
    return *this;
  }
  // The END record: 0, 0, 0 and 20 blanks.
  Bytes& end() { return i(0).i(0).i(0).t("", 20); }
  Bytes& raw(const std::string& b) {
    s_ += b;
    return *this;
  }
  const std::string& str() const { return s_; }

 private:
  std::string s_;
};

// What a stop left behind.
struct Stopped {
  bool stopped = false;
  int code = -1;
  std::string console;
  std::string message;  // the text of a proc_error, its console pieces joined
};

class IsfFolder : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
  }

  // The whole ISF file as bytes.
  std::string mtist() {
    flush_all_units();
    std::ifstream in(dir_ / "MTIST", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string file_bytes(const std::string& name) {
    flush_all_units();
    std::ifstream in(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Runs f, which should stop; the console text is what the stop wrote.
  template <class F>
  Stopped stop_of(F f) {
    out_.str("");
    Stopped s;
    try {
      f();
    } catch (const Stop& e) {
      s.stopped = true;
      s.code = e.code();
    }
    s.console = out_.str();
    const std::string header = " * * * * * PROCESSING ERROR - KORVEX stopping\n \n \n";
    if (s.console.rfind(header, 0) == 0) {
      // Each console piece is written behind one blank; the message ends at the empty line.
      std::string rest = s.console.substr(header.size());
      rest = rest.substr(0, rest.find("\n\n"));
      for (std::size_t at = 0; (at = rest.find('\n')) != std::string::npos;) rest.erase(at, 2);
      s.message = rest.empty() ? rest : rest.substr(1);
    }
    reset_errors();
    return s;
  }

  std::int32_t position() { return static_cast<std::int32_t>(stream_position(isf_unit())); }
};

}  // namespace korvex::testing
