// The main program and the start-up wiring of the component loop. A card's whole journey
// starts here: the loop hands the turn to GEP, which reads the deck and names components.
#include "executive/over00.hpp"

#include <sys/resource.h>

#include <new>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/gep.hpp"
#include "executive/stop.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "data_entry/data_entry.hpp"
#include "factoring/factoring.hpp"
#include "selection/selection.hpp"
#include "scoring/scoring.hpp"
#include "storage/storage.hpp"
#include "structure/structure.hpp"
#include "typing/typing.hpp"

namespace korvex {

namespace {

// User-mode processor time used by the process so far, in seconds.
float user_cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<float>(usage.ru_utime.tv_sec) + static_cast<float>(usage.ru_utime.tv_usec) * 1.0e-6f;
}

constexpr const char* elapsed_layout = "('  Elapsed CPU time is ',F0.3,' seconds')";

void run_deck() {
  init_units();
  isf_init();
  init_page();
  const float t0 = user_cpu_seconds();
  component_loop();
  const float t1 = user_cpu_seconds();
  const float elapsed = t1 - t0;
  io::out_line(io::format_line(elapsed_layout, {elapsed}));
  const std::int32_t u = get_unit("MONOUT");
  write_formatted(u, "(1x)");
  write_formatted(u, elapsed_layout, {elapsed});
  // Every output must reach the disk before the run may report success.
  flush_all_units();
  keep_all_unit_output();
}

}  // namespace

void install_components() {
  install_component("GEP", &GEP);
  install_component("CC5", &CC5);
  install_component("GIST", &GIST);
  install_component("COR2", &COR2);
  install_component("COR3", &COR3);
  install_component("DAP", &DAP);
  install_component("DVP", &DVP);
  install_component("FAST", &FAST);
  install_component("GYRO", &GYRO);
  install_component("RESTOR", &RESTOR);
  install_component("SELECT", &SELECT);
  install_component("SLEEP", &SLEEP);
  // Each component below is switched on by its own line once it is built.
  // CSA2:
  install_component("CSA2", &CSA2);

  // SPAN2:
  install_component("SPAN2", &SPAN2);

  // FACS:
  install_component("FACS", &FACS);

  // RSCAT:
  install_component("RSCAT", &RSCAT);

  // OTYPE:
  install_component("OTYPE", &OTYPE);

  // COMP1 and COMP2:
  install_component("COMP1", &COMP1);
  install_component("COMP2", &COMP2);
}

void reset_run_state() {
  reset_units();
  reset_isf();
  reset_components();
  reset_errors();
}

int OVER00() {
  int status = 0;
  try {
    try {
      install_components();
      run_deck();
    } catch (const io::IoError& e) {
      proc_error(e.what());
    } catch (const io::LayoutError& e) {
      proc_error(e.what());
    } catch (const std::bad_alloc&) {
      proc_error("OVER00: Bad alloc_stat = out of memory");
    }
  } catch (const Stop&) {
    status = 1;
  } catch (const std::exception& e) {
    // A failure while a stop was being reported (the listing itself failing, say).
    io::out_line(std::string(" ") + e.what());
    status = 1;
  }
  try {
    close_all_units();
  } catch (const std::exception& e) {
    io::out_line(std::string(" ") + e.what());
    status = 1;
  }
  if (run_failed()) status = 1;
  return status;
}

}  // namespace korvex
