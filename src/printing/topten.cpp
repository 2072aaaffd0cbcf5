// The largest correlations listing of the diagonal-values component: for each variable of a
// correlation matrix, its strongest correlates by absolute value with the signed values,
// several variables side by side in the line-filling columns of make_list_formats, each
// group of variables under a line of their names.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/printing.hpp"
#include "printing/printing_int.hpp"

namespace korvex {

namespace {

// "   kt Largest Correlations for Each Variable": the count right-aligned in columns 6-8;
// the record's first column is its carriage control.
std::string topten_heading(std::int32_t kt) {
  std::string heading(47, ' ');
  std::string count(3, ' ');
  rjust_number(int_to_text(kt, 3), count);
  heading.replace(5, 3, count);
  heading.replace(9, 38, "Largest Correlations for Each Variable");
  return heading;
}

}  // namespace

// Short lists (a group's kt lines and its 4 lines of heading fit a third of a page) reserve
// each group whole; long lists are printed in chunks that fill the rest of the page.
void topten(std::span<const float> r, std::int32_t n, std::span<const std::string> names,
            std::span<const std::int32_t> num, std::int32_t ktop, std::int32_t& page,
            std::int32_t& lines, std::int32_t unit, std::int32_t sep) {
  std::int32_t k = 1;
  std::string valfmt;
  std::string namefmt;
  make_list_formats(names, n, k, sep, valfmt, &namefmt);
  const std::int32_t kt = std::max(std::min(ktop, n - 1), 0);
  const std::string heading = topten_heading(kt);
  const auto slots = static_cast<std::size_t>(kt) * static_cast<std::size_t>(k);
  std::vector<std::int32_t> top = printing_detail::guarded_alloc(
      "dvp: topten: ktop", [&] { return std::vector<std::int32_t>(slots, 0); });
  const std::int32_t c = std::max(max_len_trim(names, std::max(n, 0)), 1);
  const std::vector<std::string> right_names =
      printing_detail::guarded_alloc("dvp: topten: names", [&] {
        std::vector<std::string> v(static_cast<std::size_t>(std::max(n, 0)),
                                   std::string(static_cast<std::size_t>(c), ' '));
        for (std::int32_t j = 1; j <= n; ++j)
          rjust_text(io::pad(names[at(j)], static_cast<std::size_t>(c)), v[at(j)]);
        return v;
      });
  assert(n <= 0 || r.size() > mat_index(n, n));

  auto print_heading = [&] { write_formatted(unit, "(A)", {heading}); };
  PAGER(-2, page, lines, unit);
  PAGER(1, page, lines, unit);
  print_heading();

  const bool long_lists = kt + 4 > (get_nlpage() - 3) / 3;
  std::vector<float> v(static_cast<std::size_t>(std::max(n, 0)));
  std::vector<io::Value> values;
  for (std::int32_t a = 1; a <= n; a += k) {
    const std::int32_t b = std::min(a + k - 1, n);
    auto column = [&](std::int32_t i) {
      return std::span<std::int32_t>(top).subspan(
          static_cast<std::size_t>(i - a) * static_cast<std::size_t>(kt),
          static_cast<std::size_t>(kt));
    };
    for (std::int32_t i = a; i <= b; ++i) {
      for (std::int32_t j = 1; j <= n; ++j) v[at(j)] = std::fabs(r[mat_index(j, i)]);
      top_k_indices(v, n, column(i), kt, i);
    }
    auto name_line = [&] {
      values.clear();
      for (std::int32_t j = a; j <= b; ++j) {
        values.emplace_back(num[at(j)]);
        values.emplace_back(right_names[at(j)]);
      }
      write_formatted(unit, namefmt, values);
    };
    auto correlate_line = [&](std::int32_t p) {
      values.clear();
      for (std::int32_t i = a; i <= b; ++i) {
        const std::int32_t t = column(i)[at(p)];
        values.emplace_back(num[at(t)]);
        values.emplace_back(r[mat_index(t, i)]);
        values.emplace_back(right_names[at(t)]);
      }
      write_formatted(unit, valfmt, values);
    };
    auto group_head = [&] {
      write_formatted(unit, "(1X)");
      name_line();
      write_formatted(unit, "(1X)");
    };

    if (!long_lists) {
      if (lines > kt + 4) {
        PAGER(kt + 4, page, lines, unit);
      } else {
        if (lines > 1) PAGER(-1, page, lines, unit);
        PAGER(0, page, lines, unit);
        PAGER(-1, page, lines, unit);
        PAGER(1, page, lines, unit);
        print_heading();
        PAGER(kt + 4, page, lines, unit);
      }
      group_head();
      for (std::int32_t p = 1; p <= kt; ++p) correlate_line(p);
      continue;
    }

    // Long lists: a chunk that does not fit takes the rest of the page, so no page runs
    // over; the next chunk then begins a new page with the heading.
    std::int32_t rest = kt;
    std::int32_t next = 1;
    while (rest > 0) {
      if (lines <= 9) {
        PAGER(0, page, lines, unit);
        PAGER(-1, page, lines, unit);
        PAGER(1, page, lines, unit);
        print_heading();
      }
      const std::int32_t chunk = lines >= rest + 4 ? rest : std::max(lines - 4, 1);
      group_head();
      for (std::int32_t p = next; p < next + chunk; ++p) correlate_line(p);
      if (lines > 0 && lines < chunk) PAGER(-1, page, lines, unit);
      rest -= chunk;
      next += chunk;
      lines -= chunk + 4;
    }
  }
  PAGER(-2, page, lines, unit);
}

}  // namespace korvex
