// Vector and list printers: value/name pairs of a vector, integer vectors, numbered name
// lists and ordinal/value/name listings, several items to a line running down columns of
// ten-line multiples, in blocks that fit a page, each block under its title.
// make_list_formats computes the line-filling columns that privo and topten share.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <functional>
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

using printing_detail::layout_fields;

std::size_t count(std::int32_t n) { return static_cast<std::size_t>(std::max(n, 0)); }

// How one printer lays out its blocks.
struct block_plan {
  std::int32_t k = 1;          // items per line
  std::string line_layout;     // the item layout repeated k times
  bool wrapped_title = false;  // title through pr_line (else one record, not counted)
  bool separate = false;       // two empty lines before a block that fits on the page
};

// Appends the values of item j (1-based) to a line.
using item_writer = std::function<void(std::int32_t j, std::vector<io::Value>& values)>;

// The block printing the five printers share: blocks of rows_per_block(5) * k items, each
// on the current page when the whole vector is one block and fits, else on a new page; the
// items of a block run down columns of R rows, R a multiple of 10. A multi-block vector
// hands back lines = 0 so that the caller's next output begins a new page.
void print_blocks(std::int32_t n, const block_plan& plan, std::string_view title,
                  const item_writer& item, std::int32_t& page, std::int32_t& lines,
                  std::int32_t unit) {
  const std::int32_t nc = get_ncline();
  const std::int64_t k = std::max(plan.k, 1);
  const std::int64_t per_block = std::max<std::int64_t>(rows_per_block(5), 1) * k;
  const std::int64_t nb = (n + per_block - 1) / per_block;
  const std::int32_t fit = nb == 1 ? 1 : 0;
  std::int32_t L = lines;
  std::vector<io::Value> values;
  for (std::int64_t first = 1; first <= n; first += per_block) {
    const std::int64_t m = std::min<std::int64_t>(per_block, n - first + 1);
    const std::int64_t R = 10 * ((m + 10 * k - 1) / (10 * k));
    const auto rows = static_cast<std::int32_t>(std::min(R, m));
    std::int32_t avail = fit * L;
    if (avail < rows + 2) {
      printing_detail::begin_printer_page(page, unit);
      avail = get_nlpage() - 1;
    } else if (plan.separate) {
      write_formatted(unit, "(1x/1x)");
      avail -= 2;
    }
    if (plan.wrapped_title) {
      const auto tl = static_cast<std::int32_t>(io::trim_right(title).size());
      pr_line(-1, std::min(tl, nc - 1), title, page, avail, unit);
    } else {
      const std::int32_t w = std::max(1, std::min(static_cast<std::int32_t>(title.size()), nc - 1));
      write_formatted(unit, layout_fields("(1X,ANNN)").next(w, 3).text(), {title});
    }
    write_formatted(unit, "(1X)");
    for (std::int64_t r = 1; r <= rows; ++r) {
      values.clear();
      for (std::int64_t q = r; q <= m; q += R)
        item(static_cast<std::int32_t>(first + q - 1), values);
      write_formatted(unit, plan.line_layout, values);
    }
    const std::int32_t rem = avail - rows;
    const std::int32_t b = std::min(rem - 2, 3);
    for (std::int32_t i = 0; i < b; ++i) write_formatted(unit, "(1X)");
    L = rem - 2 - b;
  }
  lines = fit * L;
}

// Longest trimmed name of names(1..n), at least 1 so that every layout has a name field.
std::int32_t name_width(std::span<const std::string> names, std::int32_t n) {
  return std::max(max_len_trim(names, n), 1);
}

// Each name as a text of at least `width` characters, for an A field of that width.
std::vector<std::string> padded_names(std::span<const std::string> names, std::int32_t n,
                                      std::int32_t width) {
  std::vector<std::string> out;
  out.reserve(count(n));
  for (std::int32_t j = 1; j <= n; ++j) {
    const std::string& s = names[at(j)];
    out.push_back(io::pad(s, std::max(s.size(), static_cast<std::size_t>(width))));
  }
  return out;
}

// The value form of pr_vector and privo: e digits before the point of the largest magnitude
// (at least 1) and d = min(ndig, 13 - e, 9) decimals.
struct value_form {
  std::int32_t e = 1;
  std::int32_t d = 0;
  bool fixed(std::int32_t mode) const { return mode == 1 && d >= 0 && e <= 8; }
};

