// Subject records: each subject's record set is read from MTXIN1 into the subject buffer by
// the storage plan, entirely blank sets are skipped, numeric fields converted by the fixed-
// column scanner, blank fields and MVAL codes made missing, values put in output order and
// reflected; then the subject's name is settled and its values enter the running moments.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "data_entry/dap_internal.hpp"
#include "data_entry/field_scan.hpp"
#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"

namespace korvex::dap {

namespace {

// Width of one entry of the missing-value code table: 39 copies of the digit and a blank.
constexpr std::size_t code_entry_width = 40;

bool all_blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// True when the field's text equals the first w characters of the code table's entry for
// the digit. A field wider than the entry never matches.
bool is_missing_code(std::string_view text, char digit) {
  if (text.size() > code_entry_width) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char expected = i + 1 < code_entry_width ? digit : ' ';
    if (text[i] != expected) return false;
  }
  return true;
}

// The text of field k (1-based table index) in the subject buffer.
std::string_view field_text(const dap_run_state& r, std::int32_t k) {
  const std::int32_t first = r.plan.field_start[at(k)];
  const std::int32_t last = r.plan.field_end[at(k)];
  return std::string_view(r.subject_buffer).substr(at(first), static_cast<std::size_t>(last - first + 1));
}

// Blanks the field texts of records first..last, which were not read for this subject.
void blank_records(dap_run_state& r, std::int32_t first, std::int32_t last) {
  for (std::int32_t rec = first; rec <= last; ++rec) {
    for (const copy_run& run : r.plan.record_runs[at(rec)]) {
      std::memset(r.subject_buffer.data() + at(run.position), ' ', static_cast<std::size_t>(run.length));
    }
  }
}

bool buffer_blank(const dap_run_state& r) {
  const std::string_view b(r.subject_buffer);
  return all_blank(b.substr(0, static_cast<std::size_t>(r.plan.low_end))) &&
         all_blank(b.substr(at(r.plan.high_start)));
}

// Moves the field texts of record `rec` into the buffer, every position of them: columns
// past the record's end read as blanks, as if the record were padded.
void take_record(dap_run_state& r, std::int32_t rec, const std::string& line) {
  for (const copy_run& run : r.plan.record_runs[at(rec)]) {
    const auto from = at(run.column);
    const auto length = static_cast<std::size_t>(run.length);
    const std::size_t n = from < line.size() ? std::min(length, line.size() - from) : 0;
    char* to = r.subject_buffer.data() + at(run.position);
    std::memcpy(to, line.data() + std::min(from, line.size()), n);
    if (n < length) std::memset(to + n, ' ', length - n);
  }
}

bool read_data_record(std::int32_t unit, std::string& line) {
  try {
    return read_record(unit, line);
  } catch (const io::IoError& e) {
    check_io_stat(e.what(), e.status() != 0 ? e.status() : 1);
  }
  return false;
}

// The end of the data inside the record set of the subject being read, at record rec.
void end_of_data(std::int32_t rec, bool blank, std::int32_t& status) {
  dap_common_record& c = run().common;
  const std::int32_t u = print_state().unit;
  if (blank) rec = 1;
  dap_blank_line();
  dap_line(0);
  if (rec == 1 && c.subject_count > 2) {
    c.subject_count -= 1;
    c.record_set_count -= 1;
    if (c.subject_count == c.record_set_count) {
      write_formatted(u, "(1X,I6,' SUBJECTS HAVE BEEN READ.')", {c.subject_count});
    } else {
      write_formatted(u, "(1X,I6,' SUBJECTS HAVE BEEN READ, BUT SOME HAD NO DATA.',I6,' SUBJECTS HAVE DATA.')",
                      {c.record_set_count, c.subject_count});
    }
    status = 1;
  } else {
    write_formatted(u, "(' END OF FILE RECORD HAS BEEN FOUND AT SUBJECT NUMBER',I6,' RECORD NUMBER',I4,'. ',I6,' SUBJECTS HAVE DATA.')",
                    {c.record_set_count, rec, c.subject_count});
    c.subject_count -= 1;
    c.record_set_count -= 1;
    status = 2;
  }
  write_formatted(u, "(1X)");
}

// A numeric field the engine cannot read as a number stops the run, naming the subject and
// the variable; it never stands for a value. The variable of format field k is numbered as the
// blank-field message numbers it: by its output position h, where var_source(h) = k (after a
// reordering h differs from k; its name var_names(h) is input_names(k) either way).
[[noreturn]] void not_a_number(const dap_run_state& r, std::int32_t k, std::string_view text) {
  std::int32_t h = k;
  const std::int32_t nv = r.common.nv;
  for (std::int32_t i = 1; i <= nv && at(i) < r.work.var_source.size(); ++i) {
    if (r.work.var_source[at(i)] == k) {
      h = i;
      break;
    }
  }
  const std::string& name = r.input_names[at(k)];
  proc_error("VARIABLE " + number_text(h) + " (" + std::string(io::trim_right(name)) + ") OF SUBJECT NUMBER " +
             number_text(r.common.record_set_count) + " IS NOT A NUMBER: \"" + std::string(text) + "\"");
}

float negate(float x) {
  const float y = std::bit_cast<float>(std::bit_cast<std::uint32_t>(x) ^ 0x80000000u);
  return y == 0.0f ? 0.0f : y;
}

}  // namespace

