// *DPRINT: lists the data storage file that the data-entry component writes on MTDST. DPRINT
// reads and prints the identification records; DPRINT2 reads the subject records block by
// block and prints the data matrix under run-time layouts that fit the listing width. Both
// read through the data storage file's one reader, which checks every record against what
// it must hold before anything is taken from it.
#include "executive/dprint.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "io/record_file.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

constexpr std::string_view tag = "Dprint";
constexpr std::size_t title_length = 72;
// The longest row line the layouts are made for; wider listings use these columns.
constexpr std::int32_t max_line = 160;

// Stops the run when a record is shorter than what it must hold.
[[noreturn]] void too_short(std::size_t held, std::size_t need, const std::string& what) {
  proc_error("Dprint: " + what + " of the data storage file holds " + std::to_string(held) +
             " bytes; it needs " + std::to_string(need) + ".");
}

// The outcome of a head read: a record read whole but too short is named with its size;
// the end of the file (status -1) or a damaged frame ends the run through the status check.
void check_head(std::int32_t status, std::size_t held, std::size_t need, const std::string& what) {
  if (status == 0) return;
  if (held < need) too_short(held, need, what);
  check_io_stat(tag, status);
}

// A record size no read sets: a failed head read left it untouched.
constexpr std::size_t unread = static_cast<std::size_t>(-1);

// pr_line with the trimmed length of the text as its piece length.
void print_text(std::int32_t mode, std::string_view text, std::int32_t& page, std::int32_t& lines,
                std::int32_t monout) {
  const auto length = static_cast<std::int32_t>(io::trim_right(text).size());
  pr_line(mode, length, text, page, lines, monout);
}

// One title record: printed as it stands (12 words of 6), returned as the 72-column line.
std::string title_record(std::int32_t unit, const std::string& what, std::int32_t& page,
                         std::int32_t& lines, std::int32_t monout) {
  std::vector<std::string> words(dsf::title_word_count);
  std::size_t held = unread;
  const std::int32_t status = dsf::read_title_record(unit, words, &held);
  check_head(status, held, dsf::title_record_bytes, what);
  PAGER(-1, page, lines, monout);
  const std::vector<io::Value> values(words.begin(), words.end());
  print_text(-1, io::format("(12A6)", values).front(), page, lines, monout);
  std::string line;
  words_to_line(words, line);
  return line;
}

}  // namespace

void DPRINT(std::int32_t unit, std::span<std::string> names, std::int32_t& nv,
            std::int32_t& nomiss, std::string& title, std::int32_t& page, std::int32_t& lines,
            std::int32_t monout) {
  PAGER(0, page, lines, monout);
  rewind_unit(unit);
  PAGER(-2, page, lines, monout);
  print_text(0, io::format_line("(\"CONTENTS OF DATA FILE\",I2)", {unit}), page, lines, monout);
  PAGER(-2, page, lines, monout);
  print_text(0, " FIRST FILE   ( IDENTIFICATION )", page, lines, monout);

  PAGER(-2, page, lines, monout);
  print_text(-1, "RECORD 1", page, lines, monout);
  title = title_record(unit, "Record 1 (the title)", page, lines, monout);
  // The second title record is shown as it stands; the two are not compared.
  PAGER(-2, page, lines, monout);
  print_text(-1, "RECORD 2", page, lines, monout);
  (void)title_record(unit, "Record 2 (the title)", page, lines, monout);

  PAGER(-2, page, lines, monout);
  print_text(-1, "RECORD 3", page, lines, monout);
  std::size_t held = unread;
  std::int32_t status = dsf::read_counts_record(unit, nv, nomiss, &held);
  check_head(status, held, dsf::counts_record_bytes, "Record 3 (the counts)");
  PAGER(-1, page, lines, monout);
  print_text(-1, io::format_line("(\"NV = \",I4,15X,\"NOMISS = \",I4) ", {nv, nomiss}), page,
             lines, monout);
  const auto capacity =
      static_cast<std::int32_t>(std::min<std::size_t>(names.size(), dprint_max_variables));
  if (nv < 1 || nv > capacity) {
    proc_error("Dprint: The data storage file gives NV = " + std::to_string(nv) +
               "; the number of variables must lie between 1 and " + std::to_string(capacity) +
               ".");
  }

  PAGER(-1, page, lines, monout);
  held = unread;
  status = dsf::read_names_record(unit, names, nv, &held);
  check_head(status, held, dsf::names_record_bytes(nv),
             "Record 4 (the " + std::to_string(nv) + " variable names)");

  try {
    skip_to_zero_record(unit);
  } catch (const io::IoError& e) {
    check_io_stat(tag, e.status() != 0 ? e.status() : 1);
  }
}

