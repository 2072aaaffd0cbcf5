// The expanded cluster structure of CSA2: every variable above the communality limit joins
// the cluster of its highest oblique coefficient; each cluster block shows the A-reliability
// of its definers, LBFC and per member the B- and cumulative C-reliabilities; then the
// excluded variables and, on request, the correlation matrix reordered cluster by cluster.
#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/layout.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "structure/csa2_internal.hpp"

namespace korvex::csa2 {

namespace {

// A member list threaded through the shared link array.
struct thread_list {
  std::int32_t head = 0;
  std::int32_t tail = 0;
  std::int32_t count = 0;
};

// Appends item to the list.
void ENTHRD(std::vector<std::int32_t>& next, thread_list& l, std::int32_t item) {
  if (l.count == 0) {
    l.head = item;
  } else {
    next[at(l.tail)] = item;
  }
  l.tail = item;
  next[at(item)] = 0;
  l.count += 1;
}

// The items of the list in insertion order.
std::vector<std::int32_t> UNTHRD(const std::vector<std::int32_t>& next, const thread_list& l) {
  std::vector<std::int32_t> out;
  if (l.count == 0) return out;
  for (std::int32_t v = l.head;; v = next[at(v)]) {
    out.push_back(v);
    if (v == l.tail || out.size() > next.size()) break;
  }
  return out;
}

// The row layouts of the cluster blocks and of the excluded-variable list.
struct row_layouts {
  std::string nondefiner;
  std::string definer;
  std::string excluded;
  std::int32_t a = 0;  // entries per block of the excluded list
  std::int32_t b = 0;  // rows per block
};

// FMTECS. With one entry to a line the excluded rows carry no gap item (its width would
// divide by k - 1 = 0).
row_layouts FMTECS(state& s) {
  const std::int32_t nmax = std::max(1, max_len_trim(s.varnam, s.nv));
  row_layouts f;
  f.nondefiner = "(NNX,I5,5X,ANN,5F15.3,3X,\"(\",I3,\")\")";
  int_to_text(21 - nmax, std::span<char>(f.nondefiner).subspan(1, 2));
  int_to_text(nmax, std::span<char>(f.nondefiner).subspan(12, 2));
  f.definer = "(NNX,I5,\" (D) \",ANN,3F15.3)";
  int_to_text(21 - nmax, std::span<char>(f.definer).subspan(1, 2));
  int_to_text(nmax, std::span<char>(f.definer).subspan(17, 2));
  const std::int32_t width = s.ncline + 1;
  const std::int32_t k = std::clamp(width / (nmax + 8), 1, 99);
  if (k == 1) {
    f.excluded = "(1X,01(I4,2X,ANN))";
    int_to_text(nmax, std::span<char>(f.excluded).subspan(14, 2));
  } else {
    const std::int32_t g = std::min((width - (nmax + 8) * k) / (k - 1) + 2, 99);
    f.excluded = "(1X,NN(I4,2X,ANN,:,NNX))";
    int_to_text(k, std::span<char>(f.excluded).subspan(4, 2));
    int_to_text(nmax, std::span<char>(f.excluded).subspan(14, 2));
    int_to_text(g, std::span<char>(f.excluded).subspan(19, 2));
  }
  f.b = rows_per_block(4);
  f.a = f.b * k;
  return f;
}

// HDRECS: the heading page and its legend.
void HDRECS(state& s) {
  pager(s, 0);
  pager(s, -2);
  pager(s, 3);
  line(s, 0, "EXPANDED CLUSTER STRUCTURE");
  line(s, 0, "(OBLIQUE UNIFACTOR STRUCTURE)");
  line(s, 0, "(CLUR)");
  pager(s, -2);
  const std::string hb(1, hard_blank);
  line(s, -1, io::format_line("(a1,A)", {hb, "(D) DENOTES A DEFINING VARIABLE"}));
  line(s, -1,
       "NONDEFINING VARIABLES ARE ASSIGNED TO A CLUSTER BY THEIR HIGHEST OBLIQUE FACTOR "
       "COEFFICIENTS");
  pager(s, -1);
  line(s, -1,
       "A-RELIABILITY = RELIABILITY COEFFICIENT OF CLUSTER SCORE ON FULL SET OF DEFINING "
       "VARIABLES");
  line(s, -1,
       "B-RELIABILITY = RELIABILITY COEFFICIENT FOR EXPANDED CLUSTER SCORES OF DEFINERS PLUS A "
       "SINGLE NONDEFINER");
  line(s, -1,
       "C-RELIABILITY = CUMULATIVE RELIABILITY COEFFICIENT OF EXPANDED CLUSTER SCORE FOR "
       "DEFINERS PLUS NONDEFINERS");
  std::vector<io::Value> v;
  for (int i = 0; i < 17; ++i) v.emplace_back(std::string_view(hb));
  v.emplace_back("ADDED BY THE SIZE OF THEIR B-RELIABILITY (NUMBER IN () INDICATES ORDER OF "
                 "ADDITION)");
  line(s, -1, io::format("(17A1,A)", v).front());
  line(s, -1,
       io::format_line("(A,10X,A)", {"LBFC", "= LOWER BOUND OF FACTOR COEFFICIENT THAT "
                                             "(THEORETICALLY) MAXIMIZES THE C-RELIABILITY "}));
  pager(s, -1);
  line(s, -1,
       io::format_line("(A,9X,A)", {"NOTE..", "AVERAGE R WITH DEFINERS IS COMPUTED WITH "
                                               "COMMUNALITIES IN THE DIAGONALS."}));
}

// HDRCLU: the heading of one cluster block. The nine lines it writes are all counted (four,
// then five), so the page ends at its length; the check for nine lines keeps the heading on
// one page, so neither count ever breaks the page inside it.
void HDRCLU(state& s, std::int32_t c, float lbfc, float arel) {
  new_page_if_short(9, s.page, s.lines, s.monout);
  const std::int32_t u = s.monout;
  pager(s, 4);
  write_formatted(u, "(1X)");
  write_formatted(u, "(A,I3)", {"  VARIABLES IN OBLIQUE CLUSTER  ", c});
  write_formatted(u, "(1X)");
  write_formatted(u, "(28X,A,6X,F7.4,33X,A,5X,F7.4)", {"LBFC=", lbfc, "A-RELIABILITY =", arel});
  pager(s, 5);
  write_formatted(u, "(78X,\"(DEFINERS ONLY)\")");
  write_formatted(u, "(1X)");
  write_formatted(u, "(24X,A8,8x,A7,4X,A11,6X,A9,2X,A13,2x,A13)",
                  {"VARIABLE", "OBLIQUE", "COMMUNALITY", "AVERAGE R", "B-RELIABILITY",
                   "C-RELIABILITY"});
  write_formatted(u, "(40X,A,22X,A,7X,A,7X,A)", {"FACTOR", "WITH", "VARIABLE", "VARIABLES"});
  write_formatted(u, "(40X,A11,17X,A8,3X,A12,3X,A18)",
                  {"COEFFICIENT", "DEFINERS", "ADDED SINGLY", "ADDED CUMULATIVELY"});
}

// The reliabilities of one cluster and its members' order.
struct cluster_block {
  std::vector<std::int32_t> mord;    // members by descending |RVD|
  std::vector<bool> is_definer;      // by variable, for this cluster
  float arel = 0.0f;
  float lbfc = 0.0f;
};

// Per-variable work lists of the expanded structure.
struct work_lists {
  std::vector<float> avgr, brel, crel;
  std::vector<std::int32_t> ordadd;
};

// PRECSR: rows first..last of the cluster in member order.
void PRECSR(state& s, std::int32_t c, const cluster_block& blk, const work_lists& w,
            const row_layouts& f, std::int32_t first, std::int32_t last) {
  pager(s, -1);
  for (std::int32_t i = first; i <= last; ++i) {
    const std::int32_t v = blk.mord[at(i)];
    pager(s, 1);
    if (blk.is_definer[at(v)]) {
      write_formatted(s.monout, f.definer,
                      {s.varnum[at(v)], s.varnam[at(v)], s.RVD(v, c), s.comm[at(v)],
                       w.avgr[at(v)]});
    } else {
      write_formatted(s.monout, f.nondefiner,
                      {s.varnum[at(v)], s.varnam[at(v)], s.RVD(v, c), s.comm[at(v)],
                       w.avgr[at(v)], w.brel[at(v)], w.crel[at(v)], w.ordadd[at(v)]});
    }
  }
}

float sg(state& s, std::int32_t v, std::int32_t c) { return s.RVD(v, c) >= 0.0f ? 1.0f : -1.0f; }

// Members, A-reliability, LBFC and the B- and C-reliabilities of cluster c. Nondefiners
// enter the C-reliability in the order of the descending sort of the whole B-reliability
// vector, keeping only the nondefining members of this cluster.
cluster_block reliabilities(state& s, std::int32_t c, const std::vector<std::int32_t>& list,
                            work_lists& w) {
  const std::int32_t nv = s.nv;
  const std::int32_t n = s.ircnt[at(c)];
  cluster_block blk;
  blk.is_definer.assign(at(nv) + 1, false);
  std::vector<std::int32_t> d(at(n) + 1);
  for (std::int32_t j = 1; j <= n; ++j) {
    const std::int32_t v = s.IR(j, c);
    d[at(j)] = v < 0 ? -v : v;
    blk.is_definer[at(d[at(j)])] = true;
  }
  std::vector<std::int32_t> lmem = list;
  for (std::int32_t j = 1; j <= n; ++j) {
    const std::int32_t nc = static_cast<std::int32_t>(lmem.size());
    if (find_int(lmem, nc, d[at(j)]) > nc) lmem.push_back(d[at(j)]);
  }
  const std::int32_t nc = static_cast<std::int32_t>(lmem.size());
  if (nc >= 2) {
    std::vector<float> key(at(nc) + 1), sorted(at(nc) + 1);
    std::vector<std::int32_t> idx(at(nc) + 1);
    for (std::int32_t i = 1; i <= nc; ++i) key[at(i)] = std::fabs(s.RVD(lmem[at(i)], c));
    sort_desc_index(key, sorted, idx, nc);
    for (std::int32_t i = 1; i <= nc; ++i) blk.mord.push_back(lmem[at(idx[at(i)])]);
  } else {
    blk.mord = lmem;
  }

  float sdom = 0.0f, s2 = 0.0f, p = 0.0f;
  for (std::int32_t j = 1; j <= n; ++j) {
    sdom += std::fabs(s.RVD(d[at(j)], c));
    s2 += s.A(d[at(j)], d[at(j)]);
  }
  for (std::int32_t j = 1; j <= n; ++j) {
    for (std::int32_t k = j + 1; k <= n; ++k) {
      p += sg(s, d[at(j)], c) * sg(s, d[at(k)], c) * s.A(d[at(j)], d[at(k)]);
    }
  }
  blk.arel = safe_div(2.0f * p + s2, 2.0f * p + static_cast<float>(n));

  std::fill(w.brel.begin(), w.brel.end(), 0.0f);
  std::fill(w.crel.begin(), w.crel.end(), 0.0f);
  std::int32_t m = 0;
  for (const std::int32_t v : blk.mord) {
    const float y = std::fabs(s.RVD(v, c));
    w.avgr[at(v)] = (sdom / static_cast<float>(n)) * y;
    if (!blk.is_definer[at(v)]) {
      const float q = 2.0f * y * sdom + sdom * sdom;
      w.brel[at(v)] = safe_div(q + s.A(v, v), (static_cast<float>(n) - s2) + 1.0f + q);
      ++m;
    }
  }

  if (m > 0) {
    std::vector<float> sorted(at(nv) + 1);
    std::vector<std::int32_t> idx(at(nv) + 1);
    sort_desc_index(w.brel, sorted, idx, nv);
    std::vector<bool> member(at(nv) + 1, false);
    for (const std::int32_t v : blk.mord) member[at(v)] = !blk.is_definer[at(v)];
    std::vector<std::int32_t> current(d);
    float num = 2.0f * p + s2;
    float den = 2.0f * p + static_cast<float>(n);
    std::int32_t t = 0;
    for (std::int32_t i = 1; i <= nv; ++i) {
      const std::int32_t v = idx[at(i)];
      if (!member[at(v)]) continue;
      w.ordadd[at(v)] = ++t;
      float r = 0.0f;
      for (const std::int32_t u : current) r += sg(s, u, c) * sg(s, v, c) * s.A(v, u);
      current.push_back(v);
      num = num + s.A(v, v) + 2.0f * r;
      den = den + 1.0f + 2.0f * r;
      w.crel[at(v)] = safe_div(num, den);
    }
  }

  const float one_minus = 1.0f - blk.arel;
  blk.lbfc = safe_sqrt(sdom * sdom * one_minus * one_minus + blk.arel) - one_minus * sdom;
  return blk;
}

// The excluded variables in blocks of a entries, b rows to a block, entries down the rows.
void print_excluded(state& s, const std::vector<std::int32_t>& excl, const row_layouts& f) {
  const std::int32_t count = static_cast<std::int32_t>(excl.size());
  for (std::int32_t first = 1; first <= count; first += f.a) {
    const std::int32_t in_block = std::min(f.a, count - first + 1);
    pager(s, std::min(in_block, f.b) + 3);
    write_formatted(s.monout, "(1X)");
    write_formatted(s.monout, "(1X,A,F6.4)",
                    {" VARIABLES EXCLUDED BECAUSE OF COMMUNALITIES BELOW ", s.hlimit});
    write_formatted(s.monout, "(1X)");
    for (std::int32_t r = 1; r <= std::min(in_block, f.b); ++r) {
      std::vector<io::Value> values;
      for (std::int32_t e = r; e <= in_block; e += f.b) {
        const std::int32_t v = excl[at(first + e - 1)];
        values.emplace_back(s.varnum[at(v)]);
        values.emplace_back(s.varnam[at(v)]);
      }
      write_formatted(s.monout, f.excluded, values);
    }
  }
}

}  // namespace

void EXPCLS(state& s) {
  const std::int32_t nv = s.nv;
  const std::int32_t ncl = s.ncl;
  const row_layouts f = FMTECS(s);
  HDRECS(s);

  // Assignment to the cluster of the highest |coefficient| (the lowest cluster on ties).
  std::vector<std::int32_t> next(at(nv) + 1, 0);
  std::vector<thread_list> lists(at(ncl) + 1);
  thread_list excluded;
  std::vector<float> absr(at(ncl) + 1);
  for (std::int32_t v = 1; v <= nv; ++v) {
    if (s.comm[at(v)] <= s.hlimit) {
      ENTHRD(next, excluded, v);
      continue;
    }
    for (std::int32_t c = 1; c <= ncl; ++c) absr[at(c)] = std::fabs(s.RVD(v, c));
    float vmax = 0.0f;
    std::int32_t cmax = 1;
    vec_max_index(absr, ncl, vmax, cmax);
    ENTHRD(next, lists[at(cmax)], v);
  }
  if (excluded.count == nv) {
    pager(s, -2);
    write_formatted(s.monout,
                    "(\"   ALL VARIABLES WERE EXCLUDED BECAUSE THEIR COMMUNALITY WAS BELOW THE "
                    "LOWER LIMIT\" ,F10.8)",
                    {s.hlimit});
    QUIT(10009);
  }

  work_lists w;
  w.avgr.assign(at(nv) + 1, 0.0f);
  w.brel.assign(at(nv) + 1, 0.0f);
  w.crel.assign(at(nv) + 1, 0.0f);
  w.ordadd.assign(at(nv) + 1, 0);
  std::vector<std::int32_t> zlist;
  for (std::int32_t c = 1; c <= ncl; ++c) {
    const cluster_block blk = reliabilities(s, c, UNTHRD(next, lists[at(c)]), w);
    HDRCLU(s, c, blk.lbfc, blk.arel);
    const std::int32_t nc = static_cast<std::int32_t>(blk.mord.size());
    if (s.ktitle == 1) {
      std::vector<member_row> members;
      for (const std::int32_t v : blk.mord) members.push_back({v, s.RVD(v, c) < 0.0f});
      print_with_titles(s, members, [&](std::int32_t first, std::int32_t last) {
        PRECSR(s, c, blk, w, f, first, last);
      });
    } else {
      PRECSR(s, c, blk, w, f, 1, nc);
    }
    for (const std::int32_t v : blk.mord) {
      if (static_cast<std::int32_t>(zlist.size()) < nzmax) zlist.push_back(v);
    }
  }

  const std::vector<std::int32_t> excl = UNTHRD(next, excluded);
  if (static_cast<std::int32_t>(excl.size()) != excluded.count) proc_error("BAD UNTHRD ROUTINE.");
  for (const std::int32_t v : excl) {
    if (static_cast<std::int32_t>(zlist.size()) >= nzmax) proc_error("NZ exceeded NZMAX");
    zlist.push_back(v);
  }
  print_excluded(s, excl, f);

  if (s.kclmat == 0) {
    const std::int32_t nz = static_cast<std::int32_t>(zlist.size());
    std::vector<float> r(static_cast<std::size_t>(nz) * nz, 0.0f);
    for (std::int32_t j = 1; j <= nz; ++j) {
      for (std::int32_t i = 1; i <= nz; ++i) r[rc(i, j, nz)] = s.A(zlist[at(i)], zlist[at(j)]);
    }
    pr_matrix_idx(r, zlist, s.varnum, s.varnam, nz, nz, 1, 3, "THE REORDERED CORRELATION MATRIX",
                  s.page, s.lines, s.monout);
  }
}

}  // namespace korvex::csa2
