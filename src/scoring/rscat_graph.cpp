// RSCAT's scattergram and spotter: the 51 by 51 grid of a pair, one cell a tenth of a
// standard deviation wide, with frequency codes, marginal counts, percentile ranks, score
// calibrations and the lines through the means and at one and two standard deviations; then
// the spotter, which names row by row the subjects behind every cell of the grid.
#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "printing/page.hpp"
#include "scoring/rscat_internal.hpp"

namespace korvex::rscat {

namespace {

// The grid's lines: row and column 26 hold the means, 16 and 36 one standard deviation off,
// 6 and 46 two.
constexpr std::array<std::int32_t, 5> line_rows = {26, 6, 16, 36, 46};

// The cell texts of row r from the sorted cell list, with the lines drawn through them.
std::vector<std::string> row_cells(std::int32_t r, const scattergram_result& g, std::size_t& next) {
  std::array<std::int32_t, grid_size> count{};
  const std::size_t end = next + static_cast<std::size_t>(g.row_counts[at(r)]);
  for (; next < end; ++next) ++count[at(g.codes[next] % 100)];
  std::vector<std::string> cells(grid_size);
  for (std::size_t k = 0; k < cells.size(); ++k) cells[k] = freq_code(count[k]);
  dot_if_blank(cells[at(26)]);
  const std::int32_t kind = find_int(line_rows, 5, r);
  if (kind == 1) {
    for (std::string& cell : cells) dot_if_blank(cell);
  } else if (kind <= 5) {
    for (std::string& cell : cells) dash_if_blank(cell);
  } else {
    for (std::int32_t col : {6, 16, 36, 46}) dash_if_blank(cells[at(col)]);
  }
  return cells;
}

std::string margin_code(std::int32_t count) {
  const std::string code = freq_code(count);
  return code == "  " ? " 0" : code;
}

// One line of a spotter row: the rank or dash on the row's first line, the indent after it.
void spot_line(std::int32_t& line_number, std::int32_t r, const std::string& text,
               const scattergram_result& g) {
  pager(1);
  if (line_number == 0) {
    line_number = 1;
    if (r % 2 == 1) {
      put("(1X,I3,2X,A)", {g.row_ranks[at((r + 1) / 2)], text});
    } else {
      put("(2X,A1,3X,A)", {"-", text});
    }
  } else {
    put("(6X,A )", {text});
  }
}

// A subject number without leading zeros.
std::string subject_text(std::int32_t number) {
  const std::string digits = int_to_text(number, 6);
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

}  // namespace

std::int32_t cell_index(float value, double lower, float cell) {
  const double v = single(single(static_cast<double>(value) - lower) / static_cast<double>(cell));
  if (!(v < 50.0)) return 50;  // high values, and a position that is not a number
  if (v < 0.0) return 0;
  return static_cast<std::int32_t>(v);
}

void sort_codes(std::vector<std::int32_t>& keys, std::vector<std::int32_t>& companions) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return keys[a] != keys[b] ? keys[a] < keys[b] : companions[a] < companions[b];
  });
  std::vector<std::int32_t> k(keys.size());
  std::vector<std::int32_t> c(keys.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    k[i] = keys[order[i]];
    c[i] = companions[order[i]];
  }
  keys.swap(k);
  companions.swap(c);
}

std::string freq_code(std::int32_t count) {
  if (count >= 360) return "**";
  if (count <= 0) return "  ";
  static constexpr std::string_view tens = " 123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  static constexpr std::string_view units = "0123456789";
  std::string code(2, ' ');
  code[0] = tens[static_cast<std::size_t>(count / 10)];
  code[1] = units[static_cast<std::size_t>(count % 10)];
  return code;
}

std::int32_t percentile_rank(std::int32_t count, float N, float bias) {
  const float rank = 100.0f * static_cast<float>(count) / N + bias;
  // With no plotted subject the quotient is not a number.
  if (!std::isfinite(rank) || rank < 0.0f) return 0;
  return static_cast<std::int32_t>(rank);
}

void dot_if_blank(std::string& text) {
  if (text == "  ") text = " .";
}

void dash_if_blank(std::string& text) {
  if (text == "  ") text = " -";
}