// The subject count is raised once for the subject, the record-set count once per record set
// read; the end of data takes back what it raised (end_of_data).
void DPRSUB(std::int32_t& status, std::int32_t& blank_errors) {
  dap_run_state& r = run();
  dap_common_record& c = r.common;
  dap_work_record& w = r.work;
  const std::int32_t u = print_state().unit;
  blank_errors = 0;
  c.subject_count += 1;
  std::string& line = r.line;
  for (;;) {
    c.record_set_count += 1;
    std::int32_t eof_at = 0;
    for (std::int32_t rec = 1; rec <= c.records_per_subject; ++rec) {
      if (!read_data_record(c.mtxin1, line)) {
        eof_at = rec;
        blank_records(r, rec, c.records_per_subject);
        break;
      }
      take_record(r, rec, line);
    }
    const bool blank = buffer_blank(r);
    if (eof_at > 0) {
      end_of_data(eof_at, blank, status);
      return;
    }
    if (!blank) break;
    write_formatted(u, "(' THE INPUT RECORD(S) FOR SUBJECT NUMBER ',I6,' ARE ENTIRELY BLANK. THE SUBJECT IS DISCARDED.')",
                    {c.record_set_count});
  }

  // In the usual run (the format's order kept, no missing-value code) each value goes to its
  // output position as it is scanned, a blank field as the missing value.
  const bool blank_is_error = c.nomiss == 1 || c.mval_code > 1;
  const auto nv = static_cast<std::int32_t>(r.plan.numeric_list.size());
  bool in_place = c.mval_code < 2 && c.nv == nv;
  for (std::int32_t h = 1; in_place && h <= nv; ++h) in_place = w.var_source[at(h)] == h;

  // Numeric fields, in the order of the format: they lie side by side from position 1.
  const char* text = r.subject_buffer.data();
  // Fields that have 8 bytes of the buffer from their first column on take the word scan.
  const char* word_end = text + r.subject_buffer.size() - 8;
  std::int32_t blanks = 0;
  for (std::int32_t k = 1; k <= nv; ++k) {
    const auto width = static_cast<std::size_t>(r.numeric_widths[at(k)]);
    float x = 0.0f;
    const std::int32_t decimals = r.numeric_decimals[at(k)];
    const scan_outcome got = text <= word_end ? scan_plain_fixed_word(text, width, decimals, x)
                                              : scan_plain_fixed(text, width, decimals, x);
    if (got == scan_outcome::other &&
        !read_fixed_field_engine(std::string_view(text, width), r.numeric_layouts[at(k)], x)) {
      not_a_number(r, k, std::string_view(text, width));
    }
    const bool blank = got == scan_outcome::blank;
    blanks += blank ? 1 : 0;
    w.raw_blank[at(k)] = blank ? 1 : 0;
    if (in_place) {
      w.var_value[at(k)] = blank ? c.missing : x;
      w.var_present[at(k)] = blank ? 0 : 1;
    } else {
      w.raw_values[at(k)] = x;
    }
    text += width;
  }

  // Output order, blank fields and missing-value codes.
  const char code_digit = static_cast<char>('0' + (c.mval_code - 2));
  for (std::int32_t h = 1; h <= c.nv && (!in_place || (blank_is_error && blanks > 0)); ++h) {
    const std::int32_t k = w.var_source[at(h)];
    if (!in_place) {
      w.var_present[at(h)] = 1;
      w.var_value[at(h)] = w.raw_values[at(k)];
    }
    if (w.raw_blank[at(k)] != 0) {
      if (blank_is_error) {
        blank_errors += 1;
        dap_blank_line();
        dap_line(0);
        write_formatted(u, "(' Variable',I4,' (',A,') is blank for subject number',I6)",
                        {h, io::trim_right(r.var_names[at(h)]), c.record_set_count});
      }
      w.var_present[at(h)] = 0;
      w.var_value[at(h)] = c.missing;
    } else if (c.mval_code >= 2 && is_missing_code(field_text(r, r.plan.numeric_list[at(k)]), code_digit)) {
      w.var_present[at(h)] = 0;
      w.var_value[at(h)] = c.missing;
    }
  }

  for (std::int32_t i = 1; i <= c.reflect_count; ++i) {
    const std::int32_t h = w.reflect_list[at(i)];
    w.var_value[at(h)] = negate(w.var_value[at(h)]);
  }
  status = 0;
}

