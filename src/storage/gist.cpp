// The entry-deck component GIST: its driver, the label table and dimension words, the GIST
// control card with the layout and parameter cards that follow it, the file-package header
// on the listing, and the small listing helpers LOAD and UNLOAD share. After *GIST the
// interpreter hands the turn here; GIST reads its cards from MONIN up to a blank label.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/units.hpp"
#include "io/console.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "storage/gist.hpp"
#include "storage/gist_int.hpp"

namespace korvex {

namespace gist {

namespace {

// Cuts a text of blank-separated words into 6-character words; "ONE" alone (no parameters)
// and blank words give none.
std::vector<std::string> words_of(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ') ++j;
    if (j > i) words.push_back(io::pad(text.substr(i, j - i), 6));
    i = j;
  }
  return words;
}

LabelRow make_row(std::string_view label, std::string_view type_text, TypeWord type,
                  std::int32_t storage_class, std::int32_t layout, std::int32_t column_kind,
                  std::int32_t row_kind, std::string_view params, std::string_view dims) {
  return LabelRow{io::pad(label, 6), io::pad(type_text, 6), type, storage_class, layout, column_kind,
                  row_kind,          words_of(params),      words_of(dims)};
}

// The rows in code order. REORD1 is an integer vector (its writers store it so); the blank
// second dimension word of 2SENS1 and COVAR1 is not kept, so their KPAR has one dimension,
// as their writer stores it.
std::vector<LabelRow> build_label_table() {
  using enum TypeWord;
  return {
      make_row("MEANS1", "VFILE", vfile, 1, 1, 2, 1, "NUMVAR NUMSUB", "NUMVAR ONE NUMSUB"),
      make_row("STDEV1", "VFILE", vfile, 1, 1, 2, 1, "NUMVAR", "NUMVAR ONE"),
      make_row("CORRM1", "RFILE", rfile, 2, 1, 1, 1, "NUMVAR NUMSUB", "NUMVAR NUMSUB"),
      make_row("CORRM2", "RFILE", rfile, 2, 1, 1, 1, "NUMVAR NUMSUB NUMDEL", "NUMVAR NUMSUB NUMDEL"),
      make_row("REORD1", "VIFILE", vifile, 1, 2, 2, 2, "NUMVAR NUMDEL", "NUMVAR ONE NUMDEL"),
      make_row("DIAGV1", "VFILE", vfile, 1, 1, 2, 1, "NUMVAR", "NUMVAR ONE"),
      make_row("UFACT1", "MFILE", mfile, 1, 1, 2, 1, "NUMVAR NUMFAC", "NUMVAR NUMFAC"),
      make_row("RFACT1", "MFILE", mfile, 1, 1, 2, 1, "NUMVAR NUMFAC", "NUMVAR NUMFAC"),
      make_row("CLUST1", "IFILE", ifile, 3, 2, 2, 2, "NUMFAC", "NUMFAC"),
      make_row("REFLX1", "IFILE", ifile, 3, 2, 2, 2, "NUMFAC", "NUMFAC"),
      make_row("FSCOR1", "SFILE", sfile, 4, 1, 2, 2, "NUMFAC NUMSUB", "NUMFAC NUMSUB NUMFAC"),
      make_row("BASIS1", "MFILE", mfile, 1, 1, 2, 2, "NUMFAC", "NUMFAC NUMFAC"),
      make_row("OCLUS1", "IFILE", ifile, 3, 2, 2, 2, "NUMOBJ", "NUMOBJ"),
      make_row("MEANS2", "VFILE", vfile, 1, 1, 2, 2, "", "ONE ONE"),
      make_row("STDEV2", "VFILE", vfile, 1, 1, 2, 2, "NUMFAC", "NUMFAC ONE"),
      make_row("WEIGH1", "MFILE", mfile, 1, 1, 2, 1, "NUMVAR NUMFAC", "NUMVAR NUMFAC"),
      make_row("VNAMS1", "VNFILE", vnfile, 1, 3, 1, 1, "NUMVAR", "NUMVAR ONE"),
      make_row("VSUMS1", "VFILE", vfile, 1, 1, 2, 1, "NUMVAR", "NUMVAR ONE"),
      make_row("2SENS1", "RIFILE", rifile, 2, 2, 1, 1, "NUMVAR", "NUMVAR"),
      make_row("VAREN1", "VIFILE", vifile, 1, 2, 2, 1, "NUMVAR", "NUMVAR ONE"),
      make_row("2MEAN1", "MFILE", mfile, 1, 1, 1, 1, "NUMVAR NUMVAR", "NUMVAR NUMVAR"),
      make_row("2STDV1", "MFILE", mfile, 1, 1, 1, 1, "NUMVAR NUMVAR", "NUMVAR NUMVAR"),
      make_row("COVAR1", "RFILE", rfile, 2, 1, 1, 1, "NUMVAR", "NUMVAR"),
      make_row("IDFILE", "VAFILE", vafile, 1, 5, 2, 2, "", "TWELVE ONE"),
  };
}

constexpr const char* control_card_layout = "(A6,2X,5A4,A6)";
constexpr const char* parameter_card_layout = "(18I4)";

const std::string blank_label(6, ' ');

// Reads the next card of a package from MONIN as `length` columns; the deck ending here stops
// the run with a message naming the card that was expected.
std::string read_package_card(GistRun& run, std::size_t length, std::string_view what) {
  std::string record;
  if (!read_record(run.monin, record)) {
    deck_fault("GIST: The deck ended before the " + std::string(what) + " card of " +
               std::string(io::trim_right(run.card.label)) + ".");
  }
  return io::pad(record, length);
}

}  // namespace

const std::vector<LabelRow>& label_table() {
  static const std::vector<LabelRow> table = build_label_table();
  return table;
}

std::int32_t find_label_row(std::string_view label) {
  const std::vector<LabelRow>& table = label_table();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].label == label) return static_cast<std::int32_t>(i + 1);
  }
  return 0;
}