std::int32_t read_onams1() {
  Kpar kpar{};
  std::int32_t notfound = 0;
  SNFILE("ONAMS1", 0, kpar, notfound, {}, 1);
  if (notfound != 0) return 0;
  // The entry holds d1 * d2 names in records of d1 * floor(d3 / d1) (1, NSUB and 100 as the
  // data-entry component writes it).
  const std::int64_t d1 = kpar[1];
  const std::int64_t total = std::max<std::int64_t>(0, d1 * kpar[2]);
  const std::int64_t per_record = d1 > 0 ? d1 * (kpar[3] / d1) : 0;
  if (total == 0 || per_record < 1) return 0;
  std::vector<std::string> buffer;
  try {
    buffer.assign(static_cast<std::size_t>(std::min(per_record, total)),
                  std::string(isf_name_length, ' '));
  } catch (const std::bad_alloc&) {
    check_alloc_stat("onmsize", 1);
  }
  std::int32_t width = 0;
  for (std::int64_t remaining = total; remaining > 0;) {
    const std::int64_t count = std::min(per_record, remaining);
    SNFILE("ONAMS1", 0, kpar, notfound, buffer, 2);
    width = std::max(width, max_len_trim(buffer, static_cast<std::int32_t>(count)));
    remaining -= count;
  }
  return width;
}

