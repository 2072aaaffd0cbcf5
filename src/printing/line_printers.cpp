// Line and scalar printers: titles, captions, messages and banner lines are wrapped at blanks
// into pieces and placed left, centred or right on the listing (pr_line) or into a caller's
// text buffer (expand_line); pr_scalar prints one value under a caption. Also the printers'
// own page start, which the vector printers share.
#include <algorithm>
#include <cassert>
#include <string>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/printing.hpp"
#include "printing/printing_int.hpp"

namespace korvex {

namespace printing_detail {

void begin_printer_page(std::int32_t& page, std::int32_t unit) {
  if (page < 0) {
    write_record(unit, "1");
    return;
  }
  page += 1;
  const layout_fields header = layout_fields("('1',NNNX,'Page',I5)")
                                   .next(get_ncline() - 10 - (page_number_width(page) - 5), 3);
  write_formatted(unit, widen_page_number(header.text(), page), {page});
}

}  // namespace printing_detail

namespace {

using printing_detail::layout_fields;

// The longest piece the printers lay out: pieces are copied into a buffer of 160 characters.
constexpr std::int32_t piece_buffer = 160;

// The characters of a piece, with the hard blanks turned into blanks.
std::string piece_text(std::string_view text, const line_piece& p) {
  std::string s(text.substr(static_cast<std::size_t>(p.first - 1),
                            static_cast<std::size_t>(p.last - p.first + 1)));
  std::replace(s.begin(), s.end(), hard_blank, ' ');
  return s;
}

bool is_blank_text(const std::vector<line_piece>& pieces) {
  return pieces.front().last == 0 && pieces.front().broken == 1;
}

// The piece layout "(1X,Tnnn,Annn,'-')" (or without the carriage-control blank), completed
// with the start column and width; an unbroken piece ends at the A item.
std::string piece_layout(bool carriage_control, std::int32_t column, std::int32_t width,
                         bool broken) {
  layout_fields f(carriage_control ? "(1X,TNNN,ANNN,'-')" : "(TNNN,ANNN,'-')");
  f.next(column, 3).next(width, 3);
  std::string text = f.text();
  if (!broken) text.replace(text.size() - 5, 5, ")");
  return text;
}

// The body shared by pr_scalar and Pr_scalar_int: a new page when fewer than 3 lines are
// left, the caption, an empty line, the value and up to three empty lines after it.
void print_scalar(std::string_view value_layout, const io::Value& value, std::string_view caption,
                  std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  const std::int32_t nc = get_ncline();
  if (lines < 3) {
    printing_detail::begin_printer_page(page, unit);
    write_formatted(unit, "(1X)");
    lines = get_nlpage();
  }
  pr_line(-1, nc - 1, caption, page, lines, unit);
  write_formatted(unit, "(1x)");
  write_formatted(unit, value_layout, std::span<const io::Value>(&value, 1));
  const std::int32_t m = std::min(lines - 3, 3);
  for (std::int32_t i = 0; i < m; ++i) write_formatted(unit, "(1X)");
  lines = lines - m - 3;
}

}  // namespace

// A window of maxlen + 1 characters is searched for its last blank; without one, a word is
// broken after maxlen - 1 characters (at least one, so the scan always moves on).
std::vector<line_piece> split_line(std::int32_t maxlen, std::string_view text) {
  const auto L = static_cast<std::int32_t>(io::trim_right(text).size());
  if (L == 0) return {{1, 0, 1}, {1, 0, 0}};
  auto column_char = [&](std::int64_t col) { return text[static_cast<std::size_t>(col - 1)]; };
  std::int32_t c = 1;
  while (column_char(c) == ' ') ++c;
  const std::int32_t step = maxlen > 1 ? maxlen - 1 : 1;
  std::vector<line_piece> pieces;
  for (;;) {
    const std::int64_t d = static_cast<std::int64_t>(c) + maxlen;
    if (d > L) {
      pieces.push_back({c, L, 0});
      break;
    }
    std::int64_t b = 0;
    for (std::int64_t i = d; i >= c; --i) {
      if (column_char(i) == ' ') {
        b = i;
        break;
      }
    }
    if (b == 0) {
      pieces.push_back({c, c + step - 1, 1});
      c += step;
    } else {
      std::int64_t e = b - 1;
      while (e >= c && column_char(e) == ' ') --e;
      pieces.push_back({c, static_cast<std::int32_t>(e), 0});
      c = static_cast<std::int32_t>(b + 1);
    }
    if (c > L) break;
  }
  pieces.push_back({1, 0, 0});
  return pieces;
}

void pr_line(std::int32_t mode, std::int32_t maxlen, std::string_view text, std::int32_t& page,
             std::int32_t& lines, std::int32_t unit) {
  const std::int32_t nc = get_ncline();
  const std::vector<line_piece> pieces = split_line(std::min(maxlen, piece_buffer), text);
  if (is_blank_text(pieces)) {
    PAGER(1, page, lines, unit);
    write_formatted(unit, "(1x)");
    return;
  }
  const auto k = static_cast<std::int32_t>(pieces.size()) - 1;
  PAGER(k, page, lines, unit);
  for (std::int32_t i = 0; i < k; ++i) {
    const line_piece& p = pieces[static_cast<std::size_t>(i)];
    const std::int32_t n = p.last - p.first + 1;
    std::int32_t s = 0;
    switch (mode) {
      case -1:
        s = 1;
        break;
      case 0:
        s = nc / 2 - n / 2;
        break;
      case 1:
        s = nc - n;
        break;
      default:
        proc_error("error in pr_line; select case default");
    }
    if (n <= 0) {  // a break inside a run of blanks before a very long word
      write_formatted(unit, "(1X)");
      continue;
    }
    s = std::max(s, 1);  // never over the carriage-control column
    write_formatted(unit, piece_layout(true, s + 1, n, p.broken != 0), {piece_text(text, p)});
  }
}

void expand_line(std::int32_t mode, std::int32_t maxlen, std::string_view text,
                 std::span<std::string> buf, std::int32_t& nout) {
  for (std::string& line : buf) line.assign(line.size(), ' ');
  const std::vector<line_piece> pieces = split_line(std::min(maxlen, piece_buffer), text);
  if (is_blank_text(pieces)) {
    nout = buf.empty() ? 0 : 1;
    return;
  }
  const std::size_t k = std::min(pieces.size() - 1, buf.size());
  for (std::size_t i = 0; i < k; ++i) {
    const line_piece& p = pieces[i];
    const std::int32_t n = p.last - p.first + 1;
    std::int32_t s = 0;
    std::int32_t w = n;
    switch (mode) {
      case -1:
        s = 1;
        break;
      case 0: {
        const std::int32_t m = (maxlen + 1) / 2;
        const std::int32_t h = (n + 1) / 2;
        s = m - h;
        w = maxlen % 2 != 0 ? 2 * h + 1 : 2 * h;
        break;
      }
      case 1:
        s = maxlen - n + 1;
        break;
      default:
        proc_error("error in expand_line; select case default");
    }
    if (n <= 0) continue;
    s = std::max(s, 1);
    // The piece stands in a buffer of blanks, so a field wider than the piece shows blanks.
    std::string piece =
        io::pad(piece_text(text, p), static_cast<std::size_t>(std::max(w, piece_buffer)));
    const std::string record = io::format_line(piece_layout(false, s, w, p.broken != 0), {piece});
    buf[i] = io::pad(record, buf[i].size());
  }
  nout = static_cast<std::int32_t>(k);
}

void pr_scalar(float x, std::int32_t mode, std::int32_t ndig, std::string_view caption,
               std::int32_t& page, std::int32_t& lines, std::int32_t unit) {
  std::string layout;
  if (mode == 1) {
    if (ndig < 0 || ndig > 9) proc_error("pr_scalar: Invalid ndig parameter");
    layout = "(4x,F11.X)";
    int_to_text(ndig, std::span<char>(layout.data() + 8, 1));
  } else if (mode == 2) {
    layout = "(4x,1PE11.2)";
  } else {
    proc_error("pr_scalar: Invalid mode parameter");
  }
  print_scalar(layout, io::Value(x), caption, page, lines, unit);
}

void Pr_scalar_int(std::int32_t ival, std::string_view caption, std::int32_t& page,
                   std::int32_t& lines, std::int32_t unit) {
  print_scalar("(1x,7X,I6)", io::Value(ival), caption, page, lines, unit);
}

}  // namespace korvex
