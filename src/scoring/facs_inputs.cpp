// The inputs of the eight scoring methods: the run title, means, standard deviations and
// names from the ISF, then the method's own matrices (definer lists, factor matrices,
// communalities, correlations, basis, stored weights) or the analyst's cards; and the
// printer of the cluster definer lists.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "data_entry/active_variables.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "scoring/facs_internal.hpp"
#include "storage/storage.hpp"

namespace korvex::facs {

namespace {

// A scratch matrix of 999 x 999 for the reads whose size is checked only afterwards.
std::vector<float>& scratch() {
  static std::vector<float> big;
  if (big.empty()) big.assign(static_cast<std::size_t>(max_vars) * max_vars, 0.0f);
  return big;
}

void inconsistent() { error_by_tag("FACS140022", 0, 0); }

// Reads a real matrix entry into the scratch matrix; the absent entry stops the run.
Kpar read_matrix(std::string_view label) {
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_matrix(label, 0, kpar, notfound, scratch());
  isf_not_found(label, notfound);
  return kpar;
}

// Reads UFACT1 or RFACT1 into F and sets NF from its columns (at most 50, NV rows).
void read_factor_matrix(std::string_view label) {
  facs_state& s = state();
  const Kpar kpar = read_matrix(label);
  const std::int32_t rows = kpar[1];
  const std::int32_t cols = kpar[0] >= 2 ? kpar[2] : 1;
  if (cols > max_comp) error_by_tag("FACS140021", 0, 0);
  if (rows != s.nv) inconsistent();
  s.nf = cols;
  const std::vector<float>& a = scratch();
  for (std::int32_t k = 1; k <= cols; ++k)
    for (std::int32_t j = 1; j <= rows; ++j) s.f[ix(j, k, max_vars)] = a[ix(j, k, max_vars)];
}

// UFACT1 for the standard deviations of option 2 (methods 1, 7, 8): NV rows, at least NF
// columns; NF stays as the method set it.
void read_ufact_for_scale() {
  facs_state& s = state();
  const Kpar kpar = read_matrix("UFACT1");
  const std::int32_t rows = kpar[1];
  const std::int32_t cols = kpar[0] >= 2 ? kpar[2] : 1;
  if (rows != s.nv || cols < s.nf) inconsistent();
  const std::vector<float>& a = scratch();
  for (std::int32_t k = 1; k <= s.nf; ++k)
    for (std::int32_t j = 1; j <= rows; ++j) s.f[ix(j, k, max_vars)] = a[ix(j, k, max_vars)];
}

void read_diagv() {
  facs_state& s = state();
  const Kpar kpar = read_matrix("DIAGV1");
  if (kpar[1] != s.nv) inconsistent();
  for (std::int32_t j = 1; j <= s.nv; ++j) s.diag[at(j)] = scratch()[at(j)];
}

// BASIS1, which must be NF x NF.
void read_basis() {
  facs_state& s = state();
  const Kpar kpar = read_matrix("BASIS1");
  const std::int32_t cols = kpar[0] >= 2 ? kpar[2] : 1;
  if (kpar[1] != s.nf || cols != s.nf) inconsistent();
  for (std::int32_t k = 1; k <= s.nf; ++k)
    for (std::int32_t i = 1; i <= s.nf; ++i)
      s.basis[ix(i, k, max_comp)] = scratch()[ix(i, k, max_vars)];
}

// REFLX1: NF, the definer counts and lists. A definer beyond NV is unknown.
void read_reflx() {
  facs_state& s = state();
  std::vector<std::int32_t> counts(max_vars, 0);
  std::vector<std::int32_t> lists(static_cast<std::size_t>(max_defs) * max_vars, 0);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_int_table("REFLX1", 0, kpar, notfound, counts, lists);
  isf_not_found("REFLX1", notfound);
  const std::int32_t nf = kpar[1];
  if (nf > max_comp) error_by_tag("FACS140021", 0, 0);
  s.nf = nf;
  for (std::int32_t k = 1; k <= nf; ++k) {
    s.ndef[at(k)] = counts[at(k)];
    for (std::int32_t i = 1; i <= counts[at(k)]; ++i) {
      const std::int32_t c = lists[ix(i, k, max_defs)];
      if (std::abs(c) > s.nv) error_by_tag("FACS140024", 0, 0);
      s.ldef[ix(i, k, max_defs)] = c;
    }
  }
}

// Reads values(1..n) from MONIN under "(9F8.4)", as many cards as n needs. 0 read, -1 end
// of the deck, 1 a field that is not a number.
std::int32_t read_values(std::span<float> values, std::int32_t n) {
  const std::int32_t monin = state().monin;
  std::vector<io::Target> targets;
  for (std::int32_t i = 1; i <= n; ++i) targets.emplace_back(&values[at(i)]);
  const io::RecordSource next = [monin]() -> std::optional<std::string> {
    std::string record;
    if (!read_record(monin, record)) return std::nullopt;
    return record;
  };
  try {
    if (!io::Layout::get("(9F8.4)").read(next, targets)) return -1;
  } catch (const io::LayoutError&) {
    return 1;
  }
  return 0;
}

// The number of composites on its own "(I4)" card (methods 4 and 7).
std::int32_t read_composite_count(std::int32_t lo) {
  std::int32_t nf = 0;
  std::string record;
  if (!read_record(state().monin, record)) error_by_tag("FACS140007", -1, 0);
  const std::array<io::Target, 1> t = {io::Target(&nf)};
  try {
    io::read_text("(I4)", record, t);
  } catch (const io::LayoutError&) {
    error_by_tag("FACS140008", 1, 0);
  }
  if (nf < lo || nf > max_comp) error_by_tag("FACS140023", 0, 0);
  return nf;
}

// Method 4: NF and the analyst's weights, each composite starting on a new card.
void read_analyst_weights() {
  facs_state& s = state();
  s.nf = read_composite_count(2);
  std::vector<float> row(max_vars, 0.0f);
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    const std::int32_t status = read_values(row, s.nv);
    if (status == -1) error_by_tag("FACS140009", -1, k);
    if (status != 0) error_by_tag("FACS140010", status, k);
    for (std::int32_t j = 1; j <= s.nv; ++j) s.w[ix(k, j, max_comp)] = row[at(j)];
  }
}

// Method 7: NF, then one name list per cluster; the names are looked up among the variable
// names and every unknown one is reported before the run stops. A list with more than 99
// names stops the run at once with a message of its own.
void read_analyst_definers() {
  facs_state& s = state();
  s.nf = read_composite_count(1);
  std::vector<std::vector<std::string>> dname(static_cast<std::size_t>(s.nf));
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    std::vector<std::string> names(max_defs + 1, std::string(20, ' '));
    std::int32_t count = 0;
    std::int32_t bad = 0;
    read_name_list(names, max_defs + 1, count, bad, s.monin);
    if (bad != 0 || count < 1) error_by_tag("FACS140024", 0, 0);
    // A list that filled the room of max_defs + 1 names is too long, whatever its names; the
    // reader keeps no more, so the message says "more than".
    if (count > max_defs) {
      proc_error(io::format_line(
          "('FACS1 Error: CLUSTER ',I0,' HAS MORE THAN ',I0,' DEFINERS; A CLUSTER TAKES AT MOST ',"
          "I0,'.')",
          {k, max_defs, max_defs}));
    }
    names.resize(static_cast<std::size_t>(count));
    dname[at(k)] = std::move(names);
  }
  bool unknown = false;
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    const std::vector<std::string>& names = dname[at(k)];
    s.ndef[at(k)] = static_cast<std::int32_t>(names.size());
    for (std::int32_t i = 1; i <= s.ndef[at(k)]; ++i) {
      const std::string& name = names[at(i)];
      const std::int32_t p = find_name(s.vname, s.nv, name);
      if (p <= s.nv) {
        s.ldef[ix(i, k, max_defs)] = p;
        continue;
      }
      if (!unknown) pager(0);
      unknown = true;
      pager(2);
      write_formatted(s.monout, "( ' THE CLUSTER DEFINER NAME \"',A,'\" IS NOT IN VNAMES LIST.')",
                      {name.substr(0, static_cast<std::size_t>(last_nonblank(name)))});
    }
  }
  if (unknown) error_by_tag("FACS140024", 0, 0);
}

