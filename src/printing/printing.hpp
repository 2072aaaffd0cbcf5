// The listing printers that every component prints through: texts wrapped and placed left,
// centred or right; single values under captions; vectors and numbered name lists in columns;
// the largest correlations of each variable; the pivot and key variable table; the start
// banner of *START; and the captioned text columns of the data-entry statistics table.
// All of them reserve lines and begin pages through the paging protocol of page.hpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "printing/page.hpp"

namespace korvex {

// Conventions of the printers:
// - page and lines are the calling component's page number and lines-left count (the pair
//   of the four-argument PAGER); unit is the listing unit and must be the page state's one.
// - Vectors and tables are 0-based spans addressed with the system's 1-based positions:
//   item j is element j - 1. Names are blank-padded texts, normally of 20 characters.
// - mode of the text printers: -1 left, 0 centred, 1 right.

// ---- line and scalar printers --------------------------------------------------------

// The character that prints as a blank but never separates words (callers indent with it).
inline constexpr char hard_blank = '\x7f';

// One piece of a wrapped text: its first and last column in the text (1-based) and whether
// it ends inside a word that continues in the next piece (then printed with a "-").
struct line_piece {
  std::int32_t first = 1;
  std::int32_t last = 0;
  std::int32_t broken = 0;
};

// Splits text into pieces of at most maxlen characters at blanks, breaking a word longer
// than a piece after maxlen - 1 characters. Returns the pieces followed by the end marker
// (1, 0, 0); a blank text gives the single piece (1, 0, 1) and the marker. Every piece
// advances by at least one character, so any maxlen (even below 2) ends.
std::vector<line_piece> split_line(std::int32_t maxlen, std::string_view text);

// Prints text on the listing in pieces of at most maxlen characters, placed by mode on a line
// of ncline columns; all its lines are reserved at once. A blank text is one empty line
// whatever the mode. Any other mode stops the run ("error in pr_line; select case default")
// after the lines were reserved.
void pr_line(std::int32_t mode, std::int32_t maxlen, std::string_view text, std::int32_t& page,
             std::int32_t& lines, std::int32_t unit);

// Lays text out as pr_line would, into the lines of buf instead of the listing (no carriage
// control; mode 0 centres within maxlen columns). Each element of buf keeps its size, which
// should be at least maxlen + 1; nout returns the lines filled (pieces beyond buf are
// dropped). A bad mode stops the run ("error in expand_line; select case default").
void expand_line(std::int32_t mode, std::int32_t maxlen, std::string_view text,
                 std::span<std::string> buf, std::int32_t& nout);

// Prints x under caption: mode 1 fixed point with ndig decimals (0..9), mode 2 exponent form.
// A bad mode or ndig stops the run before anything is printed.
void pr_scalar(float x, std::int32_t mode, std::int32_t ndig, std::string_view caption,
               std::int32_t& page, std::int32_t& lines, std::int32_t unit);
// The integer form of pr_scalar.
void Pr_scalar_int(std::int32_t ival, std::string_view caption, std::int32_t& page,
                   std::int32_t& lines, std::int32_t unit);

// ---- vector and list printers --------------------------------------------------------

// n values x(j) with names(j), several to a line, under title (wrapped). mode 1 prints fixed
// point with up to ndig decimals when the values allow it, otherwise exponent form.
void pr_vector(std::span<const float> x, std::span<const std::string> names, std::int32_t n,
               std::int32_t mode, std::int32_t ndig, std::string_view title, std::int32_t& page,
               std::int32_t& lines, std::int32_t unit);
// n integers iv(j) with names(j) under a one-line title.
void pr_ivector(std::span<const std::int32_t> iv, std::span<const std::string> names,
                std::int32_t n, std::string_view title, std::int32_t& page, std::int32_t& lines,
                std::int32_t unit);
// iv(order(j)) with names(order(j)), j = 1..n, names in w columns, under a one-line title.
void pr_ivector2(std::span<const std::int32_t> order, std::span<const std::int32_t> iv,
                 std::span<const std::string> names, std::int32_t n, std::int32_t w,
                 std::string_view title, std::int32_t& page, std::int32_t& lines,
                 std::int32_t unit);
// The numbered name list num(j), names(j) under a one-line title.
void pr_name_list(std::span<const std::string> names, std::span<const std::int32_t> num,
                  std::int32_t n, std::string_view title, std::int32_t& page, std::int32_t& lines,
                  std::int32_t unit);
// Ordinal num(j), value x(j) (3 decimals) and right-adjusted name, in columns that fill the
// line; sep non-zero separates the items of a line with "  |".
void privo(std::span<const float> x, std::span<const std::int32_t> num,
           std::span<const std::string> names, std::int32_t n, std::int32_t mode, std::int32_t ndig,
           std::string_view title, std::int32_t& page, std::int32_t& lines, std::int32_t unit,
           std::int32_t sep = 0);
// The line layouts of privo and topten for names(1..n): k items per line, the value-line
// layout valfmt and, when namefmt is given, the heading layout of names over the items.
void make_list_formats(std::span<const std::string> names, std::int32_t n, std::int32_t& k,
                       std::int32_t sep, std::string& valfmt, std::string* namefmt = nullptr);

// ---- largest correlations ------------------------------------------------------------

// For each variable of the correlation matrix r (n x n, column by column, leading dimension
// 999, diagonal set to 0 by the caller), lists its min(ktop, n - 1) strongest correlates by
// absolute value with the signed correlations, several variables side by side.
void topten(std::span<const float> r, std::int32_t n, std::span<const std::string> names,
            std::span<const std::int32_t> num, std::int32_t ktop, std::int32_t& page,
            std::int32_t& lines, std::int32_t unit, std::int32_t sep = 0);

// ---- pivot and key variable table ----------------------------------------------------

// Rows of the key-variable table: key_lists holds 99 rows per dimension.
inline constexpr std::int32_t key_list_rows = 99;

// The table of dimensions (number and name at the head of each column) with their key
// variables below; key_lists(k, j) = key_lists[(j - 1) * 99 + (k - 1)] is the k-th key
// variable index of dimension j, negative when reflected.
void Pr_indicator(std::span<const std::int32_t> key_lists, std::span<const std::int32_t> key_counts,
                  std::span<const std::int32_t> dim_numbers, std::span<const std::string> dim_names,
                  std::span<const std::int32_t> var_numbers, std::span<const std::string> var_names,
                  std::int32_t nvar, std::int32_t ndim, std::int32_t& page, std::int32_t& lines,
                  std::int32_t unit);

// ---- start banner --------------------------------------------------------------------

inline constexpr int banner_line_count = 50;
inline constexpr int banner_line_width = 90;

// Fills the 50 banner lines with the build number and today's date and prints them, the
// name line through pr_banner_name_line, every other line through pr_line(mode, width, ...).
void pr_banner(std::int32_t mode, std::int32_t width, std::int32_t& page, std::int32_t& lines,
               std::int32_t unit);
// Fills the banner table (reading the system date) and returns it.
const std::vector<std::string>& make_banner();
// Prints the spaced-name line centred in width columns (mode and text are not used).
void pr_banner_name_line(std::int32_t mode, std::int32_t width, std::string_view text,
                         std::int32_t& page, std::int32_t& lines, std::int32_t unit);

// The machine's local date today as CCYYMMDD.
std::string system_date_ccyymmdd();
// "MM/DD/CCYY" from a CCYYMMDD date, as the banner shows it.
std::string run_date_text(std::string_view ccyymmdd);

// ---- statistics-table columns --------------------------------------------------------

// One captioned column of a statistics table.
struct table_column {
  std::int32_t in_use = 1;   // 0: the cells print as blanks
  std::int32_t width = 0;    // cell width
  std::int32_t gap = 1;      // blanks before the cell
  std::int32_t stretch = 0;  // non-zero: pr_column_fit may change the gap
  std::int32_t whole = 0;    // the formatter's whole-number flag
  std::int32_t just = 0;     // caption over the cell: -1 left, 0 centred, 1 right
  std::string caption = std::string(100, ' ');
  std::vector<std::string> entries;  // the cells, each of the caller's fixed length
};

// The page counter a statistics table prints under: the data-entry listing's own. The table
// counts its rows in lines_left() and calls new_page() when 5 or fewer lines are left.
class table_pager {
 public:
  virtual ~table_pager() = default;
  virtual std::int32_t& lines_left() = 0;
  virtual std::int32_t unit() const = 0;
  // Begins a new page with that listing's header and sets lines_left().
  virtual void new_page() = 0;
};

// Column formatters: each writes x(1..n) into entries(1..n) right-aligned in the returned
// width (at least min_width). pr_column_real drops ".000..." when every value is whole.
void pr_column_real(std::span<const float> x, std::int32_t n, std::int32_t min_width,
                    std::int32_t ndig, std::span<std::string> entries, std::int32_t& width,
                    std::int32_t& whole);
void pr_column_int(std::span<const std::int32_t> iv, std::int32_t n, std::int32_t min_width,
                   std::span<std::string> entries, std::int32_t& width);
// Texts copied left-aligned with the layout (A<field>); width is the last non-blank column.
void pr_column_char(std::span<const std::string> text, std::int32_t n, std::int32_t field,
                    std::span<std::string> entries, std::int32_t& width);
// Proportions 0..1 as whole percentages ("46."); width stays min_width; out of range: "*".
void pr_column_pct(std::span<const float> x, std::int32_t n, std::int32_t min_width,
                   std::span<std::string> entries, std::int32_t& width, std::int32_t& whole);
// Widens cells to their captions and, when the table leaves fewer free characters than it
// has columns, spreads the line's free space over the gaps of the stretchable columns.
void pr_column_fit(std::span<table_column> table, std::int32_t ncols);
// Prints the caption line and the rows, the captions again at the top of every new page.
// A caption placement other than -1, 0, 1 stops the run ("JUST is invalid").
void pr_column_captions(std::span<table_column> table, std::int32_t ncols, table_pager& pager);

}  // namespace korvex
