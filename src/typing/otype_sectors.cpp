// The sector phase of OTYPE: every dimension is cut into partitions (equal ones over the
// mean plus and minus three deviations, or the analyst's cut points), each complete object
// is counted into its sector of the profile space, and the occupied sectors are kept in a
// pool of nodes that forms a search tree while counting and a sorted list afterwards.
#include <algorithm>
#include <array>
#include <bit>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "io/layout.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

namespace {

constexpr std::int64_t cell_limit = 1073741824;  // 2^30

partition_record g_parts;
pool_record g_pool;

// Cut points of one "(9a8)" card: its leading non-blank fields.
std::int32_t read_cut_card(std::int32_t d) {
  const control_record& c = state().c;
  std::string card;
  if (!read_record(c.monin, card)) iostat_error(-1);
  std::array<std::string, 9> f;
  std::vector<io::Target> t;
  for (auto& x : f) t.emplace_back(&x, 8);
  io::read_text("(9a8)", card, t);
  std::int32_t n = 0;
  for (const std::string& x : f) {
    if (x.find_first_not_of(' ') == std::string::npos) break;
    float v = 0.0f;
    field_real(x, v, 0.0f);
    ++n;
    cut_point(n, d) = v;
  }
  return n;
}

// Cut points of equal partitions between mean - 3 SD and mean + 3 SD.
void equal_partitions(std::int32_t d) {
  const otype_state_record& s = state();
  const std::int32_t n = g_parts.cut_count[at(d)];
  const float m = s.dim_mean[at(d)];
  const float sd = s.dim_sd[at(d)];
  const float step = (sd * 6.0f) / static_cast<float>(2 * n + 2);
  for (std::int32_t k = 1; k <= n; ++k)
    cut_point(k, d) = static_cast<float>(2 * k - 1 - n) * step + m;
}

void set_word_real(std::int32_t w, float x) { g_pool.word[static_cast<std::size_t>(w)] = std::bit_cast<std::int32_t>(x); }

std::int32_t& W(std::int32_t w) { return g_pool.word[static_cast<std::size_t>(w)]; }

// Creates a node at the next free word for the current object.
void new_node(std::int32_t key) {
  const otype_state_record& s = state();
  const std::int32_t f = g_pool.next_free;
  W(f) = key;
  W(f + 1) = 1;
  W(f + 2) = 0;
  W(f + 3) = 0;
  for (std::int32_t j = 1; j <= s.c.ndim; ++j) {
    const float x = s.cur.profile[at(j)];
    set_word_real(f + 3 + j, x);
    g_pool.sums[static_cast<std::size_t>(f + 3 + j)] = static_cast<double>(x);
  }
  g_pool.next_free = f + 4 + s.c.ndim;
  if (g_pool.next_free > g_pool.last_start) g_pool.full = true;
}

void report_full(std::int32_t key) {
  const otype_state_record& s = state();
  std::string label(static_cast<std::size_t>(s.c.ndim), ' ');
  SECNAM(label, key);
  pager(2);
  put("('0FULL - SECTOR ', A, ' WAS NOT INCLUDED. SUBJECT ', A, ', ORD POS. ', I5, "
      "' DEFINED SECTOR.')",
      {label, s.cur.name, s.cur.ordinal});
}

// The nodes of the subtree rooted at p, in ascending key order.
void in_order(std::int32_t p, std::vector<std::int32_t>& out) {
  std::vector<std::int32_t> stack;
  while (p != 0 || !stack.empty()) {
    while (p != 0) {
      stack.push_back(p);
      p = W(p + 2);
    }
    p = stack.back();
    stack.pop_back();
    out.push_back(p);
    p = W(p + 3);
  }
}

}  // namespace

partition_record& partitions() { return g_parts; }
pool_record& pool() { return g_pool; }
float pool_real(std::int32_t w) { return std::bit_cast<float>(W(w)); }

