// The listings of the iteration passes of OTYPE: the pass heading, the membership table
// (every placed object under its nearest O-type, sorted by D-value, printed in parts of at
// most 1250 objects), the table of member movements, the statistics of the O-types
// (deviations, homogeneity, eta) and the one-line-per-object listing on OOTYPE.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/positioning.hpp"
#include "executive/units.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

namespace {

member_table_record g_members;

std::string num(std::int32_t n) { return int_to_text(n, 3); }

std::size_t cell(std::int32_t j, std::int32_t i) { return at(i) * max_dims + at(j); }

float signed_root(float h) { return std::copysign(std::sqrt(std::fabs(h)), h); }

void clear_entries() {
  g_members.head.fill(0);
  g_members.last.fill(0);
  g_members.count.fill(0);
  g_members.next_free = 1;
}

}  // namespace

member_table_record& member_table() { return g_members; }

std::string PARNUM(std::int32_t number) { return "(" + int_to_text(number, 2) + ")"; }

void OTITHD() {
  pager(5);
  put("( '0' / 48X, 'I T E R A T I O N   I(', I2, ')' / '0')", {state().pass_number});
}

void OTMHDR(std::int32_t mode) {
  otype_state_record& s = state();
  member_table_record& t = g_members;
  if (mode == 1) {
    const std::int32_t kmem = s.c.kmem;
    t.print = (kmem == 0 || (kmem == 2 && (s.pass_number == 1 || s.final_pass == 1))) ? 1 : 0;
    if (t.print == 0) return;
    t.part = 0;
    pager(14);
    put("( '0', 24X, 'OTYPE MEMBERSHIP TABLE')");
    put("( '0', 27X,   'ALL N OBJECTS ARE ASSIGNED TO EACH OTYPE FROM THE PREVIOUS' /28X,  "
        "'ITERATION ACCORDING TO THEIR SMALLEST D-VALUE.')");
    put("( '0', 31X,    'PARENTHESIS ( ) AFTER A D-VALUE IS AN OBJECT THAT HAS BEEN' / 32X,"
        "'REASSIGNED FROM THE PREVIOUS OTYPE GIVEN IN THE PARENTHESIS.')");
    put("( '0', 31X, 'ASTERICK (****) AFTER A D-VALUE IS AN OBJECT NOT IN AN OTYPE' /32X, "
        "'IN THE PREVIOUS ITERATION.')");
    put("( '0', 31X, 'FOUR R\"S (RRRR) AFTER A D-VALUE IS AN OBJECT REJECTED FROM' /32X, "
        "'THE OTYPE BECAUSE ITS D-VALUE EXCEEDS BSTDEV.')");
    clear_entries();
    return;
  }
  if (t.print == 0) return;
  if (mode == 2) {
    const std::int32_t pos = s.nearest;
    const std::int32_t e = t.next_free++;
    member_entry& n = t.entry[static_cast<std::size_t>(e)];
    n.dvalue = s.dvalue;
    n.mark = s.mark;
    n.name = s.cur.name;
    n.ordinal = s.cur.ordinal;
    n.next = 0;
    // Keep the chain in ascending D-value order, a new entry after its equals.
    std::int32_t prev = 0;
    std::int32_t at_e = t.head[at(pos)];
    const std::int32_t last = t.last[at(pos)];
    if (last != 0 && !(n.dvalue < t.entry[static_cast<std::size_t>(last)].dvalue)) {
      prev = last;
      at_e = t.entry[static_cast<std::size_t>(last)].next;
    }
    while (at_e != 0 && t.entry[static_cast<std::size_t>(at_e)].dvalue <= n.dvalue) {
      prev = at_e;
      at_e = t.entry[static_cast<std::size_t>(at_e)].next;
    }
    n.next = at_e;
    if (prev == 0) {
      t.head[at(pos)] = e;
    } else {
      t.entry[static_cast<std::size_t>(prev)].next = e;
    }
    t.last[at(pos)] = e;
    ++t.count[at(pos)];
    if (e == member_capacity) {
      OTMTAB(t.part);
      clear_entries();
    }
    return;
  }
  OTMTAB(t.part);
  clear_entries();
}

