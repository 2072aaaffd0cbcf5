// Starting O-types of OTYPE from a stored membership: the O-types of OTYPE1 with the
// ordinals of their members, a report of objects claimed twice or not found, and the
// mean profile of every O-type over its members found in one pass over the objects.
#include <algorithm>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "storage/storage.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

namespace {

constexpr std::int32_t max_ordinal = 400000;

// claim(u): the position of the O-type that lists object u, or 0.
std::vector<std::int32_t> g_claim;

}  // namespace

void OTRDT1() {
  otype_state_record& s = state();
  control_record& c = s.c;
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<std::int32_t> counts(isf_matrix_ld, 0), numbers(isf_matrix_ld, 0);
  std::vector<std::string> names(isf_matrix_ld, std::string(name_len, ' '));
  OXFIL1("OTYPE1", 0, kpar, notfound, counts, names, numbers);
  isf_not_found("OTYPE1", notfound);
  const std::int32_t nt = kpar[1];
  const std::int32_t w = kpar[2];
  // The tables hold 40 O-types numbered 1..40.
  if (!int_in_range(nt, 1, max_types) || w < 1) proc_error("OTYPE1 FILE IMPROPER.");
  for (std::int32_t p = 1; p <= nt; ++p)
    if (!int_in_range(numbers[at(p)], 1, max_types) || counts[at(p)] < 0)
      proc_error("OTYPE1 FILE IMPROPER.");
  c.ntypes = nt;
  g_claim.assign(max_ordinal + 1, 0);
  s.lookup_mode = 1;
  s.lookup.fill(0);
  s.type_position.fill(0);
  c.maxnum = 0;
  for (std::int32_t p = 1; p <= nt; ++p) {
    s.type_names[at(p)] = names[at(p)];
    s.type_count[at(p)] = counts[at(p)];
    s.type_num[at(p)] = numbers[at(p)];
    s.lookup[at(numbers[at(p)])] = numbers[at(p)];
    s.type_position[at(numbers[at(p)])] = p;
    c.maxnum = std::max(c.maxnum, numbers[at(p)]);
  }
  std::vector<std::int32_t> rec(static_cast<std::size_t>(std::max(w, 999)), 0);
  for (std::int32_t p = 1; p <= nt; ++p) {
    const std::int32_t records = (counts[at(p)] + w - 1) / w;
    for (std::int32_t r = 0; r < records; ++r) {
      std::int32_t n = 0;
      isf_rwreci(0, n, rec);
      for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t u = rec[static_cast<std::size_t>(k)];
        if (!int_in_range(u, 1, max_ordinal)) proc_error("OTYPE1 FILE IMPROPER.");
        const std::int32_t before = g_claim[static_cast<std::size_t>(u)];
        if (before != 0) {
          pager(2);
          put("( '0SUBJECT WHOSE ORDINAL POSITION IS', I5,         ' REQUIRED BY ', A, ' AND ', A, "
              "', ONLY ', A,         ' WILL BE MET BY PROGRAM.')",
              {u, s.type_names[at(before)], s.type_names[at(p)], s.type_names[at(p)]});
        }
        g_claim[static_cast<std::size_t>(u)] = p;
      }
    }
  }
}

void OTMEAN() {
  otype_state_record& s = state();
  control_record& c = s.c;
  OTINPT();
  const std::int32_t nt = c.ntypes;
  std::vector<double> sums(static_cast<std::size_t>(max_dims * max_types), 0.0);
  for (std::int32_t p = 1; p <= nt; ++p) s.type_count[at(p)] = 0;
  OTSCRF(1);
  for (;;) {
    OTNEXT();
    if (s.cur.more == 0) break;
    if (s.cur.missing == 0) {
      const std::int32_t u = s.cur.ordinal;
      const std::int32_t p = (u >= 1 && u <= max_ordinal) ? g_claim[static_cast<std::size_t>(u)] : 0;
      if (p == 0) {
        s.cur.type = 0;
      } else {
        g_claim[static_cast<std::size_t>(u)] = 0;
        for (std::int32_t j = 1; j <= c.ndim; ++j)
          sums[at(p) * max_dims + at(j)] += static_cast<double>(s.cur.profile[at(j)]);
        ++s.type_count[at(p)];
        s.cur.type = s.type_num[at(p)];
      }
    }
    OTSCRF(2);
  }
  OTSCRF(3);
  for (std::int32_t p = 1; p <= nt; ++p) {
    const std::int32_t n = s.type_count[at(p)];
    for (std::int32_t j = 1; j <= c.ndim; ++j)
      omean(j, p) = n > 0 ? static_cast<float>(sums[at(p) * max_dims + at(j)] / static_cast<double>(n)) : -0.0f;
  }
  for (std::int32_t u = 1; u <= max_ordinal; ++u) {
    const std::int32_t p = g_claim[static_cast<std::size_t>(u)];
    if (p == 0) continue;
    pager(2);
    put("(  '0SUBJECT WHOSE ORDINAL POSITION IS', I5,   ', WAS NOT FOUND (OR CONTAINED MISSING "
        "DATA) BUT WAS REQUIRED BY OCLUSTER ',A)",
        {u, s.type_names[at(p)]});
  }
  OTPRTM(s.omeans, "OMEANS OF OTYPES");
}

}  // namespace korvex::otype
