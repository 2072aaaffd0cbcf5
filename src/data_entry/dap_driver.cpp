// The data processing component DAP: its title and parameter cards with their echo and
// checks, the order of its phases (format, names, data storage file, subject loop, results)
// and the end states of a run. A data error still prints the statistics table, then stops.
#include <string>

#include "data_entry/dap_internal.hpp"
#include "data_entry/data_entry.hpp"
#include "executive/component.hpp"
#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"

namespace korvex {

void DAP() { dap::DAP2(); }

namespace dap {

namespace {

// The conditions a subject loop can end in, with their messages.
enum class data_state { none, incomplete, missing, more_subjects, subject_names, fewer_subjects, sum_beyond };

std::string state_message(data_state s, std::int32_t nomiss) {
  switch (s) {
    case data_state::incomplete: return "INCOMPLETE MULTIPLE RECORD SET FOR LAST SUBJECT";
    case data_state::missing:
      return nomiss == 1 ? "MISSING DATA FOUND WHEN COMPLETE DATA EXPECTED"
                         : "Blank data fields found when missing data indicator (MVAL) was non-blank";
    case data_state::more_subjects: return "MORE SUBJECTS THAN EXPECTED";
    case data_state::subject_names: return "ERROR IN SUBJECT NAMES";
    case data_state::fewer_subjects: return "FEWER SUBJECTS THAN EXPECTED";
    case data_state::sum_beyond:  // stops through refuse_sum_beyond_single, which names it
    case data_state::none: break;
  }
  return "";
}

// Stops the run: the sum of variable h (output position) lies beyond single precision. Every
// value read lies within the range (a value beyond it is not a number to DAP), but the sum of
// several near its ends need not: VSUMS1 would hold an infinity that no later component can use.
[[noreturn]] void refuse_sum_beyond_single(std::int32_t h) {
  const dap_run_state& r = run();
  proc_error(io::format_line("('THE SUM OF VARIABLE ',I0,' (',A,'),',1PE13.6,', EXCEEDS SINGLE PRECISION')",
                             {h, io::trim_right(r.var_names[at(h)]), r.work.run_sum[at(h)]}),
             "RESCALE THE DATA BEFORE *DAP");
}

// The parameter card's fields as typed (columns 17-19 and 41-80 are not read).
struct parameter_fields {
  std::string nv, nsub, nomiss, ponam, mval, vroot;
};

parameter_fields cut_fields(const std::string& card) {
  return {card.substr(0, 4), card.substr(4, 6), card.substr(10, 2),
          card.substr(12, 4), card.substr(19, 1), card.substr(20, 20)};
}

void read_parameter_card(std::string& card) {
  std::string record;
  bool got = false;
  try {
    got = read_record(run().common.monin, record);
  } catch (const io::IoError& e) {
    check_io_stat(e.what(), e.status() != 0 ? e.status() : 1);
  }
  if (!got) check_io_stat("DAP: end of file on MONIN where the parameter card was expected", -1);
  const io::Target target(&card, static_cast<std::size_t>(card_width));
  io::read_text("(A80)", record, std::span<const io::Target>(&target, 1));
}

// The parameter block, counted as 7 lines at once, closed by a counted blank line.
void echo_parameters(const parameter_fields& f) {
  dap_line(1);
  dap_print_state_record& ps = print_state();
  ps.lines_left -= 7;
  write_record(ps.unit, "");
  write_formatted(ps.unit, "(' DAP PARAMETER CARD ...')");
  write_formatted(ps.unit, "(1X)");
  write_formatted(ps.unit, "(1X,'  NAME  COLUMNS  VALUE')");
  DPPARM(f.nv, 1, 4, "NV");
  DPPARM(f.nsub, 5, 10, "NSUB");
  DPPARM(f.nomiss, 11, 12, "NOMISS");
  DPPARM(f.ponam, 13, 16, "PONAM");
  DPPARM(f.mval, 20, 20, "MVAL");
  DPPARM(f.vroot, 21, 40, "VROOT");
  dap_blank_line();
}

// Decodes the fields, then checks them in the order of the card.
void decode_parameters(const parameter_fields& f) {
  dap_run_state& r = run();
  dap_common_record& c = r.common;
  field_int(f.nv, c.nv, 0);
  field_int(f.nsub, c.nsub, 0);
  field_int(f.nomiss, c.nomiss, 0);
  field_int(f.ponam, c.ponam, 0);
  const char mval = c.nomiss == 1 ? ' ' : f.mval[0];
  const std::size_t code = std::string_view(" 0123456789").find(mval);
  c.mval_code = code == std::string_view::npos ? 0 : static_cast<std::int32_t>(code + 1);
  r.vroot = f.vroot;
  squeeze_blanks(r.vroot);

  if (!int_in_range(c.nv, 2, max_variables)) proc_error("Number of variables incorrect");
  if (!int_in_range(c.nsub, 0, max_subjects)) proc_error("Number of subjects incorrect");
  if (!int_in_range(c.nomiss, 0, 1)) proc_error("NOMISS parameter value incorrect");
  if (!int_in_range(c.ponam, 0, 1)) proc_error("PONAME parameter value incorrect");
  if (!int_in_range(c.mval_code, 1, 11)) proc_error("MVAL (Missing data indicator) value incorrect");
  const auto root_length = static_cast<std::int32_t>(io::trim_right(r.vroot).size());
  if (root_length + decimal_digits(c.nv) > name_length) proc_error("VROOT contains too many characters");
  if (!is_legal_name(r.vroot)) proc_error("VROOT contains invalid character for a name");
}

// The field table, the storage plan and the formats, which the layout engine checks
// once; the per-field layouts serve the fields the plain scanner leaves to the engine.
void plan_formats() {
  dap_run_state& r = run();
  analyze_format();
  assign_field_storage(r.table, r.plan);
  build_record_format(r.table, r.plan);
  build_numeric_format(r.table, r.plan);
  r.common.alpha_count = static_cast<std::int32_t>(r.plan.alpha_list.size());
  for (std::int32_t rec = 1; rec <= r.table.records_per_subject; ++rec) io::Layout::get(record_format_of(r.plan, rec));
  io::Layout::get(r.plan.numeric_format);
  r.numeric_layouts.clear();
  r.numeric_widths.clear();
  r.numeric_decimals.clear();
  for (const std::int32_t k : r.plan.numeric_list) {
    const format_field& f = r.table.fields[at(k)];
    r.numeric_layouts.push_back("(" + f.descriptor + ")");
    r.numeric_widths.push_back(f.width);
    r.numeric_decimals.push_back(f.decimals);
  }
  r.subject_buffer.assign(static_cast<std::size_t>(buffer_size), ' ');
}

void start_statistics() {
  dap_work_record& w = run().work;
  const auto n = static_cast<std::size_t>(run().common.nv);
  w.var_present.assign(n, 0);
  w.var_count.assign(n, 0);
  w.raw_values.assign(n, 0.0f);
  w.raw_blank.assign(n, 0);
  w.var_value.assign(n, 0.0f);
  w.var_min.assign(n, 0.0f);
  w.var_max.assign(n, 0.0f);
  w.run_sum.assign(n, 0.0);
  w.run_mean.assign(n, 0.0);
  w.run_m2.assign(n, 0.0);
  w.var_sum.assign(n, 0.0f);
  w.var_sigma.assign(n, 0.0f);
}

}  // namespace

void DPPARM(std::string_view text, std::int32_t first, std::int32_t last, std::string_view name) {
  std::string justified(6, ' ');
  rjust_text(name, justified);
  write_formatted(print_state().unit, "(1X,A6,3X,I2.2,'-',I2.2,3X,A)", {justified, first, last, text});
}

void DAP2() {
  module_start();
  new_run();
  dap_run_state& r = run();
  dap_common_record& c = r.common;
  c.monin = get_unit("MONIN");
  print_state().unit = get_unit("MONOUT");
  c.mtdst = get_unit("MTDST");
  c.mtxin1 = get_unit("MTXIN1");
  c.missing = missing_value();
  dap_line(-1);

  r.title_card.assign(static_cast<std::size_t>(card_width), ' ');
  dap_read_card(r.title_card, c.monin, 0);
  r.title_words.clear();
  for (std::int32_t i = 0; i < title_word_count; ++i) {
    r.title_words.push_back(r.title_card.substr(static_cast<std::size_t>(i * title_word_length), title_word_length));
  }
  set_title(r.title_card);

  std::string card;
  read_parameter_card(card);
  const parameter_fields fields = cut_fields(card);
  echo_parameters(fields);
  decode_parameters(fields);

  const std::int32_t u = print_state().unit;
  write_formatted(u, "(1X)");
  write_formatted(u, "(' DAP FORMAT ...')");
  write_formatted(u, "(1X)");
  plan_formats();
  DPVNAM();
  DPSNAM();
  DPDSFH();
  start_statistics();

  data_state state = data_state::none;
  bool error = false;
  auto fail = [&](data_state s) {
    error = true;
    state = s;
  };
  c.subject_count = 0;
  c.record_set_count = 0;
  bool reached_end = false;
  for (;;) {
    std::int32_t status = 0;
    std::int32_t blank_errors = 0;
    DPRSUB(status, blank_errors);
    if (status == 1) {
      reached_end = true;
      break;
    }
    if (status == 2) {
      fail(data_state::incomplete);
      break;
    }
    if (blank_errors > 0) fail(data_state::missing);
    if (c.subject_count > c.subject_limit) {
      fail(data_state::more_subjects);
      c.subject_count -= 1;
      break;
    }
    std::int32_t name_error = 0;
    DPCSUB(name_error);
    if (name_error != 0) fail(data_state::subject_names);
    DPACCU();
    if (!error) DPWSUB();
  }
  if (reached_end) {
    if (c.nsub == 0) {
      c.nsub = c.subject_count;
    } else if (c.subject_count != c.nsub) {
      fail(data_state::fewer_subjects);
    }
  }
  // The sums are complete once the data are read: one comparison per variable.
  const std::int32_t sum_beyond = first_sum_beyond_single();
  if (sum_beyond != 0) fail(data_state::sum_beyond);
  if (error) empty_storage_file();

  DPMSTD();
  if (!error) {
    DPWONM();
    DPWISF();
  }
  PSTAT_V2();
  if (c.ponam == 1) DPPSUB();
  if (state == data_state::sum_beyond) refuse_sum_beyond_single(sum_beyond);
  if (error) proc_error(state_message(state, c.nomiss));
  return_to_gep();
}

}  // namespace dap
}  // namespace korvex