DimensionWords initial_dimension_words() {
  return {{
      {"ONE   ", 1, 1, 1, true, true},
      {"TWELVE", 12, 12, 12, true, true},
      {"HOLDER", 0, 1, 32768, true, true},
      {"NUMVAR", 0, 1, 999, false, false},
      {"NUMSUB", 0, 1, 400000, false, false},
      {"NUMFAC", 0, 1, 50, false, false},
      {"NUMOBJ", 0, 1, 15, false, false},
      {"NOMISS", 0, 0, 1, false, false},
      {"NUMDEL", 0, 0, 999, false, false},
  }};
}

namespace {

DimensionWord& find_word(DimensionWords& words, const std::string& name) {
  for (DimensionWord& w : words) {
    if (io::padded_equal(w.name, name)) return w;
  }
  proc_error("GIST: The label table names the dimension word \"" + name + "\", which GIST does not know.");
}

}  // namespace

std::int32_t GSTDIM(DimensionWords& words, std::span<const std::int32_t> invalues,
                    std::span<const std::string> inwords, std::vector<std::int32_t>& outvalues,
                    std::span<const std::string> outwords) {
  for (DimensionWord& w : words) {
    if (!w.fixed) w.available = false;
  }
  outvalues.clear();
  for (std::size_t i = 0; i < inwords.size(); ++i) {
    DimensionWord& w = find_word(words, inwords[i]);
    w.available = true;
    w.value = invalues[i];
    if (w.value < w.min || w.value > w.max) return 1;
  }
  for (const std::string& name : outwords) {
    const DimensionWord& w = find_word(words, name);
    if (!w.available) return 1;
    outvalues.push_back(w.value);
  }
  return 0;
}

std::int32_t GSTFMT(float xmax, float& scale, std::string& layout) {
  std::int32_t m = 0;
  if (xmax >= 1.0f) m = static_cast<std::int32_t>(std::log(xmax) * 0.4342945f + 0.000001f) + 1;
  scale = std::pow(10.0f, static_cast<float>(m));
  layout = "(9F8.X)";
  const std::int32_t d = m < 7 ? 7 - m : 0;
  layout[5] = int_to_text(d, 1)[0];
  return m;
}

void GSTPAG(GistRun& run, std::int32_t n) { PAGER(n, run.page, run.lines, run.monout); }