// Method 8: the stored effective weights, NV x NF.
void read_stored_weights() {
  facs_state& s = state();
  const Kpar kpar = read_matrix("WEIGH1");
  const std::int32_t cols = kpar[0] >= 2 ? kpar[2] : 1;
  if (cols > max_comp) error_by_tag("FACS140021", 0, 0);
  if (kpar[1] != s.nv) inconsistent();
  s.nf = cols;
  for (std::int32_t k = 1; k <= s.nf; ++k)
    for (std::int32_t j = 1; j <= s.nv; ++j)
      s.w[ix(k, j, max_comp)] = scratch()[ix(j, k, max_vars)];
}

}  // namespace

// CORRM1 in full symmetric form with a unit diagonal; its order must be NV.
void read_correlations() {
  facs_state& s = state();
  std::vector<float>& r = r_matrix();
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_square("CORRM1", 0, kpar, notfound, r, 2);
  isf_not_found("CORRM1", notfound);
  if (kpar[1] != s.nv) inconsistent();
  for (std::int32_t j = 1; j <= s.nv; ++j) r[ix(j, j, max_vars)] = 1.0f;
}

void INFSP() {
  facs_state& s = state();
  std::int32_t notfound = 0;
  isf_idfile(0, notfound, s.ident);
  isf_not_found("IDFILE", notfound);

  Kpar kpar{};
  std::vector<float>& a = scratch();
  isf_real_matrix("MEANS1", 0, kpar, notfound, a);
  isf_not_found("MEANS1", notfound);
  s.nv = kpar[1];
  s.nsub = kpar[0] >= 3 ? kpar[3] : 0;
  if (s.nv > max_vars) fatal_with_number("SYSTEM ERROR (INFSP 1): NV GT NVMAX", s.nv);
  if (s.nv < 1) inconsistent();
  for (std::int32_t j = 1; j <= s.nv; ++j) s.xmean[at(j)] = a[at(j)];

  const Kpar sdpar = read_matrix("STDEV1");
  if (sdpar[1] != s.nv) inconsistent();
  for (std::int32_t j = 1; j <= s.nv; ++j) s.xsd[at(j)] = a[at(j)];

  gen_v_names(s.vname, s.nv);
  isf_name_vector("VNAMS1", 0, kpar, notfound, s.vname);
  // Definer numbers, names and factor rows would follow a selected order while the means and
  // the data storage file keep the original one: the wrong variables would be scored.
  if (notfound == 0 && selection_in_force()) inconsistent();

  switch (s.iw) {
    case 1:
      read_reflx();
      if (s.isd == 2) read_ufact_for_scale();
      break;
    case 2:
      read_diagv();
      read_factor_matrix("UFACT1");
      break;
    case 3:
      read_diagv();
      read_factor_matrix("RFACT1");
      read_basis();
      break;
    case 4:
      read_analyst_weights();
      break;
    case 5:
      read_correlations();
      read_factor_matrix("UFACT1");
      break;
    case 6:
      read_correlations();
      read_factor_matrix("RFACT1");
      read_basis();
      break;
    case 7:
      read_analyst_definers();
      if (s.isd == 2) read_ufact_for_scale();
      break;
    default:
      read_stored_weights();
      if (s.isd == 2) read_ufact_for_scale();
      break;
  }
  // An entry without a single composite leaves nothing to score.
  if (s.nf < 1) error_by_tag("FACS140023", 0, 0);
  gen_kind_names(s.cname, s.nf, s.it);
}

