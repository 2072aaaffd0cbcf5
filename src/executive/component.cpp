// The component loop and its dispatcher. Between components the current name is GEP, the
// control-card interpreter, which names the next component; every component ends with
// return_to_gep. Components never call each other.
#include "executive/component.hpp"

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"

namespace korvex {

namespace {
const char* const g_names[component_name_count] = {
    "CC5",  "COMP1", "COMP2",  "COR2",   "COR3",  "CSA2",  "DAP",   "DVP",  "FACS", "FAST",
    "GEP",  "GIST",  "GYRO",   "OTYPE",  "RESTOR", "SELECT", "SLEEP", "SPAN2", "RSCAT"};
component_entry g_entries[component_name_count] = {};
current_component_record g_current;
}  // namespace

const char* const* component_names() { return g_names; }

void install_component(std::string_view name, component_entry entry) {
  for (int i = 0; i < component_name_count; ++i) {
    if (io::padded_equal(g_names[i], name)) {
      g_entries[i] = entry;
      return;
    }
  }
}

void set_component(std::string_view name) { g_current.name = io::pad(name, 6); }

void end_run() { g_current.run_flag = 2; }

void module_start() {}

void return_to_gep() {
  set_component("GEP");
  release_component_units();
}

const current_component_record& current_component() { return g_current; }

void run_component() {
  for (int i = 0; i < component_name_count; ++i) {
    if (io::padded_equal(g_current.name, g_names[i])) {
      if (g_entries[i] == nullptr) break;
      g_entries[i]();
      return;
    }
  }
  proc_error("Unimplemented Component " + g_current.name);
}

void component_loop() {
  g_current.run_flag = 1;
  set_component("GEP");
  while (g_current.run_flag == 1) run_component();
}

void reset_components() {
  g_current = current_component_record{};
}

}  // namespace korvex
