// Benchmark of the correlation components on synthetic data (a five-factor model): *COR2 on
// complete data and *COR3 with 10% of the values missing, at 400,000 subjects by 100
// variables and 40,000 by 999 (and at 40,000 by 100, to show that memory does not grow with
// the subjects). Each case writes a data storage file and the ISF entries of DAP in a folder
// of its own and runs the component in-process on one thread, then on KORVEX_THREADS threads
// (default every core the process may use), printing the wall-clock seconds and the peak
// resident memory of each run (the high-water mark is reset before the run, so the generated
// data do not count), with the reading of the data storage file and the cross-product kernel
// alone for comparison. It writes the figures to korvex_times.txt in the data folder and
// leaves the four large matrices as raw single-precision values (subject after subject, NaN
// missing) for bench/cor_bench.R. Prints figures; never fails.
//   build and run: bench/cor_bench.sh [build folder]
//   or: cor_bench [data folder [case name]]
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data_entry/cor_kernel.hpp"
#include "data_entry/correlation.hpp"
#include "data_entry/dsf_reader.hpp"
#include "executive/over00.hpp"
#include "executive/workers.hpp"
#include "executive/positioning.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point t0) {
  return std::chrono::duration<double>(clock_type::now() - t0).count();
}

struct bench_case {
  const char* name;
  int nsub;
  int nv;
  double missing;  // share of values missing
  bool for_r;      // leaves the matrix for bench/cor_bench.R
};

// Values of a five-factor model, level 50 and spread 10, subject after subject.
std::vector<float> generate(const bench_case& c) {
  std::mt19937_64 rng(20240613u + static_cast<unsigned>(c.nv));
  std::normal_distribution<float> normal;
  std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
  std::uniform_real_distribution<float> loading(0.2f, 0.8f);
  std::vector<float> l(static_cast<std::size_t>(c.nv));
  for (float& x : l) x = loading(rng);
  std::vector<float> x(static_cast<std::size_t>(c.nsub) * static_cast<std::size_t>(c.nv));
  float f[5];
  for (int s = 0; s < c.nsub; ++s) {
    for (float& v : f) v = normal(rng);
    float* row = x.data() + static_cast<std::size_t>(s) * static_cast<std::size_t>(c.nv);
    for (int k = 0; k < c.nv; ++k) {
      const float lk = l[static_cast<std::size_t>(k)];
      const float value = 50.0f + 10.0f * (lk * f[k % 5] + std::sqrt(1.0f - lk * lk) * normal(rng));
      row[k] = (c.missing > 0.0 && uniform(rng) < c.missing) ? std::nanf("") : value;
    }
  }
  return x;
}

