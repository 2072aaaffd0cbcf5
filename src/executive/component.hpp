// The component loop: the current component's name and the run flag, the dispatch table of
// the 19 component names, and the common start and return steps every component takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex {

using component_entry = void (*)();

struct current_component_record {
  std::string name = "GEP   ";  // 6 characters, blank-padded
  std::int32_t run_flag = 1;     // 1 run, 2 stop
};

// Runs the loop until the run flag is 2.
void component_loop();
// One turn: runs the entry of the current name ("Unimplemented Component " when none).
void run_component();
// The current name becomes the first 6 characters of `name`, blank-padded.
void set_component(std::string_view name);
// Asks the loop to end after the running turn.
void end_run();
void module_start();
// The last step of every component: back to GEP, component units closed.
void return_to_gep();
const current_component_record& current_component();

// Puts an entry behind one of the 19 names of the dispatch table (start-up wiring). A name
// that has no entry stops like a name that is not in the table.
void install_component(std::string_view name, component_entry entry);
// The 19 names in the order in which they are compared.
const char* const* component_names();
constexpr int component_name_count = 19;

void reset_components();

}  // namespace korvex
