// Failing files: a whole deck runs in-process while the Nth open, read, write, flush or
// rename fails, for every N that a clean run reaches. Every failure must stop the run with a
// clear message and status 1, remove the temporary files, and leave each kept output either
// as it was before the run or complete - never half-written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "executive/over00.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/fault_injection.hpp"
#include "run_fixture.hpp"

namespace korvex {
namespace {

using io::FileOp;

const char* op_name(FileOp op) {
  switch (op) {
    case FileOp::open: return "open";
    case FileOp::read: return "read";
    case FileOp::write: return "write";
    case FileOp::flush: return "flush";
    case FileOp::rename: return "rename";
  }
  return "?";
}

constexpr FileOp all_ops[] = {FileOp::open, FileOp::read, FileOp::write, FileOp::flush, FileOp::rename};

// The decks of the sweep. gist_give restores an ISF from TAKE, loads an entry from cards,
// punches it twice on MONPUN and saves the ISF to GIVE; fast writes the residual and the
// reproduced correlations (CORRESID, CORREPRO) between two unloads; select writes CORR.TXT.
const char* const gist_give_deck =
    "*START\n"
    "*TAKE\n"
    "*GIST\n"
    "MEANS1     1\n"
    "   3  10\n"
    "     1.5    2.25    -3.0\n"
    "MEANS1\n"
    "MEANS1\n"
    "\n"
    "*GIVE\n"
    "*END\n";

const char* const fast_deck =
    "*GIST\n"
    "IDFILE     1\n"
    "FAST DECK: FOUR VARIABLES, TWO FACTORS\n"
    "UFACT1     1\n"
    "   4   2\n"
    "   0.800   0.700   0.100   0.200\n"
    "   0.100   0.200   0.700   0.600\n"
    "CORRM1     1       3\n"
    "   4 100\n"
    "   1.000\n"
    "   0.600   1.000\n"
    "   0.190   0.190   1.000\n"
    "   0.220   0.290   0.460   1.000\n"
    "\n"
    "*FAST\n"
    "RESIDU                 1\n"
    "*GIST\n"
    "CORRM1\n"
    "\n"
    "*FAST\n"
    "reprod             0   1\n"
    "*END\n";

const char* const select_deck =
    "*GIST\n"
    "IDFILE     1\n"
    "THREE OF TEN VARIABLES SELECTED\n"
    "VNAMS1     1\n"
    "  10\n"
    "Arith               Algebra             Geometry\n"
    "Vocab               Reading             Spelling\n"
    "Speed               Memory              Logic\n"
    "Pattern\n"
    "CORRM1     1\n"
    "  10 200\n"
    "  0.7396\n"
    "  0.0293  0.0723\n"
    "  0.0203 -0.0216 -0.0498\n"
    "  0.6261  0.8036  0.1074  0.0081\n"
    "  0.0057  0.0157 -0.0704 -0.0227  0.0050\n"
    "  0.1289  0.0819 -0.0024 -0.0140  0.0498 -0.0054\n"
    " -0.1026 -0.1072  0.0784  0.0087 -0.0723 -0.0781  0.0011\n"
    "  0.3540  0.3892 -0.0670  0.6544  0.5135  0.0040  0.0019 -0.0894\n"
    "  0.0131  0.0515  0.1355 -0.1184  0.0276 -0.0756 -0.1104  0.1990 -0.0563\n"
    "\n"
    "*SELECT\n"
    "5, 2,\n"
    "9.\n"
    "*END\n";

// The deck that makes the TAKE file of gist_give.
const char* const take_deck =
    "*START\n"
    "*GIST\n"
    "STDEV1     1\n"
    "   2  10\n"
    "     0.5    0.25\n"
    "\n"
    "*GIVE\n"
    "*END\n";

constexpr std::int64_t never = 1'000'000'000;  // armed, so calls are counted, but never reached

const std::string stop_header = " * * * * * PROCESSING ERROR - KORVEX stopping\n";

// What a kept output may hold after a failed run: what it held before, plus what the clean
// run added up to a point where a component (or a punched package) was complete.
enum class Whole { file, packages };

struct Kept {
  const char* file;
  std::string before;  // its content before the run ("" for none)
  Whole whole;
};

struct SweepDeck {
  const char* deck;
  bool needs_take;  // the deck reads the TAKE file that take_deck makes
  std::vector<Kept> kept;
};

struct Outcome {
  int status = -1;
  bool fired = false;
  std::int64_t calls = 0;  // calls of the armed operation the run made
  std::string console;
  std::map<std::string, std::string> files;  // every file left in the folder
};

class FaultRun : public testing::RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    io::redirect_console(&out_, &err_, &in_);
    io::clear_failures();
  }
  void TearDown() override {
    io::clear_failures();
    RunFolder::TearDown();
  }

