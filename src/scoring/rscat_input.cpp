// RSCAT's input: the control card and its echo, the pair cards that name the pairs to draw,
// and the data, taken either from the composite scores in FSCOR1 (names from ONAMS1) or from
// the data storage file that DAP wrote. Everything lands in the scatterplot state.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "data_entry/means_check.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/printing.hpp"
#include "scoring/rscat_internal.hpp"
#include "storage/storage.hpp"

namespace korvex::rscat {

namespace {

constexpr std::string_view selection_error = "Error in scattergram selection cards.";
constexpr std::string_view too_many_in_input =
    "Number of variables greater than 18.  Decrease number of variables and try again.";
constexpr std::string_view too_many_subjects =
    "Number of subjects exceeds maximun for present number of variables.";
constexpr std::string_view dsf_tag = "RSCAT: Error reading the data storage file";

// What the input step knows beyond the state: the subject count of IPFILE or NSIN, the data
// source's own variable count and the original numbers of the selected variables.
struct input_run {
  std::int32_t monin = 0;
  std::int32_t mtdst = 0;
  bool ipfile_found = false;
  std::int32_t default_nsub = 0;
  std::int32_t nsin = 0;
  std::vector<std::int32_t> pair_numbers;  // SELECT 3: the numbers of the pair cards
  std::vector<std::int32_t> selected;      // original numbers of the selected variables
};

// The run title and the default subject count.
void read_title(input_run& in) {
  rscat_control_record& c = rscat_control();
  std::vector<std::string> words(12, std::string(6, ' '));
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_word_vector("IPFILE", 0, kpar, notfound, words);
  if (notfound == 0) {
    in.ipfile_found = true;
    in.default_nsub = kpar[0] >= 4 ? kpar[4] : 0;
  } else {
    words.assign(12, std::string(6, ' '));
    isf_idfile(0, notfound, words);
    if (notfound != 0) words.assign(12, std::string(6, ' '));
  }
  c.RTITLE.assign(160, ' ');
  words_to_line(words, c.RTITLE);
}

// The control card and its echo.
std::string read_control_card(input_run& in) {
  rscat_control_record& c = rscat_control();
  std::string card;
  if (!read_record(in.monin, card)) iostat_error(-1);
  card = io::pad(card, 80);
  pr_line(-1, c.width, "RSCAT control card ...", c.page, c.lines, c.monout);
  pager(-1);
  pager(1);
  put("( \"  NAME   COLUMNS  VALUE\")");
  echo_field(card.substr(0, 4), 1, 4, "SELECT");
  echo_field(card.substr(4, 4), 5, 8, "DATA");
  echo_field(card.substr(8, 4), 9, 12, "SLICE");
  echo_field(card.substr(12, 4), 13, 16, "SPOT");
  echo_field(card.substr(16, 4), 17, 20, "COMMON");
  echo_field(card.substr(20, 4), 21, 24, "NOLIST");
  echo_field(card.substr(24, 4), 25, 28, "NSIN");
  echo_field(card.substr(28, 3) + " ", 29, 31, "MISS");
  return card;
}

// The fields, blank ones taking their defaults.
void convert_fields(input_run& in, const std::string& card) {
  rscat_control_record& c = rscat_control();
  field_int(card.substr(0, 4), c.SELECT, 1);
  field_int(card.substr(4, 4), c.DATA, 1);
  field_int(card.substr(8, 4), c.SLICE, 0);
  field_int(card.substr(12, 4), c.SPOT, 0);
  field_int(card.substr(16, 4), c.COMMON, 0);
  field_int(card.substr(20, 4), c.NOLIST, 0);
  field_int(card.substr(24, 4), in.nsin, 0);
  field_int(card.substr(28, 3), c.MISS, 1);
  // The slice arrays hold 52 slices.
  if (c.SLICE > max_slices) {
    proc_error("SLICE (number of slices, columns 9-12) may not exceed 52.");
  }
}

// NSIN against IPFILE.
void check_subject_count(input_run& in) {
  if (!in.ipfile_found) {
    if (in.nsin == 0) proc_error("NSIN (number of subjects) required.");
    in.default_nsub = in.nsin;
  } else if (in.nsin != 0 && in.nsin != in.default_nsub) {
    proc_error("NSIN and IDFILE disagree.");
  }
}

// The selection mode, and for SELECT 3 the pair cards.
void read_selection(input_run& in) {
  rscat_control_record& c = rscat_control();
  if (c.SELECT == 1) return;
  if (c.SELECT == 2) {
    if (c.COMMON < 1) proc_error("With SELECT=2 \"COMMON\" must be set.");
    return;
  }
  if (c.SELECT != 3) proc_error("Bad select statement in INPUT.");
  pager(-1);
  pager(1);
  put("(\" Scattergrams requested.. \")");
  pager(-1);
  std::vector<std::string> entries;
  std::int32_t count = 0;
  std::int32_t error = 0;
  read_pair_cards(entries, max_pair_numbers, count, error);
  // No pair at all leaves the run nothing to draw: refused like an odd count.
  if (error != 0 || count % 2 != 0 || count == 0) proc_error(selection_error);
  c.NPAIRS = count / 2;
  in.pair_numbers.assign(static_cast<std::size_t>(count), 0);
  for (std::int32_t k = 0; k < count; ++k) {
    BCDBIN(entries[static_cast<std::size_t>(k)], in.pair_numbers[static_cast<std::size_t>(k)]);
  }
  in.selected = in.pair_numbers;
  std::sort(in.selected.begin(), in.selected.end());
  in.selected.erase(std::unique(in.selected.begin(), in.selected.end()), in.selected.end());
  if (in.selected.size() > static_cast<std::size_t>(max_variables)) {
    proc_error(
        "NUMBER OF VARIABLES GREATER THAN 18.  DECREASE NUMBER OF VARIABLES AND TRY AGAIN. ");
  }
  c.NVAR = static_cast<std::int32_t>(in.selected.size());
}

// Once the source's variable count nv is known: the selected variables for SELECT 1 and 2,
// and the checks that the selection names variables that exist.
void settle_selection(input_run& in, std::int32_t nv) {
  rscat_control_record& c = rscat_control();
  if (c.SELECT == 3) {
    // Card numbers name variables of the input; 0 (an empty entry) or a number past the
    // last variable would select nothing.
    for (std::int32_t v : in.pair_numbers) {
      if (v < 1 || v > nv) {
        proc_error(selection_error,
                   io::format_line("('PAIR NUMBER ',I0,' IS NOT A VARIABLE: THE VARIABLES ARE "
                                   "NUMBERED 1 TO ',I0,'.')",
                                   {v, nv}));
      }
    }
    return;
  }
  if (nv > max_variables) proc_error(too_many_in_input);
  c.NVAR = nv;
  in.selected.resize(static_cast<std::size_t>(nv));
  for (std::int32_t j = 1; j <= nv; ++j) in.selected[static_cast<std::size_t>(j - 1)] = j;
  // COMMON is set here (below 1 was refused with the cards) but names no variable.
  if (c.SELECT == 2 && c.COMMON > c.NVAR) {
    proc_error(io::format_line(
        "('With SELECT=2 \"COMMON\" (',I0,') exceeds the number of variables (',I0,').')",
        {c.COMMON, c.NVAR}));
  }
}

// The capacity check and the subject-name list.
void make_room(std::int32_t nsub) {
  rscat_control_record& c = rscat_control();
  if (nsub > c.MAXVAL / c.NVAR) proc_error(too_many_subjects);
  // No subject leaves nothing to compute a statistic over.
  if (nsub < 1) proc_error("RSCAT: There are no subjects to plot.");
  c.NSUB = nsub;
  c.SUBJNAME.assign(static_cast<std::size_t>(nsub), std::string(name_length, ' '));
  c.XDATA.assign(static_cast<std::size_t>(nsub) * static_cast<std::size_t>(c.NVAR), 0.0f);
  c.VLABEL.assign(static_cast<std::size_t>(c.NVAR), std::string(name_length, ' '));
}

float& value_at(std::int32_t subject, std::int32_t var) {
  rscat_control_record& c = rscat_control();
  return c.XDATA[static_cast<std::size_t>(subject - 1) +
                 static_cast<std::size_t>(var - 1) * static_cast<std::size_t>(c.NSUB)];
}

// The subject names of ONAMS1, blank when it is absent.
void read_subject_names() {
  rscat_control_record& c = rscat_control();
  Kpar kpar{};
  std::int32_t notfound = 0;
  SNFILE("ONAMS1", 0, kpar, notfound, {}, 1);
  if (notfound != 0) return;
  const std::int32_t d1 = kpar[0] >= 1 ? kpar[1] : 0;
  const std::int32_t d2 = kpar[0] >= 2 ? kpar[2] : 0;
  const std::int32_t b = kpar[0] >= 3 ? kpar[3] : 0;
  if (d1 != 1 || d2 != c.NSUB) proc_error("NS in FSCOR1 file and in ONAMS1 file disagree.");
  // Records of no name would never end the entry.
  if (b < 1) proc_error("RSCAT: ONAMS1 has a bad dimension record.");
  std::int32_t filled = 0;
  while (filled < c.NSUB) {
    SNFILE("ONAMS1", 0, kpar, notfound,
           std::span<std::string>(c.SUBJNAME).subspan(static_cast<std::size_t>(filled)), 2);
    filled += std::min(b, c.NSUB - filled);
  }
  for (std::string& name : c.SUBJNAME) name = io::pad(name, name_length);
}

// The composite scores of FSCOR1. The scores are taken in the order they stand,
// whatever the entry's record size; FACS's missing-score code becomes a missing value.
void read_scores(input_run& in) {
  rscat_control_record& c = rscat_control();
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_chunks("FSCOR1", 0, kpar, notfound, {}, 1);
  isf_not_found("FSCOR1", notfound);
  const std::int32_t nf = kpar[0] >= 1 ? kpar[1] : 0;
  const std::int32_t nsub = kpar[0] >= 2 ? kpar[2] : 0;
  const std::int32_t d3 = kpar[0] >= 3 ? kpar[3] : 0;
  // A record must hold at least one subject's scores, or the entry would never be read out.
  if (nf < 1 || nf > 999 || nsub < 0 || d3 < nf) {
    proc_error("RSCAT: FSCOR1 has a bad dimension record.");
  }
  std::vector<std::string> composite(static_cast<std::size_t>(nf));
  GENAME("C", composite, nf, 0);
  settle_selection(in, nf);
  make_room(nsub);
  const std::int64_t total = static_cast<std::int64_t>(nf) * nsub;
  const std::int64_t chunk = static_cast<std::int64_t>(nf) * (d3 / nf);
  std::vector<float> buffer(static_cast<std::size_t>(std::min(chunk, total)));
  std::vector<float> scores(static_cast<std::size_t>(nf));
  std::int64_t remaining = total;
  std::size_t have = 0;
  std::size_t used = 0;
  for (std::int32_t i = 1; i <= c.NSUB; ++i) {
    for (float& s : scores) {
      if (used == have) {
        isf_real_chunks("FSCOR1", 0, kpar, notfound, buffer, 2);
        have = static_cast<std::size_t>(std::min(remaining, chunk));
        remaining -= static_cast<std::int64_t>(have);
        used = 0;
      }
      s = buffer[used++];
    }
    for (std::int32_t j = 1; j <= c.NVAR; ++j) {
      const std::int32_t v = in.selected[static_cast<std::size_t>(j - 1)];
      c.VLABEL[static_cast<std::size_t>(j - 1)] = composite[static_cast<std::size_t>(v - 1)];
      const float s = scores[static_cast<std::size_t>(v - 1)];
      value_at(i, j) = s == missing_score ? std::nanf("") : s;
    }
  }
  read_subject_names();
}

// The check of the data storage file against MEANS1, which DAP wrote with it: nothing when
// MEANS1 is absent (the subjects are then the NSIN of the card). MEANS1 must describe nv
// variables, else it is not the file's and the run stops. Its count may differ from the NSUB
// of IPFILE or NSIN: the file is then read to the end of MEANS1's subjects for the check.
std::optional<dsf::means_check> data_check(std::int32_t nv) {
  std::vector<float> means(999, 0.0f);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_vector("MEANS1", 0, kpar, notfound, means);
  if (notfound != 0) return std::nullopt;
  const std::int32_t count = kpar[0] >= 3 ? kpar[3] : 0;
  if (kpar[1] != nv) dsf::refuse_other_variables("RSCAT", kpar[1], nv);
  means.resize(static_cast<std::size_t>(nv));
  return std::optional<dsf::means_check>(std::in_place, "RSCAT", means, count);
}

// The variables of the data storage file.
void read_data_file(input_run& in) {
  rscat_control_record& c = rscat_control();
  rewind_unit(in.mtdst);
  std::vector<std::string> words(dsf::title_word_count);
  std::int32_t status = dsf::read_title_record(in.mtdst, words);
  if (status == -1) proc_error("RSCAT: The data storage file is empty. Be sure DAP was run before RSCAT.");
  check_io_stat(dsf_tag, status);
  check_io_stat(dsf_tag, dsf::read_title_record(in.mtdst, words));
  std::int32_t nv = 0;
  std::int32_t missing_flag = 0;
  check_io_stat(dsf_tag, dsf::read_counts_record(in.mtdst, nv, missing_flag));
  if (nv < 1 || nv > 999) proc_error("RSCAT: The data storage file has a bad number of variables.");
  std::vector<std::string> names(static_cast<std::size_t>(nv), std::string(name_length, ' '));
  check_io_stat(dsf_tag, dsf::read_names_record(in.mtdst, names, nv));
  settle_selection(in, nv);
  make_room(in.default_nsub);
  std::optional<dsf::means_check> check = data_check(nv);
  skip_to_zero_record(in.mtdst);
  dsf::subject_reader reader(in.mtdst, nv);
  std::vector<float> values(static_cast<std::size_t>(nv));
  std::int32_t number = 0;
  for (std::int32_t i = 1; i <= c.NSUB; ++i) {
    std::string& name = c.SUBJNAME[static_cast<std::size_t>(i - 1)];
    if (!reader.next(values, name, number)) {
      if (check) check->ended_after_own(i - 1);
      proc_error("RSCAT: The data storage file holds " + std::to_string(i - 1) +
                 " subjects where " + std::to_string(c.NSUB) + " were expected.");
    }
    if (check) check->add(values);
    name = io::pad(name, name_length);
    for (std::int32_t j = 1; j <= c.NVAR; ++j) {
      const std::int32_t v = in.selected[static_cast<std::size_t>(j - 1)];
      c.VLABEL[static_cast<std::size_t>(j - 1)] = io::pad(names[static_cast<std::size_t>(v - 1)], name_length);
      value_at(i, j) = values[static_cast<std::size_t>(v - 1)];
    }
  }
  // The subjects MEANS1 counts beyond the NSUB drawn are read for the check alone; more
  // drawn than it counts are more than its data hold.
  if (check && c.NSUB > check->subjects()) dsf::refuse_extra_subjects("RSCAT", check->subjects());
  for (std::int32_t i = c.NSUB + 1; check && i <= check->subjects(); ++i) {
    if (!reader.next(values)) check->ended_after(i - 1);
    check->add(values);
  }
  if (check) check->finish(reader, values);
  rewind_unit(in.mtdst);
}

// With MISS other than 1 every value counts as present: a missing one has no slice or cell.
void refuse_missing_values() {
  rscat_control_record& c = rscat_control();
  if (c.MISS == 1) return;
  for (std::int32_t i = 1; i <= c.NSUB; ++i) {
    for (std::int32_t j = 1; j <= c.NVAR; ++j) {
      if (std::isnan(c.x(i, j))) {
        proc_error("RSCAT: Subject " + std::to_string(i) + " has no value on " +
                   std::string(io::trim_right(c.VLABEL[static_cast<std::size_t>(j - 1)])) +
                   ". Missing values need MISS=1.");
      }
    }
  }
}

}  // namespace

void echo_field(std::string_view text, std::int32_t first, std::int32_t last, std::string_view name) {
  std::string right(6, ' ');
  rjust_text(name, right);
  pager(1);
  put("(1X,A6,5X,I2,\"-\",I2,3X,A)", {right, first, last, text});
}

void read_pair_cards(std::vector<std::string>& entries, std::int32_t max, std::int32_t& count,
                     std::int32_t& error) {
  const std::int32_t monin = get_unit("MONIN");
  constexpr std::string_view classes = " ,+0123456789.";
  entries.clear();
  count = 0;
  error = 0;
  std::string number;
  for (;;) {
    pager(1);
    std::string card;
    if (!read_record(monin, card)) iostat_error(-1);
    card = io::pad(card, 80);
    put("(1X,A80)", {card});
    for (std::int32_t col = 1; col <= 72; ++col) {
      const char ch = card[static_cast<std::size_t>(col - 1)];
      const std::size_t kind = classes.find(ch);
      bool bad = false;
      if (kind == 0) {
        continue;
      } else if (kind >= 3 && kind <= 12) {
        if (number.size() < 6) number += ch;
      } else if (kind == 2) {
        ++count;
        if (count > max) {
          bad = true;
        } else {
          entries.push_back(io::pad(number, 6));
          number.clear();
        }
      } else if (kind == 13) {
        return;
      } else {
        bad = true;  // a comma, or a character outside the list
      }
      if (bad) {
        std::vector<io::Value> marker(static_cast<std::size_t>(col - 1), io::Value(" "));
        marker.emplace_back("^");
        write_formatted(rscat_control().monout, "(1x,72a1)", marker);
        error = 1;
        count = static_cast<std::int32_t>(entries.size());
        return;
      }
    }
  }
}

void INPUT() {
  rscat_control_record& c = rscat_control();
  input_run in;
  in.monin = get_unit("MONIN");
  in.mtdst = get_unit("MTDST");
  read_title(in);
  pager(-6);
  pr_line(0, c.width, c.RTITLE, c.page, c.lines, c.monout);
  pager(-2);
  const std::string card = read_control_card(in);
  convert_fields(in, card);
  check_subject_count(in);
  read_selection(in);
  if (c.DATA == 1) {
    read_scores(in);
  } else {
    read_data_file(in);
  }
  if (c.SELECT == 3) {
    for (std::int32_t l = 0; l < c.NPAIRS; ++l) {
      for (std::int32_t e = 0; e < 2; ++e) {
        const std::int32_t v = in.pair_numbers[static_cast<std::size_t>(2 * l + e)];
        c.PAIRS[static_cast<std::size_t>(l)][static_cast<std::size_t>(e)] =
            static_cast<std::int32_t>(std::lower_bound(in.selected.begin(), in.selected.end(), v) -
                                      in.selected.begin()) + 1;
      }
    }
  }
  if (c.SLICE == 0) c.SLICE = c.NSUB > 200 ? 17 : 12;
  refuse_missing_values();
}

}  // namespace korvex::rscat