void OTMTAB(std::int32_t& part) {
  otype_state_record& s = state();
  member_table_record& t = g_members;
  ++part;
  s.lines = 0;
  std::int32_t w = table_width(38);
  const std::int32_t c = std::max(w / 38, 1);
  const std::int32_t g = c > 1 ? (w - 37 * c - 1) / (c - 1) : 0;
  // With one entry a line there is no gap between entries (a zero count is no layout).
  const std::string gap = g > 0 ? ", " + num(g) + "X" : "";
  const std::string heading = "('0', I7, 2X, A // 1x, " + num(c) + "('  OBJECT  ', " + num(g + 27) +
                              "X) / 1x, " + num(c) + "('  NUM NAME', 16X, ' DISTANCE  '" + gap + "))";
  const std::string row = "(1x, " + num(c) + "(I5, 1X, A, F7.2, A4" + gap + "))";
  for (std::int32_t pos = 1; pos <= s.c.ntypes; ++pos) {
    if (t.count[at(pos)] == 0) continue;
    std::vector<std::int32_t> list;
    for (std::int32_t e = t.head[at(pos)]; e != 0; e = t.entry[static_cast<std::size_t>(e)].next)
      list.push_back(e);
    const auto total = static_cast<std::int32_t>(list.size());
    for (std::int32_t b = 0; b < total; b += 50 * c) {
      const std::int32_t m = std::min(50 * c, total - b);
      const std::int32_t r = std::max(std::min(m, 10), (m + c - 1) / c);
      if (s.lines - r - 3 < 0) {
        ++s.page;
        s.lines = 55;
        put("( '1OTYPE MEMBERSHIP TABLE', 92X, 'PART', I3, ' PAGE', I5)", {part, s.page});
      }
      put(heading, {s.type_num[at(pos)], s.type_names[at(pos)]});
      s.lines -= 3;
      for (std::int32_t i = 0; i < r; ++i) {
        std::vector<io::Value> v;
        for (std::int32_t col = 0; col < c; ++col) {
          const std::int32_t k = col * r + i;
          if (k >= m) break;
          const member_entry& e = t.entry[static_cast<std::size_t>(list[static_cast<std::size_t>(b + k)])];
          v.emplace_back(e.ordinal);
          v.emplace_back(e.name);
          v.emplace_back(e.dvalue);
          v.emplace_back(e.mark);
        }
        put(row, v);
        s.lines -= 1;
      }
      if (s.lines > 1) {
        put("( 1X)");
        s.lines -= 1;
      }
    }
  }
}

void print_pass_counts() {
  otype_state_record& s = state();
  const std::int32_t n = s.c.ntypes;
  pager(n + 10);
  put("(   '0PAST MEMBERS, NEW MEMBERS, LOST MEMBERS, PRESENT MEMBERS, OUTCASTS'/)");
  put("('0', 28X, '  PREVIOUS                       CURRENT' / 1x, 28X, ' ITERATION  ENTERING   "
      "LEAVING ITERATION   REJECTS' / 1X)");
  std::array<std::int32_t, 5> sum{};
  for (std::int32_t i = 1; i <= n; ++i) {
    const std::array<std::int32_t, 5> v = {s.past[at(i)], s.entering[at(i)], s.leaving[at(i)],
                                           s.type_count[at(i)], s.rejects[at(i)]};
    for (std::size_t k = 0; k < 5; ++k) sum[k] += v[k];
    put("( 1X, I6, 2X, A, 5I10)", {s.type_num[at(i)], s.type_names[at(i)], v[0], v[1], v[2], v[3], v[4]});
  }
  put("(1X / 9X, 'TOTAL', 15X, 5I10 / '0')", {sum[0], sum[1], sum[2], sum[3], sum[4]});
}

float type_variance(std::int32_t j, std::int32_t i) {
  const otype_state_record& s = state();
  // The shift of the members' mean from the reference member, from the pass's own sums in
  // double: OMEANS is that mean rounded to single precision, and squaring its rounding
  // against a spread that is small beside the mean would swamp the variance.
  const double n = static_cast<double>(s.type_count[at(i)]);
  const double shift =
      s.type_sums[cell(j, i)] / n - static_cast<double>(s.type_reference[cell(j, i)]);
  return static_cast<float>(s.type_sqdev[cell(j, i)] / n - shift * shift);
}

