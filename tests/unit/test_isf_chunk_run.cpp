// Reading a chunked real entry many records at a time: the values, positions, closing and
// stops must be those of the move calls it stands for, on well-formed entries and on
// records that are damaged, of another length or cut short by the end of the file.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_isf_fixture.hpp"

namespace korvex {
namespace {

using testing::IsfFolder;
using testing::Stopped;

// One data record as written: its values, or a kind-3 record of as many integers.
struct Record {
  std::vector<float> values;
  bool integers = false;
};

class IsfChunkRun : public IsfFolder {
 protected:
  // Frames an entry of chunk records (d1 = 1, d2 = total, d3 = chunk) holding `records`.
  void write_entry(std::int32_t total, std::int32_t chunk, const std::vector<Record>& records) {
    Kpar kpar{3, 1, total, chunk};
    std::int32_t notfound = 0;
    isf_open_entry("FSCOR1", 1, isf_kind_reals, kpar, notfound);
    for (const Record& r : records) {
      auto n = static_cast<std::int32_t>(r.values.size());
      if (r.integers) {
        std::vector<std::int32_t> iv(r.values.begin(), r.values.end());
        rwreci(iv, n, isf_unit(), 1);
      } else {
        std::vector<float> x = r.values;
        rwrecr(x, n, isf_unit(), 1);
      }
    }
    filfin(1);
  }
  void open_entry() {
    Kpar kpar{};
    std::int32_t notfound = 0;
    isf_real_chunks("FSCOR1", 0, kpar, notfound, {}, 1);
    ASSERT_EQ(notfound, 0);
  }

  // What the reader sees after each call: the slots filled, the position, the stop.
  struct Step {
    std::vector<float> values;
    std::int32_t position = 0;
    Stopped stop;
  };

  // Record after record through move calls, one buffer of `chunk` values for all.
  std::vector<Step> by_moves(std::int32_t chunk, int calls) {
    open_entry();
    std::vector<Step> steps;
    std::vector<float> buffer(static_cast<std::size_t>(chunk), -1.0f);
    for (int i = 0; i < calls; ++i) {
      Kpar kpar{};
      std::int32_t notfound = 0;
      Step s;
      s.stop = stop_of([&] { isf_real_chunks("FSCOR1", 0, kpar, notfound, buffer, 2); });
      s.values = buffer;
      s.position = position();
      steps.push_back(s);
      if (s.stop.stopped) break;
    }
    return steps;
  }

  // The same records through runs of up to `per_run`, cut into one step per record.
  // Before each run the slot of the record read last is copied to the front, as a reader
  // keeping one buffer per record would see it.
  std::vector<Step> by_runs(std::int32_t chunk, int per_run, int calls) {
    open_entry();
    std::vector<Step> steps;
    const auto width = static_cast<std::size_t>(chunk);
    std::vector<float> buffer(width * static_cast<std::size_t>(per_run), -1.0f);
    std::int32_t last = 1;
    while (static_cast<int>(steps.size()) < calls) {
      std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>((last - 1) * width), width,
                  buffer.begin());
      std::int32_t moved = 0;
      Step s;
      s.stop = stop_of([&] { moved = isf_real_chunk_run(buffer, per_run); });
      if (s.stop.stopped) {
        s.values.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(width));
        s.position = position();
        steps.push_back(s);
        break;
      }
      EXPECT_GE(moved, 1);
      EXPECT_LE(moved, per_run);
      for (std::int32_t k = 0; k < moved; ++k) {
        Step r;
        const auto from = buffer.begin() + static_cast<std::ptrdiff_t>(k * width);
        r.values.assign(from, from + static_cast<std::ptrdiff_t>(width));
        steps.push_back(r);
      }
      // A run leaves the position behind its last record only.
      steps.back().position = position();
      last = moved;
    }
    return steps;
  }
};

std::vector<float> counting(int from, int n) {
  std::vector<float> v;
  for (int k = 0; k < n; ++k) v.push_back(static_cast<float>(from + k));
  return v;
}