// The data storage file and the ISF entries a clean DAP run leaves.
void write_inputs(const bench_case& c, const std::vector<float>& x) {
  using namespace korvex;
  const bool missing = c.missing > 0.0;
  const std::int32_t u = get_unit("MTDST");
  io::SequentialFile& f = sequential_file(u);
  f.write(io::RecordWriter().text("CORRELATION BENCHMARK", 72));
  f.write(io::RecordWriter().text("CORRELATION BENCHMARK", 72));
  f.write(io::RecordWriter().i32(c.nv).i32(missing ? 0 : 1).i32(0).i32(1).i32(0));
  io::RecordWriter names;
  std::vector<std::string> name_list;
  for (int k = 1; k <= c.nv; ++k) {
    name_list.push_back(io::pad("V" + std::to_string(k), 20));
    names.text(name_list.back(), 20);
  }
  f.write(names);
  f.write(io::RecordWriter().i32(0));
  std::vector<double> sum(static_cast<std::size_t>(c.nv), 0.0);
  std::vector<std::int32_t> count(static_cast<std::size_t>(c.nv), 0);
  for (int s = 0; s < c.nsub; ++s) {
    const float* row = x.data() + static_cast<std::size_t>(s) * static_cast<std::size_t>(c.nv);
    io::RecordWriter r;
    r.f32s(std::span<const float>(row, static_cast<std::size_t>(c.nv)));
    r.text("S" + std::to_string(s + 1), 20).i32(s + 1);
    for (int k = 0; k < c.nv; ++k) {
      const bool present = !std::isnan(row[k]);
      if (missing) r.i32(present ? 1 : 0);
      if (present) {
        sum[static_cast<std::size_t>(k)] += row[k];
        ++count[static_cast<std::size_t>(k)];
      }
    }
    f.write(r);
  }
  f.write(io::RecordWriter().i32(0));
  f.end_file();
  rewind_unit(u);

  std::int32_t notfound = 0;
  std::vector<std::string> title = {"CORREL", "ATION ", "BENCHM", "ARK   ", "      ", "      ",
                                    "      ", "      ", "      ", "      ", "      ", "      "};
  isf_idfile(1, notfound, title);
  Kpar kpar{};
  make_kpar(kpar, c.nv, 1, 0);
  isf_name_vector("VNAMS1", 1, kpar, notfound, name_list);
  std::vector<float> means(static_cast<std::size_t>(c.nv));
  for (std::size_t k = 0; k < means.size(); ++k) means[k] = static_cast<float>(sum[k] / count[k]);
  make_kpar(kpar, c.nv, 1, c.nsub);
  isf_real_vector("MEANS1", 1, kpar, notfound, means);
  if (missing) {
    make_kpar(kpar, c.nv, 1, 0);
    isf_int_vector("VAREN1", 1, kpar, notfound, count);
  }
}

// The kernel alone on the deviations of complete data, as COR2 forms them.
double kernel_seconds(const bench_case& c, const std::vector<float>& x, std::int32_t threads) {
  korvex::worker_pool pool(threads);
  korvex::cor::cross_products totals(c.nv, c.nv, true, korvex::cor::kernel_variant::automatic,
                                     &pool);
  const int cap = totals.block_capacity();
  std::vector<double> block(static_cast<std::size_t>(cap) * static_cast<std::size_t>(c.nv));
  const auto t0 = clock_type::now();
  int row = 0;
  for (int s = 0; s < c.nsub; ++s) {
    const float* v = x.data() + static_cast<std::size_t>(s) * static_cast<std::size_t>(c.nv);
    double* b = block.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(c.nv);
    for (int k = 0; k < c.nv; ++k) b[k] = static_cast<double>(v[k] - 50.0f);
    if (++row == cap) {
      totals.add(block, row);
      row = 0;
    }
  }
  totals.add(block, row);
  const double t = seconds_since(t0);
  std::printf("    (kernel check value %.6g)\n", totals(c.nv, 1));
  return t;
}

// Reading the data storage file alone: every subject record through the public reader.
double read_seconds(const bench_case& c) {
  using namespace korvex;
  const std::int32_t u = get_unit("MTDST");
  rewind_unit(u);
  const auto t0 = clock_type::now();
  skip_to_zero_record(u);
  dsf::subject_reader reader(u, c.nv);
  std::vector<float> values(static_cast<std::size_t>(c.nv));
  double check = 0.0;
  while (reader.next(values)) check += values[0];
  const double t = seconds_since(t0);
  std::printf("    (%d records read, check value %.6g)\n", reader.subjects_read(), check);
  rewind_unit(u);
  return t;
}

// The peak resident memory from now on: the kernel's high-water mark is reset, so that what
// the data generation held does not count (Linux; elsewhere the whole process's peak).
void reset_peak_memory() { std::ofstream("/proc/self/clear_refs") << "5"; }

double peak_memory_mb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      double kb = 0.0;
      status >> kb;
      return kb / 1024.0;
    }
    status.ignore(1 << 20, '\n');
  }
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// One run of the component on `threads` threads: its seconds and peak memory.
struct run_figures {
  double seconds = -1.0;
  double peak_mb = 0.0;
};