namespace {

// A layout text completed at run time: each run of "N" placeholders, from the left,
// receives the next number through int_to_text.
std::string complete(std::string text, std::initializer_list<std::int64_t> numbers) {
  std::size_t at = 0;
  for (const std::int64_t number : numbers) {
    at = text.find('N', at);
    std::size_t end = at;
    while (end < text.size() && text[end] == 'N') ++end;
    int_to_text(number, std::span<char>(text.data() + at, end - at));
    at = end;
  }
  return text;
}

// The layout numbers and completed layouts of one data matrix listing.
struct MatrixLayout {
  std::int32_t nsub = 0;     // subjects, from MEANS1
  std::int32_t w_var = 0;    // longest trimmed variable name
  std::int32_t d_sub = 1;    // digits of nsub
  std::int32_t w_sub = 1;    // subject name columns
  std::int32_t p = 0;        // columns in front of the first value column
  std::int32_t c = 1;        // value columns per line
  std::int32_t h = 5;        // header lines of one block
  std::int32_t rows = 1;     // subjects per block (R)
  std::int32_t groups = 1;   // variable groups
  std::int32_t nc = 118;     // listing width the layouts are made for
  std::string title_line;
  std::string numbers_1, names_1, numbers_2, names_2;  // the second pair only when w_var >= 10
  std::string row;
  std::string row_out;
};

// Digits of the subject count as the listing has always counted them: the single-precision
// decimal logarithm plus 1, truncated (99 gives 2, 100 gives 3).
std::int32_t subject_digits(std::int32_t nsub) {
  if (nsub < 1) return 1;  // no logarithm of 0
  return static_cast<std::int32_t>(std::log(static_cast<float>(nsub)) * 0.4342945f + 1.0f);
}

// The page header: "1", blanks, "PAGE" and the number, ending in column nc; a number of
// more than 5 digits takes its extra columns from the blanks.
std::string page_header(const MatrixLayout& m, std::int32_t page) {
  const std::int32_t blanks = m.nc - 10 - (page_number_width(page) - 5);
  return widen_page_number(complete("(\"1\",NNNX,\"PAGE\",I5)", {blanks}), page);
}

MatrixLayout make_layout(std::int32_t nsub, std::span<const std::string> names, std::int32_t nv) {
  MatrixLayout m;
  m.nsub = nsub;
  m.nc = std::min(get_ncline(), max_line);
  m.w_var = max_len_trim(names, nv);
  m.d_sub = subject_digits(nsub);
  // Blank or absent subject names still get a column, so the row layout stays valid.
  m.w_sub = std::max(1, read_onams1());
  m.h = m.w_var >= 10 ? 7 : 5;
  // The first label pair of long names begins 10 columns left of the value columns; the
  // subject columns are widened when they leave no room for that.
  if (m.w_var >= 10) m.w_sub = std::max(m.w_sub, 5 - m.d_sub);
  m.p = m.d_sub + m.w_sub + 6;
  m.c = std::max(1, (m.nc - m.p) / 10);
  // A page too short for one row under its header still lists one subject per block.
  m.rows = std::max(1, rows_per_block(m.h));
  m.groups = (nv + m.c - 1) / m.c;

  m.title_line = complete("(1X,ANNN)", {std::min(m.nc - 1, 72)});
  if (m.w_var < 10) {
    m.numbers_1 = complete("(NNX,NNINN)", {m.p, m.c, 10});
    m.names_1 = complete("(NNX,NNANN)", {m.p, m.c, 10});
  } else {
    // Odd columns of a group in the first pair, even ones in the second; each label ends
    // where its value column ends. The repeat counts are upper bounds (at least 1).
    m.numbers_1 = complete("(NNX,NNINN)", {m.p - 10, (m.c + 1) / 2, 20});
    m.names_1 = complete("(NNX,NNANN)", {m.p - 10, (m.c + 1) / 2, 20});
    m.numbers_2 = complete("(NNX,NNINN)", {m.p, std::max(1, m.c / 2), 20});
    m.names_2 = complete("(NNX,NNANN)", {m.p, std::max(1, m.c / 2), 20});
  }
  m.row = complete("(1X,INN,2X,ANN,3X,NNFNN.3)", {m.d_sub, m.w_sub, m.c, 10});
  m.row_out = complete("(ANNN)", {m.nc});
  return m;
}

// The subject records of one block.
struct Block {
  std::vector<std::string> names;
  std::vector<std::int32_t> numbers;
  std::vector<float> values;  // nv per subject
};

void read_block(dsf::subject_reader& reader, std::int32_t nv, std::int32_t nomiss,
                std::int32_t first_subject, std::int32_t rows, Block& b) {
  const auto nvs = static_cast<std::size_t>(nv);
  // Values, name, number and, unless NOMISS is 1, the presence flags (required, not used).
  const bool flagged = nomiss != 1;
  for (std::int32_t s = 0; s < rows; ++s) {
    const std::span<float> values =
        std::span<float>(b.values).subspan(static_cast<std::size_t>(s) * nvs, nvs);
    const std::int32_t status = reader.read_whole(values, b.names[s], b.numbers[s], flagged);
    if (status == dsf::short_record) {
      too_short(reader.record_size(), reader.subject_bytes(flagged),
                "The record of subject " + std::to_string(first_subject + s));
    }
    check_io_stat(tag, status);
  }
}

// The labels of one group: the variables' numbers and right-aligned names on one pair of
// lines, or the odd and the even columns on two pairs when the names are long.
void print_group_header(const MatrixLayout& m, std::span<const std::string> names,
                        std::int32_t first, std::int32_t last, std::int32_t monout) {
  auto pair = [&](const std::string& number_layout, const std::string& name_layout,
                  std::int32_t from, std::int32_t step) {
    std::vector<io::Value> numbers;
    std::vector<std::string> aligned;
    for (std::int32_t j = from; j <= last; j += step) {
      numbers.emplace_back(j);
      std::string a(static_cast<std::size_t>(m.w_var), ' ');
      rjust_text(names[j - 1], a);
      aligned.push_back(std::move(a));
    }
    const std::vector<io::Value> texts(aligned.begin(), aligned.end());
    write_formatted(monout, number_layout, numbers);
    write_formatted(monout, name_layout, texts);
  };
  write_formatted(monout, "(1X)");
  if (m.w_var < 10) {
    pair(m.numbers_1, m.names_1, first, 1);
  } else {
    pair(m.numbers_1, m.names_1, first, 2);
    pair(m.numbers_2, m.names_2, first + 1, 2);
  }
  write_formatted(monout, "(1X)");
}

// One subject's row of a group: number, name and values, MISSING over a missing value when
// the file admits missing data.
void print_row(const MatrixLayout& m, const Block& b, std::int32_t s, std::int32_t nv,
               std::int32_t nomiss, std::int32_t first, std::int32_t last, std::int32_t monout) {
  std::vector<io::Value> values;
  values.emplace_back(b.numbers[s]);
  values.emplace_back(b.names[s]);
  const float* x = b.values.data() + static_cast<std::size_t>(s) * static_cast<std::size_t>(nv);
  for (std::int32_t j = first; j <= last; ++j) values.emplace_back(x[j - 1]);
  std::string line = io::pad(io::format(m.row, values).front(), max_line);
  if (nomiss == 0) {
    for (std::int32_t j = first; j <= last; ++j) {
      if (!isnan(x[j - 1])) continue;
      const auto at = static_cast<std::size_t>(m.p + (j - first) * 10);
      if (at + 10 <= line.size()) line.replace(at, 10, "   MISSING");
    }
  }
  write_formatted(monout, m.row_out, {line});
}

}  // namespace

