// Statistics-table columns of the data-entry listing: formatters that turn a vector of
// reals, integers, texts or proportions into right-aligned text cells and a cell width,
// the fitting of the columns to the line, and the printing of the caption line and rows
// under the data-entry listing's own page counter (table_pager).
#include <algorithm>
#include <cassert>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/printing.hpp"

namespace korvex {

namespace {

// Every value is first written into a field of this many characters.
constexpr std::int32_t field_width = 20;
// The table's caption and row lines.
constexpr std::int32_t table_line = 132;

// Length of a value's text: from the field's first non-blank character to its end.
std::int32_t text_length(const std::string& field) {
  const std::size_t first = field.find_first_not_of(' ');
  return first == std::string::npos ? 0 : static_cast<std::int32_t>(field.size() - first);
}

// The first `width` characters of entry := the last `width` characters of field (blanks in
// front when the cell is wider than the field); the rest of the entry stays.
void set_cell(std::string& entry, const std::string& field, std::int32_t width) {
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  const std::string cell = w <= field.size() ? field.substr(field.size() - w)
                                             : std::string(w - field.size(), ' ') + field;
  entry.replace(0, std::min(w, entry.size()), cell, 0, std::min(w, entry.size()));
}

// Writes text into line from 1-based column col; characters outside the line are dropped.
void place(std::string& line, std::int64_t col, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::int64_t c = col + static_cast<std::int64_t>(i);
    if (c >= 1 && c <= static_cast<std::int64_t>(line.size()))
      line[static_cast<std::size_t>(c - 1)] = text[i];
  }
}

std::string_view trimmed(const std::string& s) { return io::trim_right(s); }

}  // namespace

// Values are written with (F20.ndig); when every one of them ends in a point and ndig zeros
// the point and the zeros are dropped from all of them (whole = 1), so that a column of
// whole numbers shows no decimals while a column with any fraction keeps them all.
void pr_column_real(std::span<const float> x, std::int32_t n, std::int32_t min_width,
                    std::int32_t ndig, std::span<std::string> entries, std::int32_t& width,
                    std::int32_t& whole) {
  if (n < 1) {
    width = std::max(min_width, 0);
    whole = 1;
    return;
  }
  assert(x.size() >= static_cast<std::size_t>(n) && entries.size() >= static_cast<std::size_t>(n));
  assert(ndig >= 0 && ndig <= 13);
  const std::int32_t decimals = std::clamp(ndig, 0, 13);
  const std::string layout =
      io::format_line(R"lay(("(F",I0,".",I0,")"))lay", {field_width, decimals});
  std::vector<std::string> fields;
  fields.reserve(static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i) {
    fields.push_back(io::pad(io::format_line(layout, {x[at(i)]}), field_width));
  }
  const auto tail = static_cast<std::size_t>(decimals + 1);
  const std::string zeros = std::string(".0000000000000").substr(0, tail);
  whole = std::all_of(
              fields.begin(), fields.end(),
              [&](const std::string& f) { return f.compare(f.size() - tail, tail, zeros) == 0; })
              ? 1
              : 0;
  if (whole == 1) {
    for (std::string& f : fields) f = std::string(tail, ' ') + f.substr(0, f.size() - tail);
  }
  width = min_width;
  for (const std::string& f : fields) width = std::max(width, text_length(f));
  for (std::int32_t i = 1; i <= n; ++i) set_cell(entries[at(i)], fields[at(i)], width);
}

void pr_column_int(std::span<const std::int32_t> iv, std::int32_t n, std::int32_t min_width,
                   std::span<std::string> entries, std::int32_t& width) {
  width = std::max(min_width, 0);
  if (n < 1) return;
  assert(iv.size() >= static_cast<std::size_t>(n) && entries.size() >= static_cast<std::size_t>(n));
  std::vector<std::string> fields;
  fields.reserve(static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i)
    fields.push_back(io::pad(io::format_line("(I20)", {iv[at(i)]}), field_width));
  width = min_width;
  for (const std::string& f : fields) width = std::max(width, text_length(f));
  for (std::int32_t i = 1; i <= n; ++i) set_cell(entries[at(i)], fields[at(i)], width);
}

void pr_column_char(std::span<const std::string> text, std::int32_t n, std::int32_t field,
                    std::span<std::string> entries, std::int32_t& width) {
  width = 0;
  if (n < 1) return;
  assert(text.size() >= static_cast<std::size_t>(n) &&
         entries.size() >= static_cast<std::size_t>(n));
  const std::string layout = io::format_line(R"lay(("(A",I0,")"))lay", {std::max(field, 1)});
  for (std::int32_t i = 1; i <= n; ++i) {
    // Names are held at their full length, so (A<field>) copies them left-aligned.
    const std::string& t = text[at(i)];
    const std::string full =
        io::pad(t, std::max(t.size(), static_cast<std::size_t>(std::max(field, 1))));
    const std::string f = io::pad(io::format_line(layout, {full}), field_width);
    width = std::max(width, static_cast<std::int32_t>(trimmed(f).size()));
    std::string& entry = entries[at(i)];
    entry = io::pad(f, entry.size());
  }
}