run_figures run_component(const bench_case& c, std::int32_t threads) {
  setenv("KORVEX_THREADS", std::to_string(threads).c_str(), 1);
  reset_peak_memory();
  run_figures f;
  try {
    const auto t0 = clock_type::now();
    if (c.missing > 0.0) {
      korvex::COR3();
    } else {
      korvex::COR2();
    }
    f.seconds = seconds_since(t0);
  } catch (const std::exception& e) {
    std::printf("  the component stopped: %s\n", e.what());
  }
  f.peak_mb = peak_memory_mb();
  std::printf("  *%s on %d thread%s, whole component (file read, totals, results, ISF, "
              "listing): %.3f s, peak memory %.0f MB\n",
              c.missing > 0.0 ? "COR3" : "COR2", threads, threads == 1 ? "" : "s", f.seconds,
              f.peak_mb);
  return f;
}

void run_case(const bench_case& c, const std::filesystem::path& root, std::int32_t many,
              std::FILE* summary) {
  namespace fs = std::filesystem;
  std::printf("%s: %d subjects x %d variables%s\n", c.name, c.nsub, c.nv,
              c.missing > 0.0 ? ", 10% missing" : "");
  const auto tg = clock_type::now();
  std::vector<float> x = generate(c);
  std::printf("  data generated in %.2f s\n", seconds_since(tg));
  if (c.for_r) {
    std::ofstream raw(root / (std::string(c.name) + ".f32"), std::ios::binary);
    raw.write(reinterpret_cast<const char*>(x.data()),
              static_cast<std::streamsize>(x.size() * sizeof(float)));
  }
  const fs::path dir = root / c.name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::current_path(dir);
  korvex::reset_run_state();
  korvex::init_units();
  korvex::isf_init();
  korvex::init_page();
  std::ofstream(dir / "MONIN") << "\n\n";  // the option card of each of the two runs
  write_inputs(c, x);
  if (c.missing == 0.0) {
    // As the components do, below 200 variables the kernel keeps to one thread.
    const std::int32_t pass = korvex::cor::pass_threads(c.nv, many);
    std::printf("  kernel alone (deviations in memory), one thread: %.3f s, %d threads: %.3f s\n",
                kernel_seconds(c, x, 1), pass, kernel_seconds(c, x, pass));
  }
  std::vector<float>().swap(x);  // the components' memory is measured without the data
  malloc_trim(0);                 // and without the heap the data left behind
  const run_figures one = run_component(c, 1);
  const run_figures all = many > 1 ? run_component(c, many) : one;
  std::printf("  reading the data storage file alone: %.3f s\n", read_seconds(c));
  std::fprintf(summary, "%s %d %.4f %.4f %.1f %.1f\n", c.name, many, one.seconds, all.seconds,
               one.peak_mb, all.peak_mb);
  korvex::close_all_units();
  korvex::reset_run_state();
  fs::current_path(root);
  fs::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const fs::path root =
      fs::absolute(argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "korvex-cor-bench");
  fs::create_directories(root);
  std::printf("wide kernel (AVX2): %s, widest (AVX-512): %s\n",
              korvex::cor::wide_kernel_available() ? "yes" : "no",
              korvex::cor::widest_kernel_available() ? "yes" : "no");
  const bench_case cases[] = {
      {"cor2_400000x100", 400000, 100, 0.0, true},
      {"cor2_40000x999", 40000, 999, 0.0, true},
      {"cor3_400000x100", 400000, 100, 0.1, true},
      {"cor3_40000x999", 40000, 999, 0.1, true},
      // A tenth of the subjects: the peak memory must not change.
      {"cor2_40000x100", 40000, 100, 0.0, false},
      {"cor3_40000x100", 40000, 100, 0.1, false},
  };
  // One thread, then KORVEX_THREADS threads (default: every core the process may use).
  const std::int32_t many = korvex::worker_thread_count();
  std::FILE* summary = std::fopen((root / "korvex_times.txt").c_str(), "w");
  if (summary == nullptr) return 1;
  const std::string only = argc > 2 ? argv[2] : "";
  for (const bench_case& c : cases) {
    if (only.empty() || only == c.name) run_case(c, root, many, summary);
  }
  std::fclose(summary);
  std::printf("raw matrices for bench/cor_bench.R in %s\n", root.c_str());
  return 0;
}