TEST_F(IsfChunkRun, RunsDeliverTheRecordsAndCloseTheEntryAsMoveCallsDo) {
  // 22 values in records of 4: five full records and a short last one.
  Kpar kpar{3, 2, 11, 4};
  std::int32_t notfound = 0;
  std::vector<float> record(4);
  isf_real_chunks("FSCOR1", 1, kpar, notfound, record, 1);
  for (int r = 0; r < 6; ++r) {
    record = counting(1 + 4 * r, 4);
    isf_real_chunks("FSCOR1", 1, kpar, notfound, record, 2);
  }
  std::vector<Step> moves = by_moves(4, 7);
  open_entry();
  std::vector<float> a(12, 0.0f);
  EXPECT_EQ(isf_real_chunk_run(a, 3), 3);
  EXPECT_EQ(a, counting(1, 12));
  EXPECT_EQ(isf_real_chunk_run(a, 3), 2);  // the full records left, not the short one
  EXPECT_EQ(std::vector<float>(a.begin(), a.begin() + 8), counting(13, 8));
  EXPECT_EQ(isf_real_chunk_run(a, 3), 1);  // the short last record alone, in slot 0
  EXPECT_EQ(std::vector<float>(a.begin(), a.begin() + 4),
            (std::vector<float>{21.0f, 22.0f, 15.0f, 16.0f}));
  EXPECT_EQ(position(), moves[5].position);
  Stopped closed = stop_of([&] { isf_real_chunk_run(a, 3); });
  EXPECT_EQ(closed.message, "isf_real_chunks: no entry is open for moving");
  EXPECT_EQ(moves.back().stop.message, closed.message);

  // Every record, position and the stop behind the last one, for runs of every length.
  for (int per_run : {1, 2, 5, 6, 50}) {
    SCOPED_TRACE(per_run);
    std::vector<Step> runs = by_runs(4, per_run, 7);
    ASSERT_EQ(runs.size(), moves.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
      EXPECT_EQ(runs[i].values, moves[i].values) << "record " << i + 1;
      if (runs[i].position != 0) {
        EXPECT_EQ(runs[i].position, moves[i].position);
      }
    }
    EXPECT_EQ(runs.back().stop.message, moves.back().stop.message);
  }
}

TEST_F(IsfChunkRun, RecordsUnlikeTheirKparAreMovedAloneWithTheMoveCallsChecks) {
  struct Case {
    const char* what;
    Record third;
  };
  const Case cases[] = {
      {"another kind", {{7.0f, 8.0f, 9.0f}, true}},
      {"a shorter count", {{7.0f, 8.0f}, false}},
      {"a longer count", {{7.0f, 8.0f, 9.0f, 10.0f, 11.0f}, false}},
      {"an empty record", {{}, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reset_isf();
    isf_init();
    write_entry(12, 3, {{counting(1, 3)}, {counting(4, 3)}, c.third, {counting(10, 3)}});
    std::vector<Step> moves = by_moves(3, 5);
    std::vector<Step> runs = by_runs(3, 4, 5);
    ASSERT_EQ(runs.size(), moves.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
      SCOPED_TRACE(i + 1);
      EXPECT_EQ(runs[i].values, moves[i].values);
      EXPECT_EQ(runs[i].stop.stopped, moves[i].stop.stopped);
      EXPECT_EQ(runs[i].stop.code, moves[i].stop.code);
      EXPECT_EQ(runs[i].stop.message, moves[i].stop.message);
      if (runs[i].position != 0) {
        EXPECT_EQ(runs[i].position, moves[i].position);
      }
    }
  }
}

TEST_F(IsfChunkRun, AnEntryCutShortStopsAtTheRecordTheFileEndsIn) {
  write_entry(12, 3, {{counting(1, 3)}, {counting(4, 3)}, {counting(7, 3)}, {counting(10, 3)}});
  // Cut the file in the middle of the third record's values.
  open_entry();
  std::vector<float> a(6);
  ASSERT_EQ(isf_real_chunk_run(a, 2), 2);
  const std::int32_t third = position();
  flush_all_units();
  std::filesystem::resize_file(dir_ / "MTIST", static_cast<std::uintmax_t>(third - 1 + 8 + 6));

  std::vector<Step> moves = by_moves(3, 5);
  std::vector<Step> runs = by_runs(3, 4, 5);
  ASSERT_EQ(moves.size(), 3U);
  EXPECT_TRUE(moves.back().stop.stopped);
  ASSERT_EQ(runs.size(), moves.size());
  EXPECT_EQ(runs[1].values, counting(4, 3));
  EXPECT_EQ(runs.back().stop.message, moves.back().stop.message);
  EXPECT_NE(runs.back().stop.message.find("end of file inside the record"), std::string::npos);
}

}  // namespace
}  // namespace korvex