// The width stays min_width: the callers' captions leave room for "100.".
void pr_column_pct(std::span<const float> x, std::int32_t n, std::int32_t min_width,
                   std::span<std::string> entries, std::int32_t& width, std::int32_t& whole) {
  width = min_width;
  whole = 1;
  if (n < 1) return;
  assert(x.size() >= static_cast<std::size_t>(n) && entries.size() >= static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i) {
    const float v = x[at(i)];
    std::string& entry = entries[at(i)];
    if (v < 0.0f || v > 1.0f) {
      const std::string stars(static_cast<std::size_t>(std::clamp(width, 0, field_width)), '*');
      set_cell(entry, io::pad(stars, static_cast<std::size_t>(std::max(width, 0))), width);
    } else {
      set_cell(entry, io::pad(io::format_line("(2PF20.0)", {v}), field_width), width);
    }
  }
}

// A table that leaves at least one free character per column is left alone; otherwise the
// free characters (or the overflow) are shared over the gaps of the stretchable columns,
// narrow columns first, the remainder one at a time. A table wider than the line keeps one
// blank before each stretchable column, so that neighbouring numbers never run together,
// as long as its rows still fit the 132 characters that the table printer lays out.
void pr_column_fit(std::span<table_column> table, std::int32_t ncols) {
  const auto count = static_cast<std::size_t>(
      std::clamp<std::int64_t>(ncols, 0, static_cast<std::int64_t>(table.size())));
  const std::int32_t nc = get_ncline();
  std::int32_t d = 1;
  for (std::size_t i = 0; i < count; ++i) {
    table_column& col = table[i];
    col.width = std::max(col.width, static_cast<std::int32_t>(trimmed(col.caption).size()));
    d += col.gap + col.width;
  }
  std::int32_t s = nc - d + 1;
  if (s >= ncols) return;
  std::vector<std::size_t> L;
  for (std::size_t i = 0; i < count; ++i) {
    if (table[i].stretch != 0) L.push_back(i);
  }
  const auto m = static_cast<std::int32_t>(L.size());
  if (m == 0) return;
  for (std::size_t p = 0; p + 1 < L.size(); ++p) {
    for (std::size_t q = p + 1; q < L.size(); ++q) {
      if (table[L[p]].width >= table[L[q]].width) std::swap(L[p], L[q]);
    }
  }
  const std::int32_t t = s / m;
  std::int32_t widened = d;
  for (std::size_t i : L) widened += std::max(table[i].gap + t, std::min(table[i].gap, 1)) - table[i].gap;
  const bool keep_blank = widened - 1 <= table_line;
  for (std::size_t i : L) {
    table[i].gap = std::max(table[i].gap + t, keep_blank ? std::min(table[i].gap, 1) : 0);
    s -= t;
  }
  auto span_of = [&](std::size_t i) { return table[L[i]].width + table[L[i]].gap; };
  for (std::int32_t k = 1; k <= m && s > 0; ++k) {
    table[L[0]].gap += 1;
    s -= 1;
    for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(k); ++i) {
      if (span_of(i) > span_of(i + 1)) std::swap(L[i], L[i + 1]);
    }
  }
}

// Every table starts on a new page: the pager's lines left are set to 0 before the first
// row, and every page of the table begins with the caption line.
void pr_column_captions(std::span<table_column> table, std::int32_t ncols, table_pager& pager) {
  const auto count = static_cast<std::size_t>(
      std::clamp<std::int64_t>(ncols, 0, static_cast<std::int64_t>(table.size())));
  std::string captions(table_line, ' ');
  std::int64_t p = 1;
  for (std::size_t i = 0; i < count; ++i) {
    const table_column& col = table[i];
    const std::int64_t start = p + col.gap;
    const std::string_view caption = trimmed(col.caption);
    const auto L = static_cast<std::int64_t>(caption.size());
    std::int64_t from = start;
    switch (col.just) {
      case -1:
        from = start;
        break;
      case 0:
        from = start + (col.width + 1) / 2 - L / 2;
        break;
      case 1:
        from = start + col.width - L;
        break;
      default:
        proc_error("JUST is invalid");
    }
    place(captions, from, std::string(caption) + " ");
    p = start + col.width;
  }
  const std::string_view caption_line = io::trim_right(captions);

  const std::size_t rows = count == 0 ? 0 : table[0].entries.size();
  pager.lines_left() = 0;
  for (std::size_t j = 0; j < rows; ++j) {
    if (pager.lines_left() <= 5) {
      write_formatted(pager.unit(), "(1X)");
      pager.new_page();
      write_formatted(pager.unit(), "(A)", {caption_line});
      write_formatted(pager.unit(), "(1X)");
    }
    std::string row(table_line, ' ');
    p = 1;
    for (std::size_t i = 0; i < count; ++i) {
      const table_column& col = table[i];
      const std::int64_t start = p + col.gap;
      if (col.in_use != 0 && col.width > 0) {
        const std::string cell = j < col.entries.size() ? col.entries[j] : std::string();
        place(row, start, io::pad(cell, static_cast<std::size_t>(col.width)));
      }
      p = start + col.width;
    }
    write_formatted(pager.unit(), "(A)", {io::trim_right(row)});
    pager.lines_left() -= 1;
  }
  write_formatted(pager.unit(), "(1X)");
  pager.lines_left() -= 1;
}

}  // namespace korvex