std::string clean_subject_name(std::string_view first_name) {
  std::string name;
  for (const char ch : first_name) {
    if (is_name_character(ch)) name += ch;
  }
  return io::pad(name, name_length);
}

void DPCSUB(std::int32_t& error) {
  dap_run_state& r = run();
  dap_common_record& c = r.common;
  const std::int32_t u = print_state().unit;
  error = 0;
  std::string data_name(name_length, ' ');
  if (c.alpha_count > 0) {
    const std::string first = io::pad(field_text(r, r.plan.alpha_list[0]), name_length);
    for (std::int32_t i = 2; i <= c.alpha_count; ++i) {
      const std::string_view text = field_text(r, r.plan.alpha_list[at(i)]);
      if (io::padded_equal(text, first)) continue;
      dap_blank_line();
      dap_line(0);
      write_formatted(u, "(' SUBJECT NAME INCONSISTENCY AT SUBJECT NUMBER',I6,' NAME 1 IS ',A20,' NAME ',I3,' IS ',A20)",
                      {c.subject_count, first, i, text});
      error = 1;
    }
    data_name = clean_subject_name(first);
  }
  const std::int32_t s = c.subject_count;
  if (!r.subject_names.is_blank(s)) return;
  if (!all_blank(data_name)) {
    r.subject_names.set(s, data_name);
    return;
  }
  // GENAME("OBJ", subject limit, s): the number zero-padded to the digits of the limit.
  char generated[name_length];
  const auto digits = static_cast<std::size_t>(decimal_digits(c.subject_limit));
  std::memcpy(generated, "OBJ", 3);
  int_to_text(s, std::span<char>(generated + 3, digits));
  r.subject_names.set(s, std::string_view(generated, 3 + digits));
}