  std::string read_bytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Runs `deck` in the emptied folder with the given files, `op` failing at call `nth`
  // (0: nothing fails).
  Outcome run(const std::string& deck, const std::map<std::string, std::string>& inputs,
              FileOp op = FileOp::open, std::int64_t nth = 0) {
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) std::filesystem::remove_all(entry);
    write_file("MONIN", deck);
    for (const auto& [name, bytes] : inputs) std::ofstream(dir_ / name, std::ios::binary) << bytes;
    reset_run_state();
    out_.str("");
    err_.str("");
    io::clear_failures();
    io::inject_failure(op, nth);
    Outcome o;
    o.status = OVER00();
    o.fired = io::failure_fired();
    o.calls = io::counted_calls(op);
    io::clear_failures();
    o.console = out_.str();
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      o.files[entry.path().filename().string()] = read_bytes(entry.path());
    }
    return o;
  }

  void sweep(const SweepDeck& d);

  std::istringstream in_;
};

// The message of a file failure names the file and the errno text, or gives the status
// (EIO, 5) in the system's own form ("iostatus= 005", "Bad io_stat = 005").
bool names_the_failure(const std::string& console) {
  return console.find("Input/output error") != std::string::npos ||
         console.find("= 005") != std::string::npos;
}

// The first 30 characters of the stop's message on the console.
std::string stop_message_start(const std::string& console) {
  const std::string before = stop_header + " \n \n ";
  const std::size_t at = console.find(before);
  if (at == std::string::npos) return "(no stop message)";
  const std::string line = console.substr(at + before.size(), 30);
  return line.substr(0, line.find('\n'));
}

// The contents a kept output may have after a failed run, given its clean-run content.
std::vector<std::string> allowed_contents(const Kept& k, const std::string& clean) {
  std::vector<std::string> allowed = {k.before, clean};
  if (k.before.empty()) allowed.push_back("(none)");
  if (k.whole == Whole::packages) {
    // A package opens with its load card: the label, five blanks, "1" in column 12.
    for (std::size_t at = k.before.size(); at < clean.size(); at = clean.find('\n', at) + 1) {
      if (at > k.before.size() && clean.size() - at > 12 && clean.compare(at + 6, 6, "     1") == 0) {
        allowed.push_back(clean.substr(0, at));
      }
      if (clean.find('\n', at) == std::string::npos) break;
    }
  }
  return allowed;
}