void OTPCRD() {
  const otype_state_record& s = state();
  const control_record& c = s.c;
  const std::int32_t ndim = c.ndim;
  g_parts = partition_record{};
  switch (c.kpart) {
    case 1:
      for (std::int32_t d = 1; d <= ndim; ++d) {
        g_parts.cut_count[at(d)] = c.nparts;
        equal_partitions(d);
      }
      break;
    case 2: {
      const std::int32_t n = read_cut_card(1);
      if (n == 0) proc_error("NUMBER OF PARTITIONS IS TOO LARGE OR TOO SMALL.");
      for (std::int32_t d = 1; d <= ndim; ++d) {
        g_parts.cut_count[at(d)] = n;
        for (std::int32_t k = 1; k <= n; ++k) cut_point(k, d) = cut_point(k, 1);
      }
      break;
    }
    case 3: {
      std::vector<io::Target> t;
      for (std::int32_t d = 1; d <= ndim; ++d) t.emplace_back(&g_parts.cut_count[at(d)]);
      const io::RecordSource next = [&]() -> std::optional<std::string> {
        std::string card;
        if (!read_record(c.monin, card)) return std::nullopt;
        return card;
      };
      if (!io::Layout::get("( 18I4)").read(next, t)) iostat_error(-1);
      bool bad = false;
      for (std::int32_t d = 1; d <= ndim; ++d) {
        const std::int32_t n = g_parts.cut_count[at(d)];
        if (!int_in_range(n, 1, 9)) {
          bad = true;
          pager(2);
          put("( '0THE NUMBER OF PARTITIONS..',I4, ', FOR DIMENSION', I4, ' IS LESS THAN ONE OR "
              "GREATER THAN', I4)",
              {n, d, 9});
        }
      }
      if (bad) proc_error("NUMBER OF PARTITIONS IS TOO LARGE OR TOO SMALL.");
      for (std::int32_t d = 1; d <= ndim; ++d) equal_partitions(d);
      break;
    }
    default:
      for (std::int32_t d = 1; d <= ndim; ++d) {
        const std::int32_t n = read_cut_card(d);
        if (n == 0) proc_error("BAD PARTITION CARD.");
        g_parts.cut_count[at(d)] = n;
      }
      break;
  }
  for (std::int32_t d = 1; d <= ndim; ++d) g_parts.part_count[at(d)] = g_parts.cut_count[at(d)] + 1;
  std::int32_t overflow = 0;
  SECPLV(g_parts.part_count, g_parts.place_value, ndim, overflow);
  if (overflow != 0) proc_error("TOO MANY CELLS FOR MACHINE WORD LENGTH");
}

void SECPLV(std::span<const std::int32_t> part_count, std::span<std::int32_t> place_value,
            std::int32_t ndim, std::int32_t& overflow) {
  overflow = 0;
  std::int64_t product = 1;
  for (std::int32_t d = ndim; d >= 1; --d) {
    place_value[at(d)] = static_cast<std::int32_t>(product);
    product *= part_count[at(d)];
    if (product > cell_limit) {
      overflow = 1;
      return;
    }
  }
}

std::int32_t SECNUM(std::span<const std::int32_t> place_value,
                    std::span<const std::int32_t> part_index, std::int32_t ndim) {
  std::int32_t sector = 0;
  for (std::int32_t d = 1; d <= ndim; ++d) sector += part_index[at(d)] * place_value[at(d)];
  return sector;
}

void SECDEC(std::span<std::int32_t> part_index, std::span<const std::int32_t> place_value,
            std::int32_t ndim, std::int32_t sector) {
  std::int32_t rest = sector;
  for (std::int32_t d = 1; d <= ndim; ++d) {
    const std::int32_t pv = std::max(place_value[at(d)], 1);
    part_index[at(d)] = rest / pv;
    rest -= part_index[at(d)] * pv;
  }
}

char SECDIG(std::int32_t index) {
  return (index >= 0 && index <= 9) ? static_cast<char>('0' + index) : '*';
}

void SECNAM(std::string& text, std::int32_t sector) {
  const std::int32_t ndim = state().c.ndim;
  SECDEC(g_parts.part_index, g_parts.place_value, ndim, sector);
  const std::int32_t w = static_cast<std::int32_t>(text.size());
  for (std::int32_t d = 1; d <= ndim; ++d) {
    const std::int32_t pos = w - ndim + d;  // 1-based column of dimension d
    if (pos >= 1) text[at(pos)] = SECDIG(g_parts.part_index[at(d)]);
  }
}

void SECCEL() {
  otype_state_record& s = state();
  for (std::int32_t d = 1; d <= s.c.ndim; ++d) {
    const float x = s.cur.profile[at(d)];
    std::int32_t lo = 0;
    std::int32_t hi = g_parts.part_count[at(d)];
    while (hi - lo > 1) {
      const std::int32_t mid = (lo + hi) / 2;
      const float cut = cut_point(mid, d);
      if (cut > x) {
        hi = mid;
      } else if (x > cut) {
        lo = mid;
      } else {
        // On a cut point: the partition on the far side from the mean.
        lo = x >= s.dim_mean[at(d)] ? mid : mid - 1;
        break;
      }
    }
    g_parts.part_index[at(d)] = lo;
  }
  s.cur.type = SECNUM(g_parts.place_value, g_parts.part_index, s.c.ndim);
}