namespace {

// a, where the condition holds, else b: the bits chosen with masks, so that the loop below
// has no branch and vectorises.
double pick(bool condition, double a, double b) {
  const std::uint64_t m = 0 - static_cast<std::uint64_t>(condition);
  return std::bit_cast<double>((std::bit_cast<std::uint64_t>(a) & m) | (std::bit_cast<std::uint64_t>(b) & ~m));
}
float pick(bool condition, float a, float b) {
  const std::uint32_t m = 0 - static_cast<std::uint32_t>(condition);
  return std::bit_cast<float>((std::bit_cast<std::uint32_t>(a) & m) | (std::bit_cast<std::uint32_t>(b) & ~m));
}

// One subject's values into the running moments of nv variables (the arrays do not overlap).
// Every variable's update is formed and kept only for a value present: the same arithmetic
// in the same order as a loop that skips the missing values, with no branch to mispredict.
void accumulate(std::size_t nv, const float* __restrict values, float* __restrict lows, float* __restrict highs,
                std::int32_t* __restrict counts, double* __restrict sums, double* __restrict means,
                double* __restrict m2s) {
  for (std::size_t h = 0; h < nv; ++h) {
    const float x = values[h];
    const bool present = !std::isnan(x);
    const std::int32_t before = counts[h];
    const float low = lows[h];
    const float high = highs[h];
    const std::int32_t n = before + 1;
    const double xd = x;
    const double sum = sums[h] + xd;
    const double delta = xd - means[h];
    const double mean = means[h] + delta / n;
    const double m2 = m2s[h] + delta * (xd - mean);
    // The first value present sets both extremes; std::min and std::max as written out.
    lows[h] = pick(present, pick(before == 0, x, x < low ? x : low), low);
    highs[h] = pick(present, pick(before == 0, x, high < x ? x : high), high);
    counts[h] = before + (present ? 1 : 0);
    sums[h] = pick(present, sum, sums[h]);
    means[h] = pick(present, mean, means[h]);
    m2s[h] = pick(present, m2, m2s[h]);
  }
}

}  // namespace

// Welford's update in double precision, in subject order; NaN values (either sign) are
// missing and skipped.
void DPACCU() {
  dap_work_record& w = run().work;
  accumulate(static_cast<std::size_t>(run().common.nv), w.var_value.data(), w.var_min.data(),
             w.var_max.data(), w.var_count.data(), w.run_sum.data(), w.run_mean.data(), w.run_m2.data());
}

// Means into var_value, standard deviations (divisor N) into var_sigma, sums into var_sum,
// each rounded once from double to single precision.
void DPMSTD() {
  dap_work_record& w = run().work;
  const auto nv = static_cast<std::size_t>(run().common.nv);
  for (std::size_t h = 0; h < nv; ++h) {
    const std::int32_t n = w.var_count[h];
    // A sum beyond the range (which stops the run, see first_sum_beyond_single) is kept as
    // the infinity of its sign rather than converted.
    const double sum = w.run_sum[h];
    const float inf = std::numeric_limits<float>::infinity();
    w.var_sum[h] = fits_single(sum) ? static_cast<float>(sum) : (sum > 0.0 ? inf : -inf);
    if (n > 0) {
      float mean = static_cast<float>(w.run_mean[h]);
      if (mean == 0.0f) mean = 0.0f;
      const double v = w.run_m2[h] / n;
      w.var_value[h] = mean;
      w.var_sigma[h] = v > 0.0 ? static_cast<float>(std::sqrt(v)) : 0.0f;
    } else {
      w.var_value[h] = 0.0f;
      w.var_sigma[h] = 0.0f;
    }
  }
}

std::int32_t first_sum_beyond_single() {
  const dap_work_record& w = run().work;
  const std::int32_t nv = run().common.nv;
  for (std::int32_t h = 1; h <= nv; ++h) {
    if (!fits_single(w.run_sum[at(h)])) return h;
  }
  return 0;
}

}  // namespace korvex::dap