std::string lines_text(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// Runs the deck once cleanly, then once for every call of every file operation that the
// clean run makes, with that call failing: every run must stop with status 1 and a message
// naming the failure, remove the temporary files, leave each kept output as it was before
// or whole, and close the listing with the stop's message.
void FaultRun::sweep(const SweepDeck& d) {
  std::map<std::string, std::string> inputs;
  if (d.needs_take) {
    const Outcome made = run(take_deck, {});
    ASSERT_EQ(made.status, 0) << made.console;
    inputs["TAKE"] = made.files.at("GIVE");
  }
  for (const Kept& k : d.kept) {
    if (!k.before.empty()) inputs[k.file] = k.before;
  }
  const Outcome clean = run(d.deck, inputs);
  ASSERT_EQ(clean.status, 0) << clean.console;
  std::map<std::string, std::vector<std::string>> allowed;
  for (const Kept& k : d.kept) {
    ASSERT_EQ(clean.files.count(k.file), 1u) << k.file;
    ASSERT_NE(clean.files.at(k.file), k.before) << k.file << " is not written by the deck";
    allowed[k.file] = allowed_contents(k, clean.files.at(k.file));
  }

  for (FileOp op : all_ops) {
    const std::int64_t calls = run(d.deck, inputs, op, never).calls;
    if (op != FileOp::rename) {
      EXPECT_GT(calls, 0) << op_name(op);
    }
    for (std::int64_t nth = 1; nth <= calls; ++nth) {
      SCOPED_TRACE(std::string(op_name(op)) + " call " + std::to_string(nth));
      const Outcome o = run(d.deck, inputs, op, nth);
      ASSERT_TRUE(o.fired);
      EXPECT_EQ(o.status, 1) << o.console;
      EXPECT_TRUE(names_the_failure(o.console)) << o.console;
      for (const char* temporary : {"MTIST", "MTDST", "MTSC1", "MTSC2", "GIVE.part"}) {
        EXPECT_EQ(o.files.count(temporary), 0u) << temporary << " left behind";
      }
      for (const Kept& k : d.kept) {
        const std::string now = o.files.count(k.file) != 0 ? o.files.at(k.file) : "(none)";
        const auto& ok = allowed[k.file];
        EXPECT_NE(std::find(ok.begin(), ok.end(), now), ok.end()) << k.file << " half-written:\n" << now;
      }
      const std::string listing = o.files.count("MONOUT") != 0 ? o.files.at("MONOUT") : "";
      if (o.console.find("MONOUT") == std::string::npos && o.console.find(stop_header) != std::string::npos) {
        const std::string tail = listing.substr(listing.size() > 300 ? listing.size() - 300 : 0);
        EXPECT_NE(tail.find(stop_message_start(o.console)), std::string::npos) << listing;
      }
    }
  }
}

TEST_F(FaultRun, TakeGistAndGiveSurviveEveryFailingCall) {
  sweep({gist_give_deck, true,
         {{"MONPUN", "OLD CARD FROM AN EARLIER RUN\n", Whole::packages},
          {"GIVE", "an earlier run's GIVE, which a failed save must leave alone", Whole::file}}});
}

TEST_F(FaultRun, ResidualAndReproducedFilesSurviveEveryFailingCall) {
  sweep({fast_deck, false,
         {{"MONPUN", "", Whole::packages}, {"CORRESID", "OLD RESIDUALS\n", Whole::file},
          {"CORREPRO", "", Whole::file}}});
}

TEST_F(FaultRun, CorrTxtSurvivesEveryFailingCall) {
  sweep({select_deck, false, {{"CORR.TXT", "OLD CORRELATIONS\n", Whole::file}}});
}

// The guarantee holds for every kept text output, whichever component writes it: what an
// unfinished component wrote is cut away by the stop, what a finished one wrote stays.
TEST_F(FaultRun, KeptTextOutputsLoseOnlyTheUnfinishedComponentsLines) {
  struct Case {
    const char* unit;
    const char* file;
  };
  const Case cases[] = {{"MONPUN", "MONPUN"}, {"MTCORR", "CORR.TXT"}, {"RRESID", "CORRESID"},
                        {"RREPRO", "CORREPRO"}, {"OOTYPE", "OOTYPE"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    for (const bool finished : {true, false}) {
      reset_run_state();
      write_file(c.file, "CORRELATIONS OF AN EARLIER RUN\n");
      init_units();
      std::int32_t u = get_unit(c.unit);
      write_record(u, "FIRST COMPONENT");
      release_component_units();  // the first component returns
      u = get_unit(c.unit);       // the second one writes in its turn
      write_record(u, "SECOND COMPONENT");
      if (finished) release_component_units();
      io::inject_failure(FileOp::flush, 1);  // the close after the stop fails to flush, too
      try {
        close_all_units();  // what the end of the process does after a stop
      } catch (const io::IoError&) {
      }
      io::clear_failures();
      std::vector<std::string> lines = file_lines(c.file);
      std::vector<std::string> want = {"CORRELATIONS OF AN EARLIER RUN", "FIRST COMPONENT"};
      if (finished) want.push_back("SECOND COMPONENT");
      EXPECT_EQ(lines_text(lines), lines_text(want));
    }
  }
}

// A temporary file is removed even when the close that ends the run fails on another file.
TEST_F(FaultRun, TemporariesAreRemovedWhenTheirCloseFails) {
  for (const char* name : {"MTIST", "MTDST", "MTSC1", "MTSC2"}) {
    SCOPED_TRACE(name);
    reset_run_state();
    init_units();
    const std::int32_t u = get_unit(name);
    if (is_stream_unit(u)) {
      const std::byte b[4] = {};
      stream_file(u).write(1, b);
    } else {
      sequential_file(u).write(io::RecordWriter().i32(7));
    }
    ASSERT_TRUE(std::filesystem::exists(dir_ / name));
    write_record(get_unit("MONPUN"), "CARD");
    io::inject_failure(FileOp::flush, 1, "MONPUN");
    EXPECT_THROW(close_all_units(), io::IoError);
    io::clear_failures();
    EXPECT_FALSE(std::filesystem::exists(dir_ / name));
  }
}

}  // namespace
}  // namespace korvex
