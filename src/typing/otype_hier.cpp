// The distances between the O-types and their hierarchical condensation, a merge sequence
// of the closest pair at every step computed on a copy of the O-type tables and only
// reported: the distance triangle, one line group per merge with the new O-type's distances
// to every O-type still available, and the means and counts of the merged O-types.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/utilities.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

namespace {

constexpr std::int32_t max_nodes = 2 * max_types - 1;

struct hier_record {
  std::array<std::string, max_nodes> name;
  std::array<std::int32_t, max_nodes> number{};
  std::array<std::int32_t, max_nodes> count{};
  std::vector<float> mean = std::vector<float>(static_cast<std::size_t>(max_dims * max_nodes), 0.0f);
  std::vector<std::int32_t> node;  // active list: node of each entry
  std::vector<std::int32_t> slot;  // and its slot in the distance matrix
  std::vector<float> dist = std::vector<float>(static_cast<std::size_t>(max_types * max_types), 0.0f);
  std::int32_t k = 1;
};

hier_record g_h;

float& node_mean(std::int32_t j, std::int32_t m) { return g_h.mean[at(m) * max_dims + at(j)]; }
float& slot_dist(std::int32_t a, std::int32_t b) { return g_h.dist[at(b) * max_types + at(a)]; }

float node_distance(std::int32_t a, std::int32_t b) {
  float d = 0.0f;
  for (std::int32_t j = 1; j <= state().c.ndim; ++j) {
    const float x = node_mean(j, a) - node_mean(j, b);
    d += x * x;
  }
  return std::sqrt(d);
}

std::string rjust(const std::string& name) {
  std::string out(name_len, ' ');
  rjust_text(name, out);
  return out;
}

std::string num(std::int32_t n) { return int_to_text(n, 3); }

void page_heading() {
  put("('HIERARCHICAL CONDENSATION OF OTYPES')");
  put("('0', 15X, ' FIRST', 15X, 'SECOND', 15X, '   NEW')");
  put("(' ', 15X, ' OTYPE', 15X, ' OTYPE', 15X, ' OTYPE   D-VALUE OF NEW OTYPE WITH EACH OTYPE "
      "AVAILABLE FOR CONDENSATION')");
}

// Mode 1: the distance triangle and the widths of the merge lines.
void report_start(std::int32_t n) {
  otype_state_record& s = state();
  std::vector<std::string> names(g_h.name.begin(), g_h.name.begin() + n);
  pr_matrix_tri(g_h.dist, names, n, max_types, 1, 2, "EUCLIDEAN DISTANCES BETWEEN OTYPES", s.page,
                s.lines, s.monout);
  s.lines = 0;
  const std::int32_t w = table_width(87);
  g_h.k = std::max((w - 66) / 21, 1);
}

// Mode 2: one merge of the nodes at list entries q (first) and p (second) into node m.
void report_merge(std::int32_t first, std::int32_t second, std::int32_t m, float d) {
  otype_state_record& s = state();
  const std::int32_t k = g_h.k;
  const auto avail = static_cast<std::int32_t>(g_h.node.size());
  const std::int32_t groups = (avail + k - 1) / k;
  if (4 * groups >= s.lines) {
    pager(0);
    page_heading();
    s.lines -= 4;
  }
  const std::int32_t mslot = g_h.slot.back();
  for (std::int32_t f = 0; f < avail; f += k) {
    const std::int32_t l = std::min(f + k, avail);
    std::vector<io::Value> names, numbers, dists;
    std::vector<std::string> keep;
    keep.reserve(static_cast<std::size_t>(l - f + 3));
    if (f == 0) {
      for (std::int32_t x : {first, second, m}) {
        keep.push_back(rjust(g_h.name[at(x)]));
        numbers.emplace_back(g_h.number[at(x)]);
      }
      dists.emplace_back(d);
    }
    for (std::int32_t e = f; e < l; ++e) {
      const std::int32_t x = g_h.node[static_cast<std::size_t>(e)];
      keep.push_back(rjust(g_h.name[at(x)]));
      numbers.emplace_back(g_h.number[at(x)]);
      dists.emplace_back(slot_dist(g_h.slot[static_cast<std::size_t>(e)], mslot));
    }
    for (const std::string& t : keep) names.emplace_back(t);
    if (f == 0) {
      put("('0', 3(1X, A), 2X, " + num(k) + "(1X, A))", names);
      put("(1X, 3(I21), 2x, " + num(k) + "I21)", numbers);
      put("(24X, F10.2, 30X, 2x, " + num(k) + "F21.2)", dists);
    } else {
      put("('0', 65X, " + num(k) + "(1X, A))", names);
      put("(' ', 65X, " + num(k) + "I21)", numbers);
      put("(' ', 65X, " + num(k) + "F21.2)", dists);
    }
    s.lines -= 4;
  }
}

// Mode 3: means and counts of the merged nodes.
void report_end(std::int32_t n) {
  otype_state_record& s = state();
  const std::int32_t merged = n - 1;
  std::vector<float> buf(static_cast<std::size_t>(max_nodes * max_dims), 0.0f);
  std::vector<std::int32_t> rownum, counts;
  std::vector<std::string> rownames;
  for (std::int32_t r = 1; r <= merged; ++r) {
    const std::int32_t m = n + r;
    rownum.push_back(g_h.number[at(m)]);
    rownames.push_back(g_h.name[at(m)]);
    counts.push_back(g_h.count[at(m)]);
    for (std::int32_t j = 1; j <= s.c.ndim; ++j) buf[at(j) * max_nodes + at(r)] = node_mean(j, m);
  }
  pr_matrix_lab(buf, rownum, s.dim_num, rownames, s.dim_names, merged, s.c.ndim, max_nodes, 1, 2,
                "OMEANS OF OTYPES FORMED BY HIERARCHICAL CONDENSATION", s.page, s.lines, s.monout);
  pr_ivector(counts, rownames, merged, "NUMBER OF OBJECTS IN OTYPES FORMED BY HIERARCHICAL CONDENSATION",
             s.page, s.lines, s.monout);
}

}  // namespace