void OTFULL(std::int32_t mode) {
  const otype_state_record& s = state();
  const std::int32_t ndim = s.c.ndim;
  if (mode == 0) {
    W(3) = 0;
    W(4) = 0;
    g_pool.next_free = 1;
    g_pool.last_start = 9497 - ndim;
    g_pool.first = true;
    g_pool.full = false;
    g_pool.head = 0;
    g_pool.occupied = 0;
    return;
  }
  const std::int32_t key = s.cur.type;
  if (g_pool.first) {
    g_pool.first = false;
    new_node(key);
    return;
  }
  std::int32_t p = 1;
  for (;;) {
    if (W(p) == key) {
      W(p + 1) += 1;
      for (std::int32_t j = 1; j <= ndim; ++j) {
        const float x = s.cur.profile[at(j)];
        g_pool.sums[static_cast<std::size_t>(p + 3 + j)] += static_cast<double>(x);
      }
      return;
    }
    const std::int32_t link = key < W(p) ? p + 2 : p + 3;
    if (W(link) != 0) {
      p = W(link);
      continue;
    }
    if (g_pool.full) {
      report_full(key);
      return;
    }
    W(link) = g_pool.next_free;
    new_node(key);
    return;
  }
}

void SECSRT() {
  const std::int32_t ndim = state().c.ndim;
  std::vector<std::int32_t> nodes;
  if (!g_pool.first) in_order(1, nodes);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const std::int32_t p = nodes[i];
    W(p + 2) = 0;
    W(p + 3) = i + 1 < nodes.size() ? nodes[i + 1] : 0;
    const double n = static_cast<double>(W(p + 1));
    for (std::int32_t j = 1; j <= ndim; ++j)
      set_word_real(p + 3 + j, static_cast<float>(g_pool.sums[static_cast<std::size_t>(p + 3 + j)] / n));
  }
  g_pool.head = nodes.empty() ? 0 : nodes.front();
  g_pool.occupied = static_cast<std::int32_t>(nodes.size());
}

void SECLST(std::int32_t threshold, std::int32_t& n, std::int32_t& next, std::int32_t& above) {
  n = 0;
  above = 0;
  std::int32_t smallest = 0;
  std::int32_t prev = 0;
  for (std::int32_t p = g_pool.head; p != 0;) {
    const std::int32_t after = W(p + 3);
    const std::int32_t count = W(p + 1);
    if (count < threshold) {
      if (prev == 0) {
        g_pool.head = after;
      } else {
        W(prev + 3) = after;
      }
    } else {
      ++n;
      if (count > threshold) {
        ++above;
        if (smallest == 0 || count < smallest) smallest = count;
      }
      prev = p;
    }
    p = after;
  }
  if (above > 0) next = smallest;
}

// Keeps the max_types nodes of the list with the most objects (ties to the lower sector),
// still in ascending sector order.
void keep_fullest() {
  std::vector<std::int32_t> nodes;
  for (std::int32_t p = g_pool.head; p != 0; p = W(p + 3)) nodes.push_back(p);
  std::vector<std::int32_t> by_count = nodes;
  std::stable_sort(by_count.begin(), by_count.end(),
                   [](std::int32_t a, std::int32_t b) { return W(a + 1) > W(b + 1); });
  if (by_count.size() > static_cast<std::size_t>(max_types)) by_count.resize(max_types);
  std::vector<std::int32_t> kept;
  for (std::int32_t p : nodes)
    if (std::find(by_count.begin(), by_count.end(), p) != by_count.end()) kept.push_back(p);
  g_pool.head = kept.empty() ? 0 : kept.front();
  for (std::size_t i = 0; i < kept.size(); ++i)
    W(kept[i] + 3) = i + 1 < kept.size() ? kept[i + 1] : 0;
}

void OTPART() {
  otype_state_record& s = state();
  OTINPT();
  OTPCRD();
  OTSCRF(1);
  OTFULL(0);
  for (;;) {
    OTNEXT();
    if (s.cur.more == 0) break;
    if (s.cur.missing == 0) {
      SECCEL();
      OTFULL(1);
    } else {
      s.cur.type = 0;
    }
    OTSCRF(2);
  }
  OTSCRF(3);
  SECSRT();
  OTARBP();
  OTCORE();
  s.c.ipart = 3;
}

}  // namespace korvex::otype
