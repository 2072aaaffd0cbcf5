// Private ground of the spherical analysis component SPAN2: the state one run shares (card
// values, coefficients, names, key-cluster lists, subspace tables, page numbers of the index
// page, the work of one dimensionality), its own page state, and the routines of its steps:
// driver and inputs, subspace selection, paging and index page, prologue, the analysis of
// one dimensionality with its sphere pictures, coordinates, spotter and cross reference.
// Only src/structure and its tests include this header; other folders see span2.hpp.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "executive/vecmat.hpp"

namespace korvex::span2 {

// Storage conventions: coef is column by column with leading dimension 999, element (i, j)
// (1-based) at [(j - 1) * 999 + (i - 1)]; key lists have leading dimension 99; vectors are
// 0-based containers addressed with 1-based positions.
inline constexpr std::int32_t max_vars = 999;
inline constexpr std::int32_t max_dims = 50;
inline constexpr std::int32_t max_list = 99;
inline constexpr std::int32_t max_preset = 120;
inline constexpr std::int32_t ld = 999;
inline constexpr std::int32_t graph_rows = 61;
inline constexpr std::int32_t graph_cols = 101;

// Element i (1-based) of a 0-based table: the shared index helper.
using korvex::at;
inline std::size_t rc(std::int32_t i, std::int32_t j) {
  assert(i >= 1 && i <= max_vars && j >= 1 && j <= max_dims);
  return static_cast<std::size_t>(j - 1) * ld + static_cast<std::size_t>(i - 1);
}

// A set of dimensions: an analyst's preset set or a subspace of the dimensionality being
// analysed. index holds len dimension numbers, strictly ascending.
struct subspace {
  std::int32_t len = 0;
  std::int32_t nbig = 1;  // weight: variables proposing it, plus 1 per equal analyst set
  std::vector<std::int32_t> index;
};

// span_options: the values every step reads.
struct options_record {
  std::int32_t page_limit = 0;  // nlpage - 1
  float MINCOM = 0.2f;
  std::int32_t MINEW = 3;
  std::int32_t source = 1;   // 1 UFACT1, otherwise RFACT1
  std::int32_t rigid = 0;    // 1: the view turns to the dimension definers only
  std::int32_t reduce = 0;   // non-zero: reduced output, no index page
};

// span_page_state: the component's own page numbering, copied from the listing at the start.
struct page_record {
  std::int32_t page = 0;
  std::int32_t lines_left = 0;
  std::int32_t unit = -1;
  std::int32_t ncline = 118;
  std::int32_t ncline_m1 = 117;
  std::int32_t nlpage = 78;
};

// One plotted point of a sphere picture.
struct g_point {
  std::int32_t column = 0;  // 1..101
  std::int32_t row = 0;     // 1..61
  std::int32_t depth = 0;   // hundredths of the coordinate toward the viewer
  std::int32_t variable = 0;
};

// Everything one run works on. Set up afresh by each *SPAN2 card.
struct run_state {
  std::int32_t monin = -1;
  std::int32_t monout = -1;
  std::int32_t nlpage = 78;      // copies of the page settings at the start
  std::int32_t ncline_m1 = 117;

  std::int32_t NV = 0;
  std::int32_t NF = 0;
  std::int32_t MODE = 1;
  std::int32_t NSTART = 3;
  std::int32_t NFIN = 3;
  float CLOPR = 0.8f;
  options_record options;

  std::vector<float> coef;                 // 999 x 50, rows of unit length
  std::vector<float> h2;                   // communality of each variable
  std::vector<std::string> var_names;      // right-justified in 20 characters
  std::vector<std::string> var_names_left; // as read or generated
  std::vector<std::int32_t> order;         // the variable numbers printed
  std::vector<std::int32_t> refl_counts;   // REFLX1 list lengths
  std::vector<std::int32_t> refl_lists;    // REFLX1 lists, 99 apart, entries made positive
  std::vector<std::int32_t> var_cluster;   // +c / -c / 0 per variable
  std::int32_t refl_count = 0;             // number of REFLX1 lists (0 when absent)
  std::vector<std::string> title_words;
  std::string title_line;

  std::vector<subspace> n_ptr;  // subspaces of the dimensionality being analysed
  std::vector<subspace> t_ptr;  // the analyst's preset sets, sorted
  std::vector<std::int32_t> index_pages;  // 2 NF entries, then one per three-dimensional set
  std::int32_t three_count = 0;           // sets analysed for k = 3

  // Work of one dimensionality.
  std::vector<float> set_share;  // set s, variable i at [(s - 1) * NV + (i - 1)]
  std::string set_mark;          // one character per variable
  std::string any_set_mark;
  std::vector<float> coef_copy;
  std::vector<float> reflect_sign;
  std::array<std::array<float, 3>, 27> sphere_circle{};
  std::array<std::string, graph_rows> span_graph;
  std::vector<g_point> points;  // a_ptr: the plotted points of the current picture

