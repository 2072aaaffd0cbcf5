// Benchmark of the object typing iteration: 400,000 objects of 10 scores (a generated
// FSCOR1 with MEANS2 and STDEV2) and 40 starting O-types read from a stored OMEAN1, with
// nothing rejected, deleted or condensed (UNIQUE large, KCRIT 1, CONDEN 0.0001), no
// hierarchical report, membership table, pass report or object listing, 20 passes at most.
// Runs *OTYPE in-process single-threaded and prints the wall-clock seconds of the whole
// component (input pass included) and the number of passes made. It also leaves the scores
// and the starting means as raw single-precision values for bench/otype_bench.R.
//   build and run: bench/otype_bench.sh [build folder] (or bench/components_bench.sh)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "executive/over00.hpp"
#include "executive/units.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"
#include "typing/otype.hpp"

namespace {

constexpr int nsub = 400000;
constexpr int ndim = 10;
constexpr int ntypes = 40;

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "korvex-otype-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path root = fs::current_path();
  fs::current_path(dir);
  try {
    korvex::reset_run_state();
    korvex::init_units();
    korvex::isf_init();
    korvex::init_page();
    std::int32_t nf = 0;
    std::vector<float> m = {0.0f};
    korvex::Kpar km{1, 1};
    korvex::isf_real_vector("MEANS2", 1, km, nf, m);
    std::vector<float> sd(ndim, 3.0f);
    korvex::Kpar ks{1, ndim};
    korvex::isf_real_vector("STDEV2", 1, ks, nf, sd);
    // The objects go to FSCOR1 and to the raw file as they are drawn, so that the peak
    // memory of the process is the component's own.
    std::mt19937_64 rng(20261210u);
    std::normal_distribution<float> normal;
    std::vector<float> centres(static_cast<std::size_t>(ntypes * ndim));
    for (float& c : centres) c = 3.0f * normal(rng);
    std::vector<float> start(static_cast<std::size_t>(ntypes * ndim));
    korvex::Kpar kf{3, ndim, nsub, ndim};
    std::vector<float> row(ndim);
    korvex::isf_real_chunks("FSCOR1", 1, kf, nf, row, 1);
    {
      std::ofstream raw("scores.f32", std::ios::binary);
      for (int s = 0; s < nsub; ++s) {
        for (int j = 0; j < ndim; ++j)
          row[static_cast<std::size_t>(j)] =
              centres[static_cast<std::size_t>((s % ntypes) * ndim + j)] + 1.5f * normal(rng);
        raw.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(ndim * 4));
        // Starting means: the first object of each group, moved a little.
        if (s < ntypes)
          for (int j = 0; j < ndim; ++j)
            start[static_cast<std::size_t>(s * ndim + j)] = row[static_cast<std::size_t>(j)] + 0.5f;
        korvex::isf_real_chunks("FSCOR1", 1, kf, nf, row, 2);
      }
    }
    std::ofstream("start.f32", std::ios::binary)
        .write(reinterpret_cast<const char*>(start.data()), static_cast<std::streamsize>(start.size() * 4));
    korvex::Kpar kom{5, ndim, ntypes, 999, 2, 2};
    std::vector<std::string> names;
    std::vector<std::int32_t> order;
    for (int j = 1; j <= ndim; ++j) {
      names.push_back("CLUS" + std::to_string(j));
      order.push_back(j);
    }
    korvex::MXFIL1(1, "OMEAN1", nf, kom, names, order);
    for (int i = 1; i <= ntypes; ++i) {
      std::vector<float> r(start.begin() + (i - 1) * ndim, start.begin() + i * ndim);
      std::string name = "OTYPE" + std::to_string(i);
      std::int32_t number = i;
      korvex::MXFIL3(r, name, number);
    }
    // The cost of the score entry alone, record by record and in the runs the first pass
    // reads it in.
    korvex::Kpar kr{};
    auto r0 = std::chrono::steady_clock::now();
    korvex::isf_real_chunks("FSCOR1", 0, kr, nf, row, 1);
    for (int s = 0; s < nsub; ++s) korvex::isf_real_chunks("FSCOR1", 0, kr, nf, row, 2);
    const double record_secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - r0).count();
    r0 = std::chrono::steady_clock::now();
    std::vector<float> run(65536);
    korvex::isf_real_chunks("FSCOR1", 0, kr, nf, row, 1);
    for (int s = 0; s < nsub;) s += korvex::isf_real_chunk_run(run, 65536 / ndim);
    const double run_secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - r0).count();
    std::ofstream("MONIN") << "   2   1   1   1   2   1   0   1  20   1   1   0999.   1   4   0\n";
    const auto t0 = std::chrono::steady_clock::now();
    korvex::OTYPE();
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    korvex::flush_all_units();
    int passes = 0;
    std::ifstream out("MONOUT");
    for (std::string line; std::getline(out, line);)
      if (line.find("I T E R A T I O N") != std::string::npos) ++passes;
    std::printf("OTYPE, %d objects x %d scores, %d starting O-types: %.2f s, %d passes\n", nsub, ndim,
                ntypes, secs, passes);
    std::printf("reading FSCOR1 once through the ISF, alone: %.2f s record by record, %.3f s in runs\n",
                record_secs, run_secs);
  } catch (const std::exception& e) {
    std::printf("otype benchmark stopped: %s\n", e.what());
  }
  korvex::reset_run_state();
  fs::current_path(root);
  return 0;
}
