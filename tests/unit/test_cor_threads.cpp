// COR2 and COR3 with one and with four threads on the same data storage file: the stored
// CORRM1 (and COR3's covariances) must be the same bytes; KORVEX_THREADS empty counts as
// unset, and a bad one stops the run with a message naming it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data_entry/correlation.hpp"
#include "executive/stop.hpp"
#include "executive/workers.hpp"
#include "test_cor_fixture.hpp"

namespace korvex::testing {
namespace {

// Sets KORVEX_THREADS (nullptr: unsets it) for the life of the object and restores the old
// value after.
class threads_setting {
 public:
  explicit threads_setting(const char* value) {
    if (const char* old = std::getenv("KORVEX_THREADS"); old != nullptr) old_ = old, had_ = true;
    if (value != nullptr) {
      ::setenv("KORVEX_THREADS", value, 1);
    } else {
      ::unsetenv("KORVEX_THREADS");
    }
  }
  ~threads_setting() {
    if (had_) {
      ::setenv("KORVEX_THREADS", old_.c_str(), 1);
    } else {
      ::unsetenv("KORVEX_THREADS");
    }
  }

 private:
  std::string old_;
  bool had_ = false;
};

class CorThreads : public CorRun {
 public:
  // A data set with values of many magnitudes (so that any other order of summation shows)
  // and, when asked, 10% missing values.
  static cor_data sample(std::int32_t nv, std::int32_t nsub, bool missing) {
    std::mt19937 g(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::uniform_int_distribution<int> e(-6, 10);
    std::bernoulli_distribution gone(0.1);
    std::vector<float> v(static_cast<std::size_t>(nv) * static_cast<std::size_t>(nsub));
    for (float& x : v) x = missing && gone(g) ? std::nanf("") : std::ldexp(u(g), e(g)) + 100.0f;
    return make_data(nv, nsub, v);
  }
  // The run of one component with the given thread setting: the CORRM1 (and COVAR1 when
  // asked) as stored, every float of the lower triangle.
  std::vector<float> run(const cor_data& d, void (*component)(), const char* threads,
                         const char* label = "CORRM1") {
    threads_setting t(threads);
    reset_run_state();
    init_units();
    isf_init();
    init_page();
    write_all(d);
    // COR3's card: pairwise statistics (field 11 is 0), COVAR1 stored (field 15).
    if (component == &COR3) write_file("MONIN", std::string(14 * 4, ' ').replace(40, 4, "   0") + "   1\n");
    component();
    Kpar kpar{};
    return read_square(label, kpar);
  }
};

TEST_F(CorThreads, ResultsAreTheSameBytesForOneAndFourThreads) {
  struct run_case {
    const char* what;
    void (*component)();
    bool missing;
    const char* label;
  };
  const run_case cases[] = {
      {"COR2 complete data", &COR2, false, "CORRM1"},
      {"COR3 with missing values", &COR3, true, "CORRM1"},
      {"COR3 covariances", &COR3, true, "COVAR1"},
  };
  for (const run_case& c : cases) {
    const cor_data d = sample(211, 300, c.missing);  // enough variables for the threads to share
    const std::vector<float> one = run(d, c.component, "1", c.label);
    const std::vector<float> four = run(d, c.component, "4", c.label);
    ASSERT_EQ(one.size(), four.size());
    EXPECT_EQ(std::memcmp(one.data(), four.data(), one.size() * sizeof(float)), 0) << c.what;
  }
}

// The setting as the run reads it: unset or empty gives the cores the process may run on, a
// whole number from 1 to 256 is taken as it stands, anything else stops the run naming it.
TEST_F(CorThreads, ThreadSettings) {
  std::int32_t cores = 0;
  {
    threads_setting unset(nullptr);
    cores = worker_thread_count();
  }
  ASSERT_GE(cores, 1);
  const struct {
    const char* value;
    std::int32_t threads;  // 0: the run stops
  } cases[] = {
      {"", cores},  {"1", 1},    {"3", 3},      {"256", 256}, {"007", 7},   {"0", 0},
      {"257", 0},   {"x", 0},    {"four", 0},   {"-2", 0},    {"1000000", 0},
      {" 4", 0},    {"4 ", 0},   {" ", 0},      {"   ", 0},   {"2.5", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("KORVEX_THREADS=\"") + c.value + "\"");
    threads_setting t(c.value);
    out_.str("");
    if (c.threads > 0) {
      EXPECT_EQ(worker_thread_count(), c.threads);
      EXPECT_EQ(out_.str(), "");
      continue;
    }
    EXPECT_THROW(worker_thread_count(), Stop);
    EXPECT_NE(out_.str().find(std::string(" KORVEX_THREADS must be a whole number from 1 to 256, not \"") +
                              c.value + "\".\n"),
              std::string::npos)
        << out_.str();
  }
}

}  // namespace
}  // namespace korvex::testing