  float& c(std::int32_t i, std::int32_t j) { return coef[rc(i, j)]; }
  float c(std::int32_t i, std::int32_t j) const { return coef[rc(i, j)]; }
  float& share(std::int32_t s, std::int32_t i) {
    return set_share[static_cast<std::size_t>(s - 1) * static_cast<std::size_t>(NV) + at(i)];
  }
  std::int32_t n_count() const { return static_cast<std::int32_t>(n_ptr.size()); }
  std::int32_t t_count() const { return static_cast<std::int32_t>(t_ptr.size()); }
};

// The one run state and the one page state of the component.
run_state& state();
page_record& page_state();
// Forgets both (the start of a run, and tests).
void reset_state();

// ---- driver and inputs -------------------------------------------------------------------

void span_main();
// Reads the parameter card, the ISF inputs and (modes 2, 3) the preset sets; scales the rows.
void span_input();

// ---- subspace selection ------------------------------------------------------------------

// Reads the preset-set cards up to the ending card into t_ptr, sorts them and moves NSTART
// and NFIN by MODE; a bad definer, a 121st set or a bad MODE stops the run.
void span_prefix();
// The span candidates of dimensionality k into n_ptr.
void span_preset(std::int32_t k);
// Enters rec into n_ptr in lexicographic order, or adds 1 to the weight of an equal entry.
void span_subspace_insert(const subspace& rec);
// Keeps the candidates that at least MINEW variables credit (share >= CLOPR).
void span_subspace_select(std::int32_t k);
// Positions (1-based) of the preset sets of size k in t_ptr; (0, 0) when none.
std::array<std::int32_t, 2> span_preset_range(std::int32_t k);
// Merges t_ptr(first..last) into n_ptr.
void span_subspace_merge(std::int32_t first, std::int32_t last);
// -1, 0, 1: shorter first, then the first differing dimension decides.
std::int32_t span_subspace_compare(const subspace& a, const subspace& b);
// 1 when point p comes after point q (row, column, variable; equal keys count as after).
bool span_point_after(const g_point& p, const g_point& q);
// Runs the selection of the driver for dimensionality k by MODE.
void select_for_dimension(std::int32_t k);

// ---- paging and index page ---------------------------------------------------------------

void span_page_init();
// True when a block of blk_size lines can stand on one page of the page length in force.
bool span_page_holds(std::int32_t blk_size);
// Stops the run when a block of blk_size lines that must stand on one page cannot, naming
// the page length it needs.
void span_page_fits(std::int32_t blk_size);
void span_page_reserve(std::int32_t blk_size);
void span_page_reserve_spotter(std::int32_t blk_size, std::int32_t s, std::string_view text);
void span_page_reserve_xref(std::int32_t blk_size, std::int32_t s);
void span_page_new();
void span_page_coords_header(std::int32_t k, std::int32_t s);
void span_page_pct_header(std::int32_t k);
void span_page_partial_header(std::int32_t k);
void span_page_spotter_header(std::int32_t s, std::string_view text);
void span_page_xref_header(std::int32_t s);
std::int32_t span_page_number();
void span_page_skip(std::int32_t n);
void span_index();

// ---- prologue ----------------------------------------------------------------------------

void span_prologue();
// The 25 banner records (margin and drawing) of the prologue.
struct banner_record {
  std::int32_t margin;
  std::string_view drawing;
};
std::span<const banner_record> span_banner();

// ---- analysis of one dimensionality ------------------------------------------------------

void span_dimension(std::int32_t k);

// Picture positions of picture coordinates (x across, y up): columns 1..101, rows 61..1.
std::int32_t screen_column(float x);
std::int32_t screen_row(float y);
// The symbol of key cluster c (blank for 0): 1-9, A-Z, a-o.
char cluster_symbol(std::int32_t c);
// Turns the set toward the centroid of its points: reflect_sign, the rotated columns of coef
// (read from coef_copy) and sphere_circle.
void span_sphere_rotate(const subspace& set);
// The empty picture: centre, outline, quarter circles and axis letters.
void span_sphere_canvas();
// Makes, sorts and draws the points of set set_no; marks them "V" or "R".
void span_sphere_points(std::int32_t set_no, const subspace& set);
// Prints the picture on a page of its own and records its page for the index.
void span_sphere_print(std::int32_t set_no, const subspace& set);
// The augmented coordinates of set set_no (the header layout is made even when output is
// reduced, for the summaries).
void span_coordinates(std::int32_t set_no, std::int32_t k);
// The spotter of the picture of set set_no.
void span_spotter(std::int32_t set_no, std::int32_t k);
// The cross reference of set set_no (re-sorts the points by variable).
void span_cross_reference(std::int32_t set_no);
// The entries of one spotter cell: points[first..last] (0-based) appended to upper/lower.
void span_set_label(std::size_t first, std::size_t last, std::vector<std::string>& upper,
                    std::vector<std::string>& lower, std::size_t width);
// The cross-reference line layout for line width c and name width g: entries per line m,
// leading tab e - m t + 1 and gap t, narrowed until the gap is at least one blank.
struct xref_layout {
  std::int32_t m = 1;
  std::int32_t tab = 1;
  std::int32_t gap = 1;
};
xref_layout span_xref_layout(std::int32_t c, std::int32_t g);

}  // namespace korvex::span2
