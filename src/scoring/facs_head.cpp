// The scale of the scores (the standard deviation each composite gets), the head of the
// scoring listing, the step that stores MEANS2 and STDEV2 and opens the data storage file
// (its titles and variable count checked, left at the first subject record), and the reading
// of one subject record.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "scoring/facs_internal.hpp"
#include "storage/storage.hpp"

namespace korvex::facs {

namespace {

constexpr const char* method_names[8] = {"SIMPLE SUM METHOD",
                                         "LEDERMAN METHOD",
                                         "HARMAN-LEDERMAN METHOD",
                                         "INPUT WEIGHT MATRIX METHOD",
                                         "ORTHOGONAL COMPLETE ESTIMATION METHOD",
                                         "OBLIQUE COMPLETE ESTIMATION METHOD",
                                         "SIMPLE SUM METHOD - DEFINERS INPUT BY ANALYST",
                                         "WEIGHT MATRIX FROM IST"};

std::string trimmed(const std::string& text) {
  return text.substr(0, static_cast<std::size_t>(last_nonblank(text)));
}

// A caption of the head, built piece by piece in the text buffer.
std::string caption(std::initializer_list<std::string_view> pieces) {
  std::string txt(120, ' ');
  std::int32_t ltxt = 0;
  for (std::string_view p : pieces) BLDSTR(txt, ltxt, p);
  return txt.substr(0, static_cast<std::size_t>(ltxt));
}

void centred(std::string_view text) {
  facs_state& s = state();
  pr_line(0, get_ncline() - 1, text, s.npage, s.nline, s.monout);
}

}  // namespace

void STDV() {
  facs_state& s = state();
  if (s.isd == 1) {
    for (std::int32_t k = 1; k <= s.nf; ++k) s.sd[at(k)] = 10.0f;
    return;
  }
  if (s.isd == 2) {
    std::vector<float> h(max_comp, 0.0f);
    float total = 0.0f;
    for (std::int32_t k = 1; k <= s.nf; ++k) {
      float sum = 0.0f;
      for (std::int32_t j = 1; j <= s.nv; ++j) {
        const float v = s.f[ix(j, k, max_vars)];
        sum += v * v;
      }
      h[at(k)] = sum;
      total += sum;
    }
    // An all-zero factor matrix leaves no share to divide: every SD would be 0/0.
    if (!(total > 0.0f))
      proc_error(
          "FACS1 Error: THE FACTOR MATRIX HAS NO NONZERO COEFFICIENT; STANDARD DEVIATIONS "
          "PROPORTIONAL TO ITS COLUMN SUMS OF SQUARES CANNOT BE FORMED.");
    for (std::int32_t k = 1; k <= s.nf; ++k) s.sd[at(k)] = 10.0f * std::sqrt(h[at(k)] / total);
    return;
  }
  std::vector<io::Target> targets;
  for (std::int32_t k = 1; k <= s.nf; ++k) targets.emplace_back(&s.sd[at(k)]);
  const std::int32_t monin = s.monin;
  const io::RecordSource next = [monin]() -> std::optional<std::string> {
    std::string record;
    if (!read_record(monin, record)) return std::nullopt;
    return record;
  };
  bool complete = false;
  try {
    complete = io::Layout::get("(9F8.4)").read(next, targets);
  } catch (const io::LayoutError&) {
    error_by_tag("FACS140018", 1, 0);
  }
  if (!complete) error_by_tag("FACS140017", -1, 0);
  // A deviation of 0 or below would scale every score of the composite to one value.
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    if (!(s.sd[at(k)] > 0.0f))
      proc_error(io::format_line(
          "('FACS1 Error: THE STANDARD DEVIATION GIVEN FOR COMPOSITE ',I0,' (',A,"
          "') IS NOT GREATER THAN 0.')",
          {k, trimmed(s.cname[at(k)])}));
  }
}

