// The main program: builds the unit table, the ISF and the page state, runs the component
// loop, reports the processor time used, and turns every stop into the exit status.
#pragma once

namespace korvex {

// Runs one whole deck in the current folder; returns the process exit status (0 after a
// normal end, 1 after any stop or a run that ended after a failed *TAKE).
int OVER00();

// Puts every built component behind its name in the dispatch table.
void install_components();

// Forgets every run-wide state (unit table, ISF, page, component loop, stops), so that a
// test can run another deck in the same process.
void reset_run_state();

}  // namespace korvex