void GSTDEF(GistRun& run) {
  run.page = 0;
  run.lines = 0;
  run.vnams1_flag = 1;
  run.set_limit = 50;
  run.card = ControlCard{};
  for (std::vector<std::string>& table : run.names) table.assign(name_table_size, std::string(20, ' '));
  for (std::int32_t i = 1; i <= name_table_size; ++i) {
    const std::string digits = int_to_text(i, 6).substr(3);
    run.names[0][static_cast<std::size_t>(i - 1)] = io::pad("V" + digits, 20);
    run.names[1][static_cast<std::size_t>(i - 1)] = io::pad(digits, 20);
  }
}

void GSTTAB(GistRun& run) {
  run.dims = initial_dimension_words();
  run.slots.fill(std::string(layout_slot_length, ' '));
  run.slots[0] = io::pad("(9F8.4)", layout_slot_length);
  run.slots[1] = io::pad("(18I4)", layout_slot_length);
  std::string names_layout = io::pad("(XXAYY)", layout_slot_length);
  names_layout.replace(4, 2, int_to_text(20, 2));
  names_layout.replace(1, 2, int_to_text(3, 2));
  run.slots[2] = names_layout;
  run.slots[4] = io::pad("(12A6)", layout_slot_length);
}

const std::string& name_of(const GistRun& run, std::int32_t kind, std::int32_t i) {
  return run.names[static_cast<std::size_t>(kind - 1)][static_cast<std::size_t>(i - 1)];
}

std::span<const std::string> name_table(const GistRun& run, std::int32_t kind) {
  return run.names[static_cast<std::size_t>(kind - 1)];
}

void deck_fault(std::string_view message, const std::string* card) {
  if (card != nullptr) io::out_line(io::free_line({"CARD: ", io::pad(*card, 80)}));
  proc_error(message);
}

void GSTNAM(GistRun& run) {
  if (run.vnams1_flag <= 0) return;
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 0, kpar, notfound, run.names[0]);
  run.vnams1_flag = notfound;
}

void GSTCRD(GistRun& run) {
  std::string record;
  if (!read_record(run.monin, record)) {
    const std::string last(io::trim_right(run.card.label));
    deck_fault("GIST: The deck ended " + (last.empty() ? std::string() : "after the package of " + last + ", ") +
               "before the blank card that closes the GIST control cards.");
  }
  ControlCard& card = run.card;
  card = ControlCard{};
  std::array<std::string, 5> fields;
  const io::Target targets[] = {{&card.label, 6},    {&fields[0], 4}, {&fields[1], 4},
                                {&fields[2], 4},     {&fields[3], 4}, {&fields[4], 4},
                                {&card.unit_name, 6}};
  io::read_text(control_card_layout, record, targets);
  if (card.label == blank_label) return;

  field_int(fields[0], card.io, 0);
  field_int(fields[1], card.layout_flag, 0);
  field_int(fields[2], card.square, 0);
  field_int(fields[3], card.order, 0);
  field_int(fields[4], card.listing, 0);
  if (!int_in_range(card.io, 0, 1) || !int_in_range(card.layout_flag, 0, 1) ||
      !int_in_range(card.square, 0, 4) || !int_in_range(card.order, 0, 1) ||
      !int_in_range(card.listing, 0, 1)) {
    proc_error("Input error");
  }
  card.data_unit = card.unit_name == blank_label ? run.monin : get_unit(card.unit_name);

  run.row_number = find_label_row(card.label);
  if (run.row_number == 0) {
    io::out_line(io::format_line("(1x,\"Illegal Label: \", A6)", {card.label}));
    proc_error("Illegal label");
  }
  const LabelRow& row = run.row();
  run.layout_in_use = row.layout;
  GSTNAM(run);
  if (card.io == 0) return;

  const std::string label(io::trim_right(card.label));
  if (card.layout_flag == 1) {
    if (row.storage_class == class_indicator_sets) proc_error("VARIABLE FORMAT NOT ALLOWED FOR THIS FILE");
    run.layout_in_use = layout_user;
    run.layout_text = read_package_card(run, layout_text_length, "layout");
    try {
      io::Layout::get(io::trim_right(run.layout_text));
    } catch (const io::LayoutError& e) {
      const std::string text = run.layout_text;
      deck_fault("GIST: The layout card of " + label + " does not hold a usable layout: " + e.what(), &text);
    }
  } else {
    run.layout_text = io::pad(run.slots[static_cast<std::size_t>(row.layout - 1)], layout_text_length);
  }

  run.params.assign(row.params.size(), 0);
  if (!row.params.empty()) {
    const std::string text = read_package_card(run, 80, "parameter");
    std::vector<io::Target> targets;
    for (std::int32_t& p : run.params) targets.emplace_back(&p);
    try {
      io::read_text(parameter_card_layout, text, targets);
    } catch (const io::LayoutError& e) {
      deck_fault("GIST: The parameter card of " + label + " does not fit the layout (18I4): " + e.what(), &text);
    }
  }
}

