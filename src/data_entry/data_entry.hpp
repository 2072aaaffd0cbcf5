// The data entry subsystem as other folders see it: the entry of the data processing
// component DAP, which turns the raw records on MTXIN1 into the data storage file on MTDST
// and the first ISF entries, and the page-settings copy it leaves for the components that
// lay out their own pages. Everything else of the subsystem is private to src/data_entry.
#pragma once

#include <cstdint>

namespace korvex {

// The component entry the dispatcher calls for the name "DAP". Reads the component's
// cards from MONIN, the raw data from MTXIN1, writes the data storage file and the ISF
// entries, prints its listing and returns through return_to_gep; every fatal condition
// ends the run through the stop routines.
void DAP();

// The page-settings copy (page_common): lines per page, characters per line and the two
// auxiliary page settings, taken from the listing's page state when DAP (or a variable
// selection component) starts. It keeps the values of the last copy for the rest of the run;
// before any copy every field is 0, and its readers supply their own fallbacks.
struct page_common_record {
  std::int32_t nlpage = 0;
  std::int32_t ncline = 0;
  std::int32_t aux_a = 0;
  std::int32_t aux_b = 0;
};
const page_common_record& page_common();
// Takes a fresh copy of the listing's page settings into page_common.
void copy_page_settings();

// Forgets every run-wide state of the subsystem: DAP's control block and page state and the
// page-settings copy (tests).
void reset_data_entry();

}  // namespace korvex

// The reader of the data storage file.
#include "data_entry/dsf_reader.hpp"  // IWYU pragma: export
// The correlation components.
#include "data_entry/correlation.hpp"  // IWYU pragma: export