value_form choose_form(std::span<const float> x, std::int32_t n, std::int32_t ndig) {
  float amax = 1.0f;
  for (std::int32_t j = 1; j <= n; ++j) amax = std::max(amax, std::fabs(x[at(j)]));  // NaN skipped
  value_form form;
  if (std::isfinite(amax)) {
    form.e = static_cast<std::int32_t>(std::log(amax) * 0.4342945f + 1.0f);
  } else {
    form.e = 99;  // an infinite value has no fixed-point form
  }
  form.d = std::min({ndig, 13 - form.e, 9});
  return form;
}

// True when every value prints in F14.d without overflowing into asterisks. The digit rule
// allows one decimal too many for a negative value or one rounded up past a power of ten.
bool fits_fixed(std::span<const float> x, std::int32_t n, std::int32_t d) {
  const std::string layout = layout_fields("(F14.N)").next(d, 1).text();
  for (std::int32_t j = 1; j <= n; ++j) {
    if (io::format_line(layout, {x[at(j)]}).find('*') != std::string::npos) return false;
  }
  return true;
}

}  // namespace

void pr_vector(std::span<const float> x, std::span<const std::string> names, std::int32_t n,
               std::int32_t mode, std::int32_t ndig, std::string_view title, std::int32_t& page,
               std::int32_t& lines, std::int32_t unit) {
  assert(x.size() >= count(n) && names.size() >= count(n));
  const std::int32_t c = name_width(names, n);
  const std::vector<std::string> cell_names = padded_names(names, n, c);
  block_plan plan;
  plan.k = std::max(get_ncline() / (c + 16), 1);
  plan.wrapped_title = true;
  const value_form form = choose_form(x, n, ndig);
  if (form.fixed(mode) && fits_fixed(x, n, form.d)) {
    plan.line_layout =
        layout_fields("(NN(1X,F14.N,1X,ANN))").next(plan.k, 2).next(form.d, 1).next(c, 2).text();
  } else {
    plan.line_layout = layout_fields("(NN(1X,1PE14.6,1X,ANN))").next(plan.k, 2).next(c, 2).text();
  }
  print_blocks(
      n, plan, title,
      [&](std::int32_t j, std::vector<io::Value>& v) {
        v.emplace_back(x[at(j)]);
        v.emplace_back(cell_names[at(j)]);
      },
      page, lines, unit);
}

void pr_ivector(std::span<const std::int32_t> iv, std::span<const std::string> names,
                std::int32_t n, std::string_view title, std::int32_t& page, std::int32_t& lines,
                std::int32_t unit) {
  assert(iv.size() >= count(n) && names.size() >= count(n));
  const std::int32_t c = name_width(names, n);
  const std::vector<std::string> cell_names = padded_names(names, n, c);
  block_plan plan;
  plan.k = std::max(get_ncline() / (c + 16), 1);
  plan.line_layout = layout_fields("(NN(1X,I14,1X,ANN))").next(plan.k, 2).next(c, 2).text();
  print_blocks(
      n, plan, title,
      [&](std::int32_t j, std::vector<io::Value>& v) {
        v.emplace_back(iv[at(j)]);
        v.emplace_back(cell_names[at(j)]);
      },
      page, lines, unit);
}

void pr_ivector2(std::span<const std::int32_t> order, std::span<const std::int32_t> iv,
                 std::span<const std::string> names, std::int32_t n, std::int32_t w,
                 std::string_view title, std::int32_t& page, std::int32_t& lines,
                 std::int32_t unit) {
  assert(order.size() >= count(n));
  const std::int32_t width = std::max(w, 1);
  block_plan plan;
  plan.k = std::max(get_ncline() / (width + 16), 1);
  plan.line_layout = layout_fields("(NN(1X,I14,1X,ANN))").next(plan.k, 2).next(width, 2).text();
  plan.separate = true;
  std::vector<std::string> cell_names;
  cell_names.reserve(count(n));
  for (std::int32_t j = 1; j <= n; ++j) {
    const std::int32_t o = order[at(j)];
    assert(o >= 1 && at(o) < names.size() && at(o) < iv.size());
    const std::string& s = names[at(o)];
    cell_names.push_back(io::pad(s, std::max(s.size(), static_cast<std::size_t>(width))));
  }
  print_blocks(
      n, plan, title,
      [&](std::int32_t j, std::vector<io::Value>& v) {
        v.emplace_back(iv[at(order[at(j)])]);
        v.emplace_back(cell_names[at(j)]);
      },
      page, lines, unit);
}