void GSTHDR(GistRun& run, std::string_view title, std::span<const std::string> layout_words,
            std::string_view unit_name) {
  const LabelRow& row = run.row();
  GSTPAG(run, 6);
  write_formatted(run.monout, "(1X,A6,\" FILE PACKAGE\")", {title});
  write_formatted(run.monout, "(1X)");
  write_formatted(run.monout, "(1X)");
  write_formatted(run.monout, "(\" FILE LABEL......\", A6)", {row.label});
  write_formatted(run.monout, "(1X)");
  std::vector<io::Value> words(layout_words.begin(), layout_words.end());
  write_formatted(run.monout, "(\" FORMAT..........\", 12A6)", words);
  if (!io::padded_equal(unit_name, "")) {
    write_formatted(run.monout, "(\" SYMBOLIC UNIT...\", A6)", {io::pad(unit_name, 6)});
  }
  const auto npar = static_cast<std::int32_t>(row.params.size());
  if (npar > 0) {
    GSTPAG(run, npar + 1);
    static const std::string six_blanks(6, ' ');
    std::vector<io::Value> items;
    for (std::size_t i = 0; i < row.params.size(); ++i) {
      items.emplace_back(six_blanks);
      items.emplace_back(row.params[i]);
      items.emplace_back(run.params[i]);
    }
    // Counts of subjects reach 400000: the value fields widen to the largest value.
    std::int32_t width = 5;
    for (const std::int32_t v : run.params) width = std::max(width, int_field_width(v, 5));
    const std::string w = std::to_string(width);
    write_formatted(run.monout,
                    "(A6/\" PARAMETERS.....\", A6,\"=\",I" + w + ",A6/(16X,A6,\"=\",I" + w + ",A6))",
                    items);
  }
}

std::int32_t stock(GistRun& run, std::int32_t direction) {
  const LabelRow& row = run.row();
  std::vector<std::int32_t> out;
  if (direction == 1) {
    const std::int32_t err = GSTDIM(run.dims, run.params, row.params, out, row.dims);
    if (err != 0) return err;
    run.kpar.fill(0);
    run.kpar[0] = static_cast<std::int32_t>(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) run.kpar[i + 1] = out[i];
    return 0;
  }
  const std::span<const std::int32_t> stored(run.kpar.data() + 1, row.dims.size());
  const std::int32_t err = GSTDIM(run.dims, stored, row.dims, out, row.params);
  if (err != 0) return err;
  run.params = out;
  return 0;
}

void GSTSET(GistRun& run, std::int32_t setno, std::span<const std::int32_t> list, std::int32_t n,
            std::int32_t kind) {
  const std::string title = "SET" + int_to_text(setno, 3);
  std::vector<std::string> names;
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t member = list[static_cast<std::size_t>(i)];
    names.push_back(name_of(run, kind, member < 0 ? -member : member));
  }
  pr_ivector(list, names, n, title, run.page, run.lines, run.monout);
}

void GSTTXT(GistRun& run, std::string_view text) {
  constexpr std::size_t width = 66;
  const std::size_t len = text.size();
  GSTPAG(run, static_cast<std::int32_t>((len + width - 1) / width));
  for (std::size_t j = 0; j < len; j += width) {
    write_formatted(run.monout, "(1x,A)", {text.substr(j, width)});
  }
}

}  // namespace gist

// Driver: one control card after the other until the blank label.
void GIST() {
  using namespace gist;
  module_start();
  GistRun run;
  run.monin = get_unit("MONIN");
  run.monout = get_unit("MONOUT");
  run.monpun = get_unit("MONPUN");
  GSTDEF(run);
  GSTTAB(run);
  for (;;) {
    GSTCRD(run);
    if (run.card.label == std::string(6, ' ')) break;
    if (run.card.io == 1) {
      LOAD(run);
    } else {
      UNLOAD(run);
    }
  }
  return_to_gep();
}

}  // namespace korvex