void OUTFSP() {
  facs_state& s = state();
  pager(0);
  pager(-3);
  pager(1);
  centred("F   A   C   S");
  pager(-2);
  centred("C L U S T E R  /  F A C T O R  S C O R I N G");
  std::vector<io::Value> words(s.ident.begin(), s.ident.end());
  const std::string ident = io::format("(12A6)", words).front();
  pager(-2);
  centred(trimmed(ident));
  pager(-3);
  pager(1);
  centred(trimmed(s.title));
  pager(-2);
  pager(1);
  const std::string sentence = caption({s.it == 1 ? "CLUSTER " : "FACTOR ",
                                        "SCORES ARE COMPUTED BY THE ", method_names[at(s.iw)]});
  pager(-2);
  pager(1);
  write_formatted(s.monout, "( 1X, A)", {sentence});
  pager(-2);
  if (s.iw == 2 || s.iw == 3)
    pr_vector(s.diag, s.vname, s.nv, 1, 3, "COMMUNALITY VECTOR", s.npage, s.nline, s.monout);
  if (s.iw == 5 || s.iw == 6)
    pr_matrix(r_matrix(), s.vname, s.vname, s.nv, s.nv, max_vars, 1, 3, "CORRELATION MATRIX",
              s.npage, s.nline, s.monout);
  if (s.iw == 2 || s.iw == 5)
    pr_matrix(s.f, s.vname, s.cname, s.nv, s.nf, max_vars, 1, 3, "ORTHOGONAL FACTOR MATRIX",
              s.npage, s.nline, s.monout);
  if (s.iw == 3 || s.iw == 6) {
    pr_matrix(s.f, s.vname, s.cname, s.nv, s.nf, max_vars, 1, 3, "OBLIQUE FACTOR MATRIX",
              s.npage, s.nline, s.monout);
    pr_matrix(s.basis, s.cname, s.cname, s.nf, s.nf, max_comp, 1, 3,
              "CORRELATIONS BETWEEN OBLIQUE FACTORS", s.npage, s.nline, s.monout);
  }
  const std::string scaling = caption(
      {"SCALING CONSTANTS USED FOR ", s.it == 1 ? "CLUSTER SCORES" : "FACTOR SCORES"});
  pager(1);
  write_formatted(s.monout, "( 1X, A)", {scaling});
  pager(-3);
  pager(1);
  write_formatted(s.monout, "( ' MEAN..',F10.4)", {s.smean});
  pager(-3);
  pr_vector(s.sd, s.cname, s.nf, 1, 3, "STANDARD DEVIATIONS", s.npage, s.nline, s.monout);
}

void DSTCHK() {
  facs_state& s = state();
  Kpar kpar{};
  std::int32_t notfound = 0;
  make_kpar(kpar, 1, 1, 0);
  std::vector<float> mean = {s.smean};
  isf_real_matrix("MEANS2", 1, kpar, notfound, mean);
  make_kpar(kpar, s.nf, 1, 0);
  isf_real_matrix("STDEV2", 1, kpar, notfound, s.sd);

  rewind_unit(s.mtdst);
  std::int32_t status = dsf::read_title_record(s.mtdst, s.ident);
  if (status == -1) error_by_tag("FACS140011", status, 0);
  if (status != 0) error_by_tag("FACS140012", status, 0);
  pager(-1);
  pager(1);
  const std::vector<io::Value> words(s.ident.begin(), s.ident.end());
  const std::string source = io::format("(\" SOURCE OF RAW SCORES\",5X,12A6)", words).front();
  centred(trimmed(source));

  std::vector<std::string> second(12, std::string(6, ' '));
  status = dsf::read_title_record(s.mtdst, second);
  if (status == -1) error_by_tag("FACS140013", status, 0);
  if (status != 0) error_by_tag("FACS140014", status, 0);
  for (std::size_t i = 0; i < 12; ++i) {
    if (s.ident[i] == second[i]) continue;
    pager(-2);
    pager(3);
    std::vector<io::Value> both;
    for (const std::string& w : s.ident) both.emplace_back(w);
    for (const std::string& w : second) both.emplace_back(w);
    write_formatted(s.monout,
                    "(\" DSF record 1 does not match DSF record 2\" / \" record 1:\" 12A6 / "
                    "\"record 2:\" 12A6)",
                    both);
    proc_error("ERROR - NOT VALID DSF");
  }

  std::int32_t nvd = 0;
  std::int32_t nomiss = 0;
  status = dsf::read_counts_record(s.mtdst, nvd, nomiss);
  if (status == -1) error_by_tag("FACS140015", status, 0);
  if (status != 0) error_by_tag("FACS140016", status, 0);
  s.nomiss = nomiss;
  if (nvd != s.nv) {
    pager(2);
    write_formatted(s.monout,
                    "( \" THE NUMBER OF VARIABLES ON THE DST: \", I0, \",  DOES NOT EQUAL THE "
                    "NUMBER OF VARIABLES ON THE IST: \", I0, \".\")",
                    {nvd, s.nv});
    proc_error("SYSTEM ERROR");
  }
  skip_to_zero_record(s.mtdst);
}

void read_subject(dsf::subject_reader& reader, std::span<float> x, std::string* name,
                  std::int32_t* number, std::string_view pass) {
  const std::int32_t status = reader.read(x, name, number);
  if (status == -1)
    proc_error(std::string(pass) + " Error: Unexpected end of DST while reading data.");
  if (status != 0)
    fatal_with_number(std::string(pass) + " Error: Error while reading data from the DST", status);
}

}  // namespace korvex::facs
