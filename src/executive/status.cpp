// Status checks, missing-entry reports and coded errors (see status.hpp). Nothing here keeps
// state except the last coded error; every failure path ends in proc_error,
// fatal_with_number or QUIT and never returns.
#include "executive/status.hpp"

#include <string>

#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"

namespace korvex {

namespace {

error_state_record g_error_state;

// The tagged message: where, the check's own text, the status in three digits.
void tagged_check(std::string_view where, std::string_view what, std::int32_t stat) {
  if (stat == 0) return;
  std::string message(where);
  message += what;
  message += int_to_text(stat, 3);
  proc_error(message);
}

// How a message of the scoring component's table is reported.
enum class facs_report {
  alone,              // proc_error(text)
  with_status,        // fatal_with_number(text, status)
  factor_alone,       // the factor in 3 digits appended, then proc_error
  factor_with_status  // the factor in 3 digits appended, then fatal_with_number
};

struct facs_message {
  std::int32_t number;
  const char* text;
  facs_report report;
};

const facs_message facs_messages[] = {
    {140001, "FACS1 Error: End of command file where FACS parameter line 1 expected.", facs_report::alone},
    {140002, "FACS1 Error: Error while trying to read FACS parameter line 1", facs_report::with_status},
    {140003, "FACS1 Error: End of command file where FACS parameter line 2 expected.", facs_report::alone},
    {140004, "FACS1 Error: Error while trying to read FACS parameter line 2", facs_report::with_status},
    {140005, "FACS1 Error: End of command file where FACS title line expected.", facs_report::alone},
    {140006, "FACS1 Error: Error while trying to read FACS title line 3", facs_report::with_status},
    {140007, "FACS1 Error: End of command file where Analyst # Factors expected.", facs_report::alone},
    {140008, "FACS1 Error: Error while trying to read Analyst # Factors", facs_report::with_status},
    {140009, "FACS1 Error: End of command file where Analyst Weights expected for factor ",
     facs_report::factor_alone},
    {140010, "FACS1 Error: Error while reading Analyst Weights for factor ", facs_report::factor_with_status},
    {140011, "FACS1 Error: DST is empty. Be sure DAP was run before FACS.", facs_report::alone},
    {140012, "FACS1 Error: Error while reading the DST title record", facs_report::with_status},
    {140013, "FACS1 Error: Unexpected end of DST at 2nd record.", facs_report::alone},
    {140014, "FACS1 Error: Error while reading DST 2nd record", facs_report::with_status},
    {140015, "FACS1 Error: Unexpected end of DST at 3rd record.", facs_report::alone},
    {140016, "FACS1 Error: Error while reading DST 3rd record", facs_report::with_status},
    {140017, "FACS1 Error: End of command file where User Input Score SDs expected.", facs_report::alone},
    {140018, "FACS1 Error: Error while trying to read User Input Score SDs", facs_report::with_status},
    {140019, "FACS1 Error: CONTROL PARAMETER OUT OF BOUNDS", facs_report::alone},
    {140020,
     "FACS1 Error: DST CONTAINS MISSING DATA AND WEIGHT MATRIX SOMETHING OTHER THAN -1.0, 0.0 OR "
     "+1.0",
     facs_report::alone},
    {140021, "FACS1 Error: THE NUMBER OF DIMENSIONS IS GREATER THAN 15", facs_report::alone},
    {140022, "FACS1 Error: INCONSISTENT IST INFORMATION, PROBABLY FORGOT TO USE SLEP2 IF SLEP1 USED",
     facs_report::alone},
    {140023, "FACS1 Error: THE VALUE OF NF (THE NUMBER OF COMPOSITES) IS TOO LARGE OR TOO SMALL",
     facs_report::alone},
    {140024, "FACS1 Error: One or more unknown cluster definers.", facs_report::alone},
};

}  // namespace

void check_alloc_stat(std::string_view where, std::int32_t stat) {
  tagged_check(where, ": Bad alloc_stat =", stat);
}

void check_dealloc_stat(std::string_view where, std::int32_t stat) {
  tagged_check(where, ": Bad dealloc_stat =", stat);
}

void check_io_stat(std::string_view where, std::int32_t iostat) {
  tagged_check(where, ": Bad io_stat = ", iostat);
}

void iostat_error(std::int32_t iostat) {
  if (iostat == 0) return;
  if (iostat == -1) proc_error("Unexpected end-of-file condition occurred.");
  if (iostat == -2) proc_error("Unexpected end-of-record condition occurred.");
  proc_error("Unexpected read error occurred: iostat = " + int_to_text(iostat, 2));
}

void alloc_error(std::int32_t stat) {
  if (stat == 0) return;
  proc_error("Unexpected allocate error occurred: alloc_stat = " + int_to_text(stat, 2));
}

void dealloc_error(std::int32_t stat) {
  if (stat == 0) return;
  proc_error("Unexpected deallocate error occurred: dealloc_stat = " + int_to_text(stat, 2));
}

void isf_missing(std::string_view label, std::int32_t print) {
  if (print == 1) {
    write_formatted(get_unit("MONOUT"),
                    "(13H0CANNOT FIND ,A6,34H FILE ON INTERMEDIATE STORAGE FILE  ,/1H0,/1H0,/1H0)",
                    {io::pad(label, 6)});
  }
  QUIT(10005);
}

void isf_not_found(std::string_view label, std::int32_t notfound) {
  if (notfound == 0) return;
  write_formatted(get_unit("MONOUT"),
                  "(1X / ' FILE ', A6, ' COULD NOT BE LOCATED ON INTERMEDIATE STORAGE FILE' / "
                  "'YOU PROBABLY HAVE NEITHER GENERATED IT NOR INPUT IT.' // )",
                  {io::pad(label, 6)});
  QUIT(10007);
}

const error_state_record& error_state() { return g_error_state; }
void reset_error_state() { g_error_state = error_state_record{}; }

void error_by_tag(std::string_view code, std::int32_t iostat, std::int32_t extra) {
  const std::string padded = io::pad(code, 10);
  const std::string_view tag = std::string_view(padded).substr(0, 4);
  std::int32_t number = 0;
  BCDBIN(std::string_view(padded).substr(4, 6), number);
  g_error_state = {number, iostat, extra};
  if (tag == "FACS") facs_error_text();
  // "DAP ", "CC5 ", "CSA2", "SLP1", "SLP2" and unknown tags: nothing further.
}

void facs_error_text() {
  const error_state_record& s = g_error_state;
  for (const facs_message& m : facs_messages) {
    if (m.number != s.number) continue;
    std::string text = m.text;
    switch (m.report) {
      case facs_report::alone:
        proc_error(text);
      case facs_report::with_status:
        fatal_with_number(text, s.status);
      case facs_report::factor_alone:
        proc_error(text + int_to_text(s.extra, 3));
      case facs_report::factor_with_status:
        fatal_with_number(text + int_to_text(s.extra, 3), s.status);
    }
  }
  fatal_with_number("FACS1 ERROR: Unknown error number", s.number);
}

}  // namespace korvex
