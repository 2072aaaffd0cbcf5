// Internals of the cluster structure component CSA2: the state block QVCSA2 that the
// driver, the domain computations, the expanded structure and the title reader share,
// and the steps of one run. Private to src/structure; other folders see csa2.hpp only.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "executive/vecmat.hpp"

namespace korvex::csa2 {

// Capacities of one run: variables, clusters, definers of a cluster, reorder list.
inline constexpr std::int32_t max_variables = 999;
inline constexpr std::int32_t max_clusters = 50;
inline constexpr std::int32_t max_definers = 99;
inline constexpr std::int32_t nzmax = 1998;
// Leading dimensions: variable matrices 999, cluster matrices 50, definer lists 99.
inline constexpr std::int32_t ld_var = 999;
inline constexpr std::int32_t ld_clu = 50;

// Element i (1-based) of a 0-based table: the shared index helper.
using korvex::at;
// Element (i, j), both 1-based, of a column-major matrix of leading dimension ld.
inline std::size_t rc(std::int32_t i, std::int32_t j, std::int32_t ld) {
  assert(i >= 1 && i <= ld && j >= 1);
  return static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(ld) +
         static_cast<std::size_t>(i - 1);
}

// The state block of one run (QVCSA2): options, inputs, domain results and the page
// counters. Matrices are column by column; every vector is addressed 1-based through at().
struct state {
  // options of the two parameter cards
  std::int32_t kbasis = 0, kclmat = 2, kaugco = 0, kaugcr = 0, kdebug = 0, krawsc = 0,
               ktitle = 0, ktcol = 0;
  float hlimit = 0.2f;

  // listing
  std::int32_t monin = -1, monout = -1;
  std::int32_t ncline = 118, maxlen = 117, nlpage = 78;
  std::int32_t page = 0, lines = 0;

  // inputs
  std::string runttl = std::string(72, ' ');
  std::int32_t nv = 0, ncl = 0, nsleep = 0, ntotal = 0;
  std::vector<float> a;      // A, 999 x 999, communalities in the diagonal
  std::vector<float> comm;   // COMM
  std::vector<std::int32_t> ir;     // 99 x 50 signed definers
  std::vector<std::int32_t> ircnt;  // IRCNT
  std::vector<float> wgt;           // WGT, 99 x 50
  std::vector<std::int32_t> varnum;
  std::vector<std::string> varnam;
  std::vector<std::int32_t> clunum;
  std::vector<std::string> clunam;

  // domain results
  std::vector<float> sum;    // SUM, 50 x 50
  std::vector<float> rdom;   // RDOM, later RSS, 50 x 50
  std::vector<float> valid;  // VALID
  std::vector<float> rvd;    // RVD, 999 x 50
  std::vector<float> rsd;    // RSD, 50 x 50

  // variable titles (VTITLE), by the variable's number in the data set
  std::vector<std::string> vtitle;

  // Sizes every vector for one run and sets the options to their defaults.
  void reset();
  // Shorthands for the matrices.
  float& A(std::int32_t i, std::int32_t j) { return a[rc(i, j, ld_var)]; }
  float& RVD(std::int32_t i, std::int32_t c) { return rvd[rc(i, c, ld_var)]; }
  std::int32_t& IR(std::int32_t j, std::int32_t c) { return ir[rc(j, c, max_definers)]; }
  float& WGT(std::int32_t j, std::int32_t c) { return wgt[rc(j, c, max_definers)]; }
};

// The one state block of the component.
state& qvcsa2();

// ---- driver, options and inputs (csa2_driver.cpp, csa2_input.cpp) ----------------------
void CSADRV();
void CSAHDR(state& s);
void CSAINP(state& s);
// Refuses a definer of magnitude 0 or above NV and fills WGT.
void CHKDEF(state& s);
void PRCLUS(state& s);
// Reserves lines / writes blank lines on the component's own counters.
void pager(state& s, std::int32_t n);
// pr_line on the component's counters with the component's piece length.
void line(state& s, std::int32_t mode, std::string_view text);

// ---- oblique cluster domains (csa2_domains.cpp) ----------------------------------------
void cluster_domains(state& s);

// ---- expanded cluster structure (csa2_expanded.cpp) -------------------------------------
void EXPCLS(state& s);

// ---- variable titles (csa2_titles.cpp) --------------------------------------------------
// Reads one title per variable of the data set from MTXIN2 into vtitle.
void RDTITL(state& s);
// Splits a title at blanks into pieces (first, last), 1-based, for a line of `width`: the
// first piece holds at most width - 6 characters, every later one width - 5 less the
// continuation indent (so at least 10); a piece without a blank is cut at its allowance.
// An empty title is one empty piece (last = 0).
struct piece {
  std::int32_t first = 1;
  std::int32_t last = 0;
};
std::vector<piece> SPLTTL(std::string_view title, std::int32_t width, std::int32_t ktcol);
// KTCOL as far as the line allows it: continuation pieces start KTCOL + 3 blanks in, and
// a KTCOL that would leave them fewer than 10 characters is reduced.
std::int32_t continuation_indent(std::int32_t width, std::int32_t ktcol);
// Prints the rows of one cluster in page-sized parts (rows(first, last) prints members
// first..last, 1-based in member order) and then the members' titles part by part.
struct member_row {
  std::int32_t v = 0;        // variable
  bool negative = false;     // its coefficient on the cluster is negative
};
void print_with_titles(state& s, const std::vector<member_row>& members,
                       const std::function<void(std::int32_t, std::int32_t)>& rows);

}  // namespace korvex::csa2
