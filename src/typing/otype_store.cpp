// The outputs of OTYPE: the deck of O-type means punched on MONPUN for the starting and the
// final O-types, and the stored result: OMEAN1 (the mean profile of every O-type) and
// OTYPE1 (the ordinals of the member objects of every O-type, in input order).
#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "printing/page.hpp"
#include "storage/storage.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

namespace {

constexpr std::int32_t ordinals_per_record = 999;

// A 2-character field of the date and time block, its zero bytes as blanks (the block is
// filled by nothing, and a card deck holds plain text).
std::string date_field(const char (&f)[2]) {
  std::string out(f, 2);
  for (char& ch : out)
    if (ch == '\0') ch = ' ';
  return out;
}

}  // namespace

void OTPUNM() {
  otype_state_record& s = state();
  const control_record& c = s.c;
  if (c.kpunch == 0) return;
  if (!(s.pass_number == 0 || s.final_pass == 1)) return;
  const date_time_block_record& dt = date_time_block();
  write_formatted(c.monpun, "( 'OMEAN1 FILE, T..', F7.2, ' D..' A2, '/', A2, '/', A2)",
                  {0.0f, date_field(dt.month), date_field(dt.day), date_field(dt.year)});
  for (std::int32_t i = 1; i <= c.ntypes; ++i) {
    std::int32_t card = 0;
    for (std::int32_t f = 1; f <= c.ndim; f += 9) {
      const std::int32_t k = std::min(f + 8, c.ndim) - f + 1;
      std::string fmt = "(9F8.4,72X,A6,2H00)";
      fmt.resize(36, ' ');
      fmt[1] = static_cast<char>('0' + k);
      fmt.replace(7, 4, k == 9 ? std::string(4, ' ') : int_to_text(72 - 8 * k, 2) + "X,");
      std::string number = int_to_text(card, 2);
      if (number[0] == '0') number[0] = ' ';
      fmt.replace(16, 2, number);
      std::vector<io::Value> v;
      for (std::int32_t j = f; j < f + k; ++j) v.emplace_back(omean(j, i));
      v.emplace_back(s.type_names[at(i)]);
      write_formatted(c.monpun, fmt, v);
      ++card;
    }
  }
  // A complete deck survives a later stop.
  keep_unit_output(c.monpun);
}

void WRAPUP() {
  otype_state_record& s = state();
  control_record& c = s.c;
  const std::int32_t nt = c.ntypes;
  Kpar kpar{5, c.ndim, nt, 999, 2, 2};
  std::int32_t notfound = 0;
  std::vector<std::string> names(s.dim_names.begin(), s.dim_names.begin() + c.ndim);
  std::vector<std::int32_t> order(s.dim_num.begin(), s.dim_num.begin() + c.ndim);
  MXFIL1(1, "OMEAN1", notfound, kpar, names, order);
  std::vector<float> row(static_cast<std::size_t>(c.ndim));
  for (std::int32_t i = 1; i <= nt; ++i) {
    for (std::int32_t j = 1; j <= c.ndim; ++j) row[at(j)] = omean(j, i);
    std::string name = s.type_names[at(i)];
    std::int32_t number = s.type_num[at(i)];
    MXFIL3(row, name, number);
  }

  s.type_position.fill(0);
  for (std::int32_t i = 1; i <= nt; ++i) {
    const std::int32_t num = s.type_num[at(i)];
    if (num >= 1 && num <= max_types) s.type_position[at(num)] = i;
  }
  std::vector<std::vector<std::int32_t>> members(static_cast<std::size_t>(std::max(nt, 1)));
  std::unordered_set<std::int32_t> seen;
  // Without any pass the objects still come from their score entry, which OMEAN1 has just
  // moved the ISF away from.
  restart_score_input();
  for (;;) {
    OTNEXT();
    if (s.cur.more == 0) break;
    if (!seen.insert(s.cur.ordinal).second) proc_error("WRAPUP BUG.");
    const std::int32_t t = s.cur.type;
    if (t == 0) continue;
    const std::int32_t p = (t >= 1 && t <= max_types) ? s.type_position[at(t)] : 0;
    if (p == 0) proc_error("WRAPUP BUG.");
    members[at(p)].push_back(s.cur.ordinal);
  }
  for (std::int32_t i = 1; i <= nt; ++i)
    if (static_cast<std::int32_t>(members[at(i)].size()) != s.type_count[at(i)])
      proc_error("COUNT WRONG.");

  Kpar okpar{2, nt, ordinals_per_record};
  std::vector<std::int32_t> counts(s.type_count.begin(), s.type_count.begin() + nt);
  std::vector<std::string> tnames(s.type_names.begin(), s.type_names.begin() + nt);
  std::vector<std::int32_t> numbers(s.type_num.begin(), s.type_num.begin() + nt);
  OXFIL1("OTYPE1", 1, okpar, notfound, counts, tnames, numbers);
  for (std::int32_t i = 1; i <= nt; ++i) {
    std::vector<std::int32_t>& m = members[at(i)];
    for (std::size_t first = 0; first < m.size(); first += ordinals_per_record) {
      std::int32_t n = static_cast<std::int32_t>(std::min<std::size_t>(ordinals_per_record, m.size() - first));
      isf_rwreci(1, n, std::span<std::int32_t>(m.data() + first, static_cast<std::size_t>(n)));
    }
  }
  isf_filfin(1);
}

}  // namespace korvex::otype