void pr_name_list(std::span<const std::string> names, std::span<const std::int32_t> num,
                  std::int32_t n, std::string_view title, std::int32_t& page, std::int32_t& lines,
                  std::int32_t unit) {
  assert(num.size() >= count(n) && names.size() >= count(n));
  const std::int32_t c = name_width(names, n);
  const std::vector<std::string> cell_names = padded_names(names, n, c);
  block_plan plan;
  plan.k = std::max(get_ncline() / (c + 9), 1);
  plan.line_layout = layout_fields("(NN(1X,I6,2X,ANN))").next(plan.k, 2).next(c, 2).text();
  plan.separate = true;
  print_blocks(
      n, plan, title,
      [&](std::int32_t j, std::vector<io::Value>& v) {
        v.emplace_back(num[at(j)]);
        v.emplace_back(cell_names[at(j)]);
      },
      page, lines, unit);
}

void privo(std::span<const float> x, std::span<const std::int32_t> num,
           std::span<const std::string> names, std::int32_t n, std::int32_t mode, std::int32_t ndig,
           std::string_view title, std::int32_t& page, std::int32_t& lines, std::int32_t unit,
           std::int32_t sep) {
  assert(x.size() >= count(n) && num.size() >= count(n) && names.size() >= count(n));
  const std::int32_t c = name_width(names, n);
  // Each name's first c characters, right-adjusted within c columns.
  const auto right_names = printing_detail::guarded_alloc("pr_vector_mod: privo: names", [&] {
    std::vector<std::string> v(count(n), std::string(static_cast<std::size_t>(c), ' '));
    for (std::int32_t j = 1; j <= n; ++j)
      rjust_text(io::pad(names[at(j)], static_cast<std::size_t>(c)), v[at(j)]);
    return v;
  });
  block_plan plan;
  plan.wrapped_title = true;
  if (choose_form(x, n, ndig).fixed(mode)) {
    make_list_formats(names, n, plan.k, sep, plan.line_layout);
  } else {
    // Exponent form, ordinals as wide as n has digits; as many items as fit the line.
    const std::int32_t nd = decimal_digits(n);
    plan.k = std::max((get_ncline() - 1) / (nd + c + 17), 1);
    plan.line_layout = layout_fields("(NN(1X,INN,1X,1PE14.6,1X,ANN))")
                           .next(plan.k, 2)
                           .next(nd, 2)
                           .next(c, 2)
                           .text();
  }
  print_blocks(
      n, plan, title,
      [&](std::int32_t j, std::vector<io::Value>& v) {
        v.emplace_back(num[at(j)]);
        v.emplace_back(x[at(j)]);
        v.emplace_back(right_names[at(j)]);
      },
      page, lines, unit);
}

// Item width d = c + 16 (c + 19 with separators); the spare columns of the line are shared
// out as f extra blanks in front of each item, and the line starts in column t so that the
// last item ends in the last column.
void make_list_formats(std::span<const std::string> names, std::int32_t n, std::int32_t& k,
                       std::int32_t sep, std::string& valfmt, std::string* namefmt) {
  const std::int32_t c = name_width(names, n);
  const std::int32_t usable = get_ncline() - 1;
  const std::int32_t d = sep != 0 ? c + 19 : c + 16;
  k = std::max(usable / d, 1);
  const std::int32_t f = std::max((usable - k * d) / k, 0);
  const std::int32_t t = std::max(usable + 2 - k * (d + f), 1);
  const std::int32_t repeat = sep != 0 ? std::max(k - 1, 1) : k;
  if (sep != 0) {
    valfmt = layout_fields("(TNN,NN(NNX,I3,1X,FNN.N,2X,ANN,'  |'),(NNX,I3,1X,FNN.N,2X,ANN))")
                 .next(t, 2)
                 .next(repeat, 2)
                 .next(f + 1, 2)
                 .next(6, 2)
                 .next(3, 1)
                 .next(c, 2)
                 .next(f + 1, 2)
                 .next(6, 2)
                 .next(3, 1)
                 .next(c, 2)
                 .text();
  } else {
    valfmt = layout_fields("(TNN,NN(NNX,I3,1X,FNN.N,2X,ANN))")
                 .next(t, 2)
                 .next(repeat, 2)
                 .next(f + 1, 2)
                 .next(6, 2)
                 .next(3, 1)
                 .next(c, 2)
                 .text();
  }
  if (namefmt == nullptr) return;
  if (sep != 0) {
    *namefmt = layout_fields("(TNN,NN(NNX,I3,2X,ANN,'  |'),(NNX,I3,2X,ANN))")
                   .next(t, 2)
                   .next(repeat, 2)
                   .next(f + 8, 2)
                   .next(c, 2)
                   .next(f + 8, 2)
                   .next(c, 2)
                   .text();
  } else {
    *namefmt = layout_fields("(TNN,NN(NNX,I3,2X,ANN))")
                   .next(t, 2)
                   .next(repeat, 2)
                   .next(f + 8, 2)
                   .next(c, 2)
                   .text();
  }
}

}  // namespace korvex
