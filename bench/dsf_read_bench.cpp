// The cost of reading the data storage file alone, the yardstick of the scoring passes:
// runs *DAP in-process on the deck and raw data of a folder (bench/dap_make_raw.py, whose
// MONIN starts with the *DAP card), then reads every subject record, values, name and
// number, through the reader the components use, and prints the processor seconds (user +
// system) of that reading and the subjects read. Prints figures; never fails.
//   build and run: bench/components_bench.sh   or: dsf_read_bench FOLDER
#include <sys/resource.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data_entry/data_entry.hpp"
#include "data_entry/dsf_reader.hpp"
#include "executive/over00.hpp"
#include "executive/positioning.hpp"
#include "executive/units.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"

namespace {

double cpu_seconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc < 2) {
    std::printf("usage: dsf_read_bench FOLDER\n");
    return 0;
  }
  const fs::path dir = fs::absolute(argv[1]);
  try {
    fs::current_path(dir);
    // DAP reads its cards from the title card on: the deck less its *DAP card.
    std::ifstream deck("MONIN");
    std::string line;
    std::ostringstream cards;
    std::getline(deck, line);
    while (std::getline(deck, line) && line.rfind("*END", 0) != 0) cards << line << '\n';
    deck.close();
    std::ofstream("MONIN.dap") << cards.str();
    fs::rename("MONIN", "MONIN.deck");
    fs::rename("MONIN.dap", "MONIN");
    korvex::reset_run_state();
    korvex::init_units();
    korvex::isf_init();
    korvex::init_page();
    korvex::DAP();

    const double t0 = cpu_seconds();
    const std::int32_t u = korvex::get_unit("MTDST");
    korvex::rewind_unit(u);
    std::vector<std::string> words(korvex::dsf::title_word_count);
    korvex::dsf::read_title_record(u, words);
    korvex::dsf::read_title_record(u, words);
    std::int32_t nv = 0;
    std::int32_t nomiss = 0;
    korvex::dsf::read_counts_record(u, nv, nomiss);
    korvex::skip_to_zero_record(u);
    korvex::dsf::subject_reader reader(u, nv);
    std::vector<float> x(static_cast<std::size_t>(nv));
    std::string name;
    std::int32_t number = 0;
    double check = 0.0;
    while (reader.read(x, &name, &number) == 0) check += x[0];
    const double secs = cpu_seconds() - t0;
    std::printf("%.3f %d %.6g\n", secs, reader.subjects_read(), check);
    korvex::close_all_units();
    fs::rename("MONIN.deck", "MONIN");
  } catch (const std::exception& e) {
    std::printf("data storage file reading stopped: %s\n", e.what());
  }
  korvex::reset_run_state();
  return 0;
}