void scattergram(std::int32_t X, std::int32_t Y, const pair_result& pr, scattergram_result& g) {
  const rscat_control_record& c = rscat_control();
  const float cell_x = 0.1f * c.SDEV[at(X)];
  const float cell_y = 0.1f * c.SDEV[at(Y)];
  // The calibrations run from the plotting bounds, which may lie past the float range.
  std::array<double, 11> col_cal{};
  std::array<double, 11> row_cal{};
  const double first_x = single(c.LOWER[at(X)] + static_cast<double>(0.5f * cell_x));
  const double first_y = single(c.UPPER[at(Y)] - static_cast<double>(0.5f * cell_y));
  for (std::int32_t j = 1; j <= 11; ++j) {
    const auto cells = static_cast<double>(static_cast<float>(5 * (j - 1)));
    col_cal[at(j)] = single(first_x + single(cells * static_cast<double>(cell_x)));
    row_cal[at(j)] = single(first_y - single(cells * static_cast<double>(cell_y)));
  }
  g.row_counts.fill(0);
  g.col_counts.fill(0);
  g.codes.clear();
  g.subjects.clear();
  for (std::int32_t i = 1; i <= c.NSUB; ++i) {
    const float x = c.x(i, X);
    const float y = c.x(i, Y);
    if (c.MISS == 1 && (std::isnan(x) || std::isnan(y))) continue;
    const std::int32_t column = cell_index(x, c.LOWER[at(X)], cell_x) + 1;
    const std::int32_t row = grid_size - cell_index(y, c.LOWER[at(Y)], cell_y);
    g.codes.push_back(100 * row + column);
    g.subjects.push_back(i);
    ++g.row_counts[at(row)];
    ++g.col_counts[at(column)];
  }
  sort_codes(g.codes, g.subjects);

  std::int32_t below = 0;
  for (std::int32_t k = 1; k <= 26; ++k) {
    below += g.col_counts[at(2 * k - 1)] + (k > 1 ? g.col_counts[at(2 * k - 2)] : 0);
    g.col_ranks[at(k)] = percentile_rank(below, pr.N, 0.50001f);
  }
  std::int32_t from_bottom = 0;
  for (std::int32_t k = 26; k >= 1; --k) {
    from_bottom += g.row_counts[at(2 * k - 1)] + (k < 26 ? g.row_counts[at(2 * k)] : 0);
    g.row_ranks[at(k)] = percentile_rank(from_bottom, pr.N, 0.5001f);
  }

  std::vector<io::Value> top;
  std::vector<std::string> first(grid_size);
  std::vector<std::string> second(grid_size);
  for (std::size_t k = 0; k < first.size(); ++k) {
    const std::string code = margin_code(g.col_counts[k]);
    first[k] = code.substr(0, 1);
    second[k] = code.substr(1, 1);
  }
  top.assign(first.begin(), first.end());
  write_formatted(c.monout, "(12X,51(A1,1X))", top);
  top.assign(second.begin(), second.end());
  top.emplace_back(pr.plotted);
  write_formatted(c.monout, "(\" Marginal\",3x,51(A1,1X),I5)", top);
  pager(-1);

  std::size_t next = 0;
  for (std::int32_t r = 1; r <= grid_size; ++r) {
    const std::vector<std::string> cells = row_cells(r, g, next);
    const std::string margin = margin_code(g.row_counts[at(r)]);
    const bool calibrated = (r - 1) % 5 == 0;
    std::vector<io::Value> items;
    if (r % 2 == 1) items.emplace_back(g.row_ranks[at((r + 1) / 2)]);
    if (calibrated) items.emplace_back(row_cal[at((r + 4) / 5)]);
    items.insert(items.end(), cells.begin(), cells.end());
    items.emplace_back(margin);
    std::string_view layout;
    if (r % 2 == 1) {
      layout = calibrated ? "(1X,I3,F7.2,1X,51A2,4X,A2 )" : "(1X, I3, 8X, 51A2, 4X, A2 )";
    } else {
      layout = calibrated ? "(4X,F7.2,1X,51A2, 4X,A2)" : "( 1X, 11X, 51A2, 4X, A2 )";
    }
    write_formatted(c.monout, layout, items);
  }
  std::vector<io::Value> cal(col_cal.begin(), col_cal.end());
  write_formatted(c.monout, "(7X,11F10.2,\" MR\" )", cal);
  std::vector<io::Value> ranks(g.col_ranks.begin(), g.col_ranks.end());
  write_formatted(c.monout, "(10X,26I4)", ranks);
}

void print_spotter(std::int32_t X, std::int32_t Y, std::int32_t n, const scattergram_result& g) {
  const rscat_control_record& c = rscat_control();
  pager(0);
  pager(1);
  put("(1X,A72,15X,A20,\"-\",A20,12X,\"PAGE\",I3)",
      {c.RTITLE.substr(0, 72), c.VLABEL[at(X)], c.VLABEL[at(Y)], c.page});
  pager(-1);
  pager(1);
  put("(1X,50X,\"SPOTTER   BY ORDINAL NUMBER\")");
  pager(-1);
  const std::size_t total = std::min(g.codes.size(), static_cast<std::size_t>(n < 0 ? 0 : n));
  std::size_t next = 0;
  // Rows below the last occupied one are not printed; with no plotted subject, none is.
  for (std::int32_t r = 1; r <= grid_size && next < total; ++r) {
    const auto count = static_cast<std::size_t>(g.row_counts[at(r)]);
    if (count == 0) {
      pager(1);
      if (r % 2 == 1) {
        put("(1X,I3)", {g.row_ranks[at((r + 1) / 2)]});
      } else {
        put("( 2X,A1)", {"-"});
      }
      continue;
    }
    std::string line;
    std::int32_t line_number = 0;
    bool open = false;
    for (std::size_t e = 0; e < count; ++e) {
      const std::size_t idx = next + e;
      bool close = false;
      if (idx + 1 < total && g.codes[idx + 1] == g.codes[idx]) {
        if (!open) {
          line += "(";
          open = true;
        }
      } else if (open) {
        close = true;
      }
      line += subject_text(g.subjects[idx]);
      if (close) {
        line += ")";
        open = false;
      }
      line += ",";
      if (line.size() >= 108 && e + 1 < count) {
        spot_line(line_number, r, line, g);
        line.clear();
      }
    }
    line.pop_back();
    spot_line(line_number, r, line, g);
    next += count;
  }
}

}  // namespace korvex::rscat