void PRDEFN() {
  facs_state& s = state();
  std::vector<std::string> work(max_defs, std::string(20, ' '));
  for (std::int32_t k = 1; k <= s.nf; ++k) {
    const std::int32_t n = s.ndef[at(k)];
    for (std::int32_t i = 1; i <= n; ++i) {
      const std::int32_t c = std::abs(s.ldef[ix(i, k, max_defs)]);
      work[at(i)] = c >= 1 ? s.vname[at(c)] : std::string(20, ' ');
    }
    const std::int32_t m = std::min(n, 5);
    pager(m + 3);
    const std::string& cn = s.cname[at(k)];
    write_formatted(s.monout, "( 1X / \" VARIABLES IN CLUSTER  \", I0, \" (\", A, \")\" / 1X)",
                    {k, cn.substr(0, static_cast<std::size_t>(last_nonblank(cn)))});
    for (std::int32_t r = 1; r <= m; ++r) {
      std::vector<io::Value> items;
      for (std::int32_t i = r; i <= std::min(n, 30); i += 5) {
        items.emplace_back(s.ldef[ix(i, k, max_defs)]);
        items.emplace_back(work[at(i)]);
      }
      write_formatted(s.monout, "( 1X, 6( I8, 4X, A))", items);
    }
  }
  pager(-3);
}

}  // namespace korvex::facs