void OTSTAT() {
  otype_state_record& s = state();
  const control_record& c = s.c;
  if (c.kohom >= 4) return;
  const std::int32_t nt = c.ntypes;
  std::vector<float> sd(static_cast<std::size_t>(max_dims * max_types), -0.0f);
  std::vector<float> hom(sd.size(), -0.0f);
  std::vector<float> raw_h(sd.size(), 0.0f);
  std::vector<float> overall(max_types, -0.0f);
  std::vector<float> eta(max_dims, -0.0f);
  for (std::int32_t i = 1; i <= nt; ++i) {
    const std::int32_t n = s.type_count[at(i)];
    if (n <= 0) continue;
    float num_t = 0.0f;
    float den_t = 0.0f;
    for (std::int32_t j = 1; j <= c.ndim; ++j) {
      const float v = type_variance(j, i);
      sd[cell(j, i)] = std::sqrt(std::max(v, 0.0f));
      const float s2 = s.dim_sd[at(j)] * s.dim_sd[at(j)];
      // A dimension without spread has no homogeneity and no weight.
      if (s2 > 0.0f) {
        const float h = 1.0f - v / s2;
        raw_h[cell(j, i)] = h;
        hom[cell(j, i)] = signed_root(h);
        num_t += s2 * h;
        den_t += s2;
      }
    }
    if (den_t > 0.0f) overall[at(i)] = signed_root(num_t / den_t);
  }
  for (std::int32_t j = 1; j <= c.ndim; ++j) {
    const float s2 = s.dim_sd[at(j)] * s.dim_sd[at(j)];
    if (!(s2 > 0.0f)) continue;
    float num_e = 0.0f;
    std::int32_t den_e = 0;
    for (std::int32_t i = 1; i <= nt; ++i) {
      const std::int32_t n = s.type_count[at(i)];
      if (n <= 0) continue;
      num_e += static_cast<float>(n) * raw_h[cell(j, i)];
      den_e += n;
    }
    if (den_e > 0) eta[at(j)] = signed_root(num_e / static_cast<float>(den_e));
  }
  if (c.kohom <= 1) OTPRTM(sd, "STANDARD DEVIATIONS OF OTYPES");
  if (c.kohom <= 2) OTPRTM(hom, "HOMOGENEITY OF OTYPES");
  pr_vector(overall, s.type_names, nt, 1, 2, "OVERALL HOMOGENEITY OF OTYPES", s.page, s.lines, s.monout);
  pr_vector(eta, s.dim_names, c.ndim, 1, 2, "INDEX OF CORRELATION, ETA", s.page, s.lines, s.monout);
}

void OTMLIN(std::int32_t mode) {
  otype_state_record& s = state();
  const control_record& c = s.c;
  if (c.kotout != 1 || s.final_pass != 1) return;
  switch (mode) {
    case 1:
      s.ootype_layout = "(I6,A" + int_to_text(20, 2) + ",I4,F8.2,A2," + int_to_text(c.ndim, 2) + "F8.2)";
      break;
    case 2: {
      std::vector<io::Value> v;
      v.emplace_back(s.cur.ordinal);
      v.emplace_back(s.cur.name);
      v.emplace_back(s.nearest >= 1 ? s.type_num[at(s.nearest)] : 0);
      v.emplace_back(s.dvalue);
      const std::string mid = s.mark.substr(1, 2);
      v.emplace_back(mid);
      // A value missing in the data storage file is listed as the missing-score value.
      for (std::int32_t j = 1; j <= c.ndim; ++j) {
        const float x = s.cur.profile[at(j)];
        v.emplace_back(std::isnan(x) ? c.amis : x);
      }
      write_formatted(c.ootype, s.ootype_layout, v);
      break;
    }
    default:
      endfile_unit(c.ootype);
      keep_unit_output(c.ootype);
      break;
  }
}

}  // namespace korvex::otype