std::string CNNAME(std::int32_t a, std::int32_t b) {
  std::string name = int_to_text(a, 2) + "CN" + int_to_text(b, 2);
  name.resize(name_len, ' ');
  return name;
}

void OTDIST() {
  otype_state_record& s = state();
  const control_record& c = s.c;
  const bool runs = c.khier == 0 || (c.khier == 2 && (s.pass_number == 0 || s.final_pass == 1));
  const std::int32_t n = c.ntypes;
  if (!runs || n < 2) return;
  g_h = hier_record{};
  for (std::int32_t i = 1; i <= n; ++i) {
    g_h.name[at(i)] = s.type_names[at(i)];
    g_h.number[at(i)] = s.type_num[at(i)];
    g_h.count[at(i)] = s.type_count[at(i)];
    for (std::int32_t j = 1; j <= c.ndim; ++j) node_mean(j, i) = omean(j, i);
    g_h.node.push_back(i);
    g_h.slot.push_back(i);
  }
  for (std::int32_t a = 1; a <= n; ++a)
    for (std::int32_t b = 1; b <= n; ++b) slot_dist(a, b) = a == b ? 0.0f : node_distance(a, b);
  report_start(n);
  std::int32_t counter = c.maxnum;
  for (std::int32_t m = n + 1; m <= 2 * n - 1; ++m) {
    // The closest pair of active entries, the first in scan order on ties.
    const auto na = static_cast<std::int32_t>(g_h.node.size());
    std::int32_t p = 2, q = 1;
    float best = slot_dist(g_h.slot[1], g_h.slot[0]);
    for (std::int32_t r = 2; r <= na; ++r)
      for (std::int32_t t = 1; t < r; ++t) {
        const float d = slot_dist(g_h.slot[at(r)], g_h.slot[at(t)]);
        if (d < best) {
          best = d;
          p = r;
          q = t;
        }
      }
    const std::int32_t a = g_h.node[at(p)];
    const std::int32_t b = g_h.node[at(q)];
    g_h.name[at(m)] = CNNAME(g_h.number[at(b)], g_h.number[at(a)]);
    g_h.number[at(m)] = ++counter;
    const std::int32_t ca = g_h.count[at(a)];
    const std::int32_t cb = g_h.count[at(b)];
    g_h.count[at(m)] = ca + cb;
    // Two nodes without members merge into their plain mean.
    for (std::int32_t j = 1; j <= c.ndim; ++j)
      node_mean(j, m) = merged_mean(node_mean(j, a), ca, node_mean(j, b), cb);
    const std::int32_t qslot = g_h.slot[at(q)];
    std::vector<std::int32_t> nodes, slots;
    for (std::int32_t e = 1; e <= na; ++e) {
      if (e == p || e == q) continue;
      nodes.push_back(g_h.node[at(e)]);
      slots.push_back(g_h.slot[at(e)]);
    }
    nodes.push_back(m);
    slots.push_back(qslot);
    g_h.node = nodes;
    g_h.slot = slots;
    for (std::size_t e = 0; e < g_h.node.size(); ++e) {
      const float d = g_h.node[e] == m ? 0.0f : node_distance(m, g_h.node[e]);
      slot_dist(qslot, g_h.slot[e]) = d;
      slot_dist(g_h.slot[e], qslot) = d;
    }
    report_merge(b, a, m, best);
  }
  report_end(n);
}

}  // namespace korvex::otype