void DPRINT2(std::int32_t unit, std::span<const std::string> names, std::int32_t nv,
             std::int32_t nomiss, const std::string& title, std::int32_t& page,
             std::int32_t& lines, std::int32_t monout) {
  PAGER(-1, page, lines, monout);
  print_text(0, " SECOND FILE   ( DATA MATRIX )", page, lines, monout);
  PAGER(-1, page, lines, monout);

  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<float> means(static_cast<std::size_t>(isf_matrix_ld));
  isf_real_vector("MEANS1", 0, kpar, notfound, means);
  if (notfound != 0) {
    PAGER(-4, page, lines, monout);
    PAGER(1, page, lines, monout);
    write_formatted(monout,
                    "(\" THE MEANS1 FILE OF THE ISF FILE IS NOT AVALIABLE - THE NUMBER OF SUBJECTS "
                    "CAN NOT BE OBTAINED. PROGRAM TERMINATED *\")");
    stop_run();
  }
  nv = std::clamp<std::int32_t>(nv, 0, static_cast<std::int32_t>(names.size()));
  const std::int32_t nsub = kpar[0] >= 3 ? std::max(0, kpar[3]) : 0;
  const MatrixLayout m = make_layout(nsub, names, nv);

  std::int32_t avail = lines - 2;
  if (avail > 0) write_formatted(monout, "(1X/1X)");
  if (m.groups > 1) avail = 0;

  Block b;
  const std::size_t held = static_cast<std::size_t>(std::max(1, std::min(m.rows, nsub)));
  try {
    b.names.assign(held, std::string(isf_name_length, ' '));
    b.numbers.assign(held, 0);
    b.values.assign(held * static_cast<std::size_t>(nv), 0.0f);
  } catch (const std::bad_alloc&) {
    check_alloc_stat(tag, 1);
  }
  const std::string title72 = io::pad(title, title_length);
  dsf::subject_reader reader(unit, nv);

  for (std::int32_t first_subject = 1; first_subject <= nsub; first_subject += m.rows) {
    const std::int32_t rows = std::min(nsub - first_subject + 1, m.rows);
    read_block(reader, nv, nomiss, first_subject, rows, b);
    for (std::int32_t first = 1; first <= nv; first += m.c) {
      const std::int32_t last = std::min(first + m.c - 1, nv);
      if (avail < rows + m.h) {
        if (page < 0) {
          write_record(monout, "1");
        } else {
          page += 1;
          write_formatted(monout, page_header(m, page), {page});
        }
        write_formatted(monout, "(1x)");
        avail = get_nlpage() - 2;
      }
      write_formatted(monout, m.title_line, {title72});
      print_group_header(m, names, first, last, monout);
      for (std::int32_t s = 0; s < rows; ++s) print_row(m, b, s, nv, nomiss, first, last, monout);
      avail = std::max(0, avail - (rows + m.h));
      const std::int32_t gap = std::min(avail, 4);
      for (std::int32_t k = 0; k < gap; ++k) write_formatted(monout, "(1X)");
      avail -= gap;
    }
  }

  lines = m.groups == 1 ? avail : 0;
  rewind_unit(unit);
}

}  // namespace korvex
