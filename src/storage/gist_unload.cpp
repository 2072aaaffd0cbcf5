// UNLOAD, the unload half of GIST: for a control card with IO 0 it reads the entry of the
// card's label from the ISF and punches it on MONPUN as a package that LOAD reads back: a
// load card, a layout card when the cards need one, the parameter card, then the labelled
// data cards. The listing shows only the package header.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "storage/gist.hpp"
#include "storage/gist_int.hpp"

namespace korvex::gist {

namespace {

constexpr std::int32_t ld = isf_matrix_ld;

std::size_t cell(std::int32_t i, std::int32_t j) {
  return static_cast<std::size_t>(j - 1) * ld + static_cast<std::size_t>(i - 1);
}

std::string label_of(const GistRun& run) { return std::string(io::trim_right(run.card.label)); }

// The entry as read from the ISF, in the holder its type word uses.
struct Entry {
  std::vector<float> a;          // vectors (first column), matrices, squares (both triangles)
  std::vector<std::int32_t> ia;  // the same for integers
  std::vector<std::string> names;
  std::vector<std::string> words;
  std::vector<std::int32_t> counts;   // indicator sets: members per set
  std::vector<std::int32_t> members;  // 99 per set
};

// How the data cards carry the values.
enum class DataCards {
  fixed,        // reals as I8 integers at `scale` (the package's "(9F8.d)" or "(9F8.4)")
  exact,        // reals in exponent form, "(1P4E18.9)"
  plain,        // integers as I4, words, names: the default layouts
  wide,         // integers as I12, "(6I12)"
};

struct Plan {
  DataCards form = DataCards::plain;
  float scale = 1.0f;
  std::int32_t flag = 0;  // 1: the package carries a layout card
};

// Reads the entry by type word; returns notfound.
std::int32_t read_entry(GistRun& run, Entry& e) {
  const LabelRow& row = run.row();
  const std::string& label = row.label;
  std::int32_t notfound = 0;
  run.kpar.fill(0);
  switch (row.type) {
    case TypeWord::ifile:
      e.counts.assign(at0(run.set_limit), 0);
      e.members.assign(at0(run.set_limit) * isf_list_ld, 0);
      isf_int_table(label, 0, run.kpar, notfound, e.counts, e.members);
      break;
    case TypeWord::mfile:
      e.a.assign(at0(ld) * ld, 0.0f);
      isf_real_matrix(label, 0, run.kpar, notfound, e.a);
      break;
    case TypeWord::mifile:
      e.ia.assign(at0(ld) * ld, 0);
      isf_int_matrix(label, 0, run.kpar, notfound, e.ia);
      break;
    case TypeWord::rfile:
      e.a.assign(at0(ld) * ld, 0.0f);
      isf_real_square(label, 0, run.kpar, notfound, e.a, 2);
      break;
    case TypeWord::rifile:
      e.ia.assign(at0(ld) * ld, 0);
      isf_int_square(label, 0, run.kpar, notfound, e.ia, 2);
      break;
    case TypeWord::sfile:
      isf_real_chunks(label, 0, run.kpar, notfound, e.a, 1);
      break;
    case TypeWord::snfile:
      SNFILE(label, 0, run.kpar, notfound, e.names, 1);
      break;
    case TypeWord::vfile:
      e.a.assign(at0(ld), 0.0f);
      isf_real_vector(label, 0, run.kpar, notfound, e.a);
      break;
    case TypeWord::vafile:
      e.words.assign(12, std::string(isf_label_length, ' '));
      isf_word_vector(label, 0, run.kpar, notfound, e.words);
      break;
    case TypeWord::vifile:
      e.ia.assign(at0(ld), 0);
      isf_int_vector(label, 0, run.kpar, notfound, e.ia);
      break;
    case TypeWord::vnfile:
      e.names.assign(at0(ld), std::string(isf_name_length, ' '));
      isf_name_vector(label, 0, run.kpar, notfound, e.names);
      break;
    case TypeWord::vsfile:
      proc_error("GIST: A text package cannot be unloaded: the ISF keeps no text entries.");
  }
  return notfound;
}

// Calls f(i, j, v) for every value the data cards of a vector, matrix or symmetric matrix
// carry; a symmetric matrix counts its whole square (its diagonal is 0).
template <class T, class F>
void for_each_value(const GistRun& run, const std::vector<T>& a, F f) {
  const bool square = run.row().storage_class == class_symmetric;
  const std::int32_t rows = run.kpar[1];
  const std::int32_t columns = square ? rows : run.kpar[2];
  for (std::int32_t j = 1; j <= columns; ++j) {
    for (std::int32_t i = 1; i <= rows; ++i) f(i, j, a[cell(i, j)]);
  }
}

[[noreturn]] void not_punchable(const GistRun& run, const std::string& where) {
  proc_error("GIST: " + label_of(run) + " holds a value that is not a finite number (" + where +
             "); it cannot be unloaded.");
}

// Scores move one chunk at a time: scans every object of the entry (a second open of the
// entry; the punching pass opens it again). Returns false when some score does not fit I8.
bool scan_scores(GistRun& run, float scale) {
  const std::string& label = run.row().label;
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_chunks(label, 0, kpar, notfound, {}, 1);
  const std::int32_t n = kpar[1];
  const std::int32_t objects = kpar[2];
  const std::int32_t per_chunk = n > 0 ? kpar[3] / n : 0;
  if (per_chunk < 1) proc_error("GIST: The chunk size of " + label_of(run) + " holds no whole object.");
  std::vector<float> buffer(at0(per_chunk) * at0(n), 0.0f);
  bool fits = true;
  for (std::int32_t object = 0; object < objects;) {
    isf_real_chunks(label, 0, kpar, notfound, buffer, 2);
    const std::int32_t q = std::min(per_chunk, objects - object);
    for (std::int32_t k = 0; k < q; ++k, ++object) {
      for (std::int32_t v = 0; v < n; ++v) {
        const float x = buffer[at0(k) * at0(n) + at0(v)];
        if (!std::isfinite(x)) {
          not_punchable(run, "object " + std::to_string(object + 1) + ", value " + std::to_string(v + 1));
        }
        if (!punch_real_fits(x, scale)) fits = false;
      }
    }
  }
  return fits;
}

// Chooses the card form of the package and fills layout slot 4 when it needs a layout card.
// Reals get the fixed-point cards of GSTFMT when every value fits them with its 7 digits,
// else the exponent cards; integers that do not fit I4 get I12 cards. A value that is not a
// finite number, or an indicator that I4 cannot carry, stops the run before anything is
// punched.
Plan choose_cards(GistRun& run, const Entry& e) {
  const LabelRow& row = run.row();
  Plan plan;
  run.layout_in_use = row.layout;
  std::string& slot = run.slots[layout_user - 1];
  if (row.layout == layout_reals) {
    plan.form = DataCards::fixed;
    bool fits = true;
    if (row.storage_class == class_scores) {
      plan.scale = 1000.0f;
      fits = scan_scores(run, plan.scale);
    } else {
      float xmax = 1.0f;
      for_each_value(run, e.a, [&](std::int32_t i, std::int32_t j, float v) {
        if (!std::isfinite(v)) not_punchable(run, "row " + std::to_string(i) + ", column " + std::to_string(j));
        xmax = std::max(xmax, std::fabs(v));
      });
      std::string layout;
      const std::int32_t m = GSTFMT(xmax, plan.scale, layout);
      for_each_value(run, e.a, [&](std::int32_t, std::int32_t, float v) {
        if (!punch_real_fits(v, plan.scale)) fits = false;
      });
      fits = fits && m < 8;
      if (fits) {
        slot = io::pad(layout, layout_slot_length);
        plan.flag = 1;
        run.layout_in_use = layout_user;
      }
    }
    if (!fits) {
      plan.form = DataCards::exact;
      slot = io::pad(punch_real_exact_layout, layout_slot_length);
      plan.flag = 1;
      run.layout_in_use = layout_user;
    }
  } else if (row.type == TypeWord::ifile) {
    for (std::int32_t i = 1; i <= run.kpar[1]; ++i) {
      const std::int32_t count = e.counts[at0(i - 1)];
      if (count < 1 || count > isf_list_ld) {
        proc_error("GIST: Set " + std::to_string(i) + " of " + label_of(run) + " has " + std::to_string(count) +
                   " members; a set holds 1 to 99, so it cannot be unloaded.");
      }
      bool fits = true;
      for (std::int32_t k = 0; fits && k < count; ++k) {
        fits = punch_int_fits(e.members[at0(i - 1) * isf_list_ld + at0(k)]);
      }
      if (!fits) {
        proc_error("GIST: Set " + std::to_string(i) + " of " + label_of(run) +
                   " holds a number that a 4-column field cannot carry; it cannot be unloaded.");
      }
    }
  } else if (row.layout == layout_integers) {
    bool fits = true;
    for_each_value(run, e.ia, [&](std::int32_t, std::int32_t, std::int32_t v) {
      if (!punch_int_fits(v)) fits = false;
    });
    if (!fits) {
      plan.form = DataCards::wide;
      slot = io::pad(punch_int_wide_layout, layout_slot_length);
      plan.flag = 1;
      run.layout_in_use = layout_user;
    }
  }
  return plan;
}

void punch_reals(const GistRun& run, const Plan& plan, std::span<const float> x, std::int32_t n,
                 std::int32_t item) {
  if (plan.form == DataCards::exact) {
    punch_real_exact(x, n, run.row_number, item, run.monpun);
  } else {
    punch_real(x, n, plan.scale, run.row_number, item, run.monpun);
  }
}

void punch_ints(const GistRun& run, const Plan& plan, std::span<const std::int32_t> iv, std::int32_t n,
                std::int32_t item) {
  if (plan.form == DataCards::wide) {
    punch_int_wide(iv, n, run.row_number, item, run.monpun);
  } else {
    punch_int(iv, n, run.row_number, item, run.monpun);
  }
}

// The strict lower triangle by rows: row i (2..n) as item i.
template <class T, class Punch>
void punch_triangle(const GistRun& run, const std::vector<T>& a, Punch punch) {
  const std::int32_t n = run.kpar[1];
  std::vector<T> row(at0(std::max(n, 1)));
  for (std::int32_t i = 2; i <= n; ++i) {
    for (std::int32_t j = 1; j < i; ++j) row[at0(j - 1)] = a[cell(i, j)];
    punch(std::span<const T>(row.data(), at0(i - 1)), i - 1, i);
  }
}

void punch_scores(GistRun& run, const Plan& plan) {
  const std::string& label = run.row().label;
  std::int32_t notfound = 0;
  isf_real_chunks(label, 0, run.kpar, notfound, {}, 1);
  const std::int32_t n = run.kpar[1];
  const std::int32_t objects = run.kpar[2];
  const std::int32_t per_chunk = run.kpar[3] / n;
  std::vector<float> buffer(at0(per_chunk) * at0(n), 0.0f);
  for (std::int32_t object = 0; object < objects;) {
    isf_real_chunks(label, 0, run.kpar, notfound, buffer, 2);
    const std::int32_t q = std::min(per_chunk, objects - object);
    for (std::int32_t k = 0; k < q; ++k) {
      ++object;
      punch_reals(run, plan, std::span<const float>(buffer.data() + at0(k) * at0(n), at0(n)), n, object);
    }
  }
}

void punch_name_chunks(GistRun& run) {
  const std::string& label = run.row().label;
  std::int32_t notfound = 0;
  const std::int32_t n = run.kpar[1];
  const std::int32_t objects = run.kpar[2];
  const std::int32_t per_chunk = n > 0 ? run.kpar[3] / n : 0;
  if (per_chunk < 1) proc_error("GIST: The chunk size of " + label_of(run) + " holds no whole object.");
  std::vector<std::string> buffer(at0(per_chunk) * at0(n), std::string(isf_name_length, ' '));
  for (std::int32_t object = 0; object < objects;) {
    SNFILE(label, 0, run.kpar, notfound, buffer, 2);
    const std::int32_t q = std::min(per_chunk, objects - object);
    for (std::int32_t k = 0; k < q; ++k) {
      ++object;
      punch_char(std::span<const std::string>(buffer.data() + at0(k) * at0(n), at0(n)), n, run.row_number, object,
                 run.monpun);
    }
  }
}

void punch_data(GistRun& run, const Plan& plan, const Entry& e) {
  const LabelRow& row = run.row();
  const std::int32_t code = run.row_number;
  const std::int32_t n = run.kpar[1];
  const std::int32_t m = run.kpar[2];
  switch (row.type) {
    case TypeWord::ifile: {
      std::vector<io::Value> counts(e.counts.begin(), e.counts.begin() + n);
      write_formatted(run.monpun, "(18I4)", counts);
      for (std::int32_t i = 1; i <= n; ++i) {
        const std::span<const std::int32_t> list(e.members.data() + at0(i - 1) * isf_list_ld, isf_list_ld);
        punch_int(list, e.counts[at0(i - 1)], code, i, run.monpun);
      }
      break;
    }
    case TypeWord::mfile:
      for (std::int32_t j = 1; j <= m; ++j) {
        punch_reals(run, plan, std::span<const float>(e.a.data() + cell(1, j), at0(n)), n, j);
      }
      break;
    case TypeWord::mifile:
      for (std::int32_t j = 1; j <= m; ++j) {
        punch_ints(run, plan, std::span<const std::int32_t>(e.ia.data() + cell(1, j), at0(n)), n, j);
      }
      break;
    case TypeWord::rfile:
      punch_triangle(run, e.a, [&](std::span<const float> x, std::int32_t k, std::int32_t item) {
        punch_reals(run, plan, x, k, item);
      });
      break;
    case TypeWord::rifile:
      punch_triangle(run, e.ia, [&](std::span<const std::int32_t> x, std::int32_t k, std::int32_t item) {
        punch_ints(run, plan, x, k, item);
      });
      break;
    case TypeWord::sfile: punch_scores(run, plan); break;
    case TypeWord::snfile: punch_name_chunks(run); break;
    case TypeWord::vfile: punch_reals(run, plan, e.a, n, 1); break;
    case TypeWord::vafile: punch_names(e.words, static_cast<std::int32_t>(e.words.size()), code, 1, run.monpun); break;
    case TypeWord::vifile: punch_ints(run, plan, e.ia, n, 1); break;
    case TypeWord::vnfile: punch_char(e.names, n, code, 1, run.monpun); break;
    case TypeWord::vsfile: break;  // refused by read_entry
  }
}

}  // namespace

void UNLOAD(GistRun& run) {
  const LabelRow& row = run.row();
  GSTPAG(run, -6);
  Entry e;
  if (read_entry(run, e) == 1) {
    GSTTXT(run, "The file cannot be located on the ISF");
    return;
  }
  if (run.kpar[0] != static_cast<std::int32_t>(row.dims.size())) proc_error("The file is stored incorrectly ISF");
  if (stock(run, 0) != 0) proc_error("Input error");
  const Plan plan = choose_cards(run, e);
  const std::string& slot = run.slots[at0(run.layout_in_use - 1)];

  write_formatted(run.monpun, "(A6,5X,\"1\",I4)", {row.label, plan.flag});
  if (plan.flag == 1) write_formatted(run.monpun, "(A12)", {slot});
  if (!row.params.empty()) {
    const std::vector<io::Value> params(run.params.begin(), run.params.end());
    write_formatted(run.monpun, "(18I4)", params);
  }
  const std::string words[] = {slot.substr(0, 6), slot.substr(6, 6)};
  GSTHDR(run, "OUTPUT", words, "");
  // A count of 10000 or more (subjects, as a rule) fills its 4 columns with asterisks, and a
  // load of the package would stop at that card: the analyst is told so here.
  for (std::size_t i = 0; i < row.params.size(); ++i) {
    if (run.params[i] <= 9999) continue;
    GSTTXT(run, std::string(io::trim_right(row.params[i])) + " = " + std::to_string(run.params[i]) +
                    " does not fit its 4 columns of the parameter card:");
    GSTTXT(run, "the package punched for " + row.label + " cannot be loaded back.");
  }
  punch_data(run, plan, e);
  // The package is complete: a later stop must not take it back off the disk.
  keep_unit_output(run.monpun);
}

}  // namespace korvex::gist
