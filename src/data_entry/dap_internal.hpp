// Private parts of the data processing component DAP: its capacities, the control block and
// work arrays of one run, the field table of the user's format, the storage plan that places
// every field in the subject buffer, and the routines of each phase (listing pages, format
// analysis, read formats, name sections, subject records, data storage file, results).
// Only the files of src/data_entry and their tests include this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::dap {

// ---- capacities ----------------------------------------------------------------------

inline constexpr std::int32_t max_variables = 999;
inline constexpr std::int32_t max_subjects = 400000;
inline constexpr std::int32_t max_records = 100;        // records per subject
inline constexpr std::int32_t max_alpha_fields = 100;   // A fields of a format
inline constexpr std::int32_t max_fields = 1099;        // field table
inline constexpr std::int32_t buffer_size = 10990;      // subject buffer
inline constexpr std::int32_t card_width = 80;
inline constexpr std::int32_t max_format_cards = 10;
inline constexpr std::int32_t max_levels = 10;          // parentheses of a format
inline constexpr std::int32_t max_format_number = 9999;     // widths, counts, skips
inline constexpr std::int32_t max_record_columns = 99999;   // columns a format may reach
inline constexpr std::int32_t name_length = 20;
inline constexpr std::int32_t title_word_count = 12;
inline constexpr std::int32_t title_word_length = 6;

// The missing value: the single-precision quiet NaN with the bits 0xFFC00000.
float missing_value();

// A count or position written in decimal without leading zeros (n >= 0), for messages and
// run-time layout texts.
std::string number_text(std::int64_t n);

// ---- card supply ---------------------------------------------------------------------

// Supplies the next card image of 80 columns; the supplier has echoed and counted it.
// It never returns without a card: the end of the deck stops the run inside it.
using card_source = std::function<std::string()>;

// ---- format analysis (field table) -----------------------------------------------------

struct format_field {
  std::int32_t record = 1;    // record of the subject's record set, 1..100
  std::int32_t column = 1;    // first column in that record
  std::int32_t width = 0;
  std::int32_t decimals = 0;  // F fields only
  bool numeric = false;       // F field (true) or A field (false)
  std::string descriptor;     // "A10", "F5.1": the numbers as typed, leading zeros dropped
};

struct field_table {
  std::vector<format_field> fields;  // in the order the format lays them out
  std::int32_t records_per_subject = 1;
  std::int32_t numeric_count = 0;
  std::int32_t alpha_count = 0;
};

// A bad format: the system's message, the position in the format text of the last character
// taken (1-based, card after card of 80 columns) and whether the "*" marker line is shown.
class format_problem : public std::exception {
 public:
  format_problem(std::string message, std::int32_t position, bool marker)
      : message_(std::move(message)), position_(position), marker_(marker) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const { return message_; }
  std::int32_t position() const { return position_; }
  bool marker() const { return marker_; }

 private:
  std::string message_;
  std::int32_t position_;
  bool marker_;
};

// Parses the format text read card by card from `next_card` into the field table for nv
// numeric fields. Throws format_problem on every error of the text, including the
// capacities (100 A fields, 10990 buffer characters, numbers up to 9999, records of 99999
// columns, 10 cards). Cards are requested only when the text held is used up.
field_table parse_format(std::int32_t nv, const card_source& next_card);

// DAP's format phase: the cards come from MONIN with echo; a problem becomes format_error
// (marker line, then the stop) or, for too many cards, a plain stop.
void analyze_format();
// Marker line under the offending column of the last echoed card, then the stop.
[[noreturn]] void format_error(std::string_view message, std::int32_t position);

// ---- run-time read formats and the storage plan -----------------------------------------

// One piece of a record that goes to the subject buffer as it stands: `length` characters
// from record column `column` to buffer position `position` (both 1-based).
struct copy_run {
  std::int32_t column = 1;
  std::int32_t position = 1;
  std::int32_t length = 0;
};

struct storage_plan {
  std::vector<std::int32_t> field_start;   // per field, its first buffer position
  std::vector<std::int32_t> field_end;     // per field, its last buffer position
  std::vector<std::int32_t> numeric_list;  // table indices (1-based) of the F fields
  std::vector<std::int32_t> alpha_list;    // table indices (1-based) of the A fields
  std::int32_t low_end = 0;                // last position taken from below
  std::int32_t high_start = buffer_size + 1;  // first position taken from above
  std::string record_format;               // the concatenated formats of all records
  std::vector<std::int32_t> record_end;    // per record, last character of its format
  std::vector<std::int32_t> record_fields; // per record, fields on records 1..r
  std::string numeric_format;
  std::vector<std::vector<copy_run>> record_runs;  // per record, what its read moves
};

void assign_field_storage(const field_table& table, storage_plan& plan);
void build_record_format(const field_table& table, storage_plan& plan);
void build_numeric_format(const field_table& table, storage_plan& plan);
// The text of record r's format (1-based r).
std::string record_format_of(const storage_plan& plan, std::int32_t r);

// Format appenders: each adds to `text`.
void append_number(std::string& text, std::int32_t n);
void append_skip(std::string& text, std::int32_t g);
void append_run(std::string& text, std::int32_t c, std::int32_t w, char terminator);
void append_numeric_run(std::string& text, std::int32_t c, std::string_view descriptor);

// ---- control block and work arrays --------------------------------------------------------

struct dap_common_record {
  std::int32_t monin = 0;
  std::int32_t mtdst = 0;
  std::int32_t mtxin1 = 0;
  std::int32_t nv = 0;
  std::int32_t nsub = 0;
  std::int32_t nomiss = 0;
  std::int32_t ponam = 0;
  std::int32_t mval_code = 1;  // 1 no indicator; 2..11 the digit code - 2
  std::int32_t subject_count = 0;
  std::int32_t record_set_count = 0;
  std::int32_t subject_limit = 0;
  std::int32_t records_per_subject = 1;
  std::int32_t alpha_count = 0;
  std::int32_t reflect_count = 0;
  float missing = 0.0f;
};

// Per-variable arrays, 0-based (element h - 1 for output position h, or for format position
// k where noted). Running moments are double and use Welford's update.
struct dap_work_record {
  std::vector<std::int32_t> var_present;
  std::vector<std::int32_t> var_source;    // output h takes format position var_source(h)
  std::vector<std::int32_t> reflect_list;  // output positions to negate
  std::vector<std::int32_t> var_count;
  std::vector<float> raw_values;           // format order
  std::vector<unsigned char> raw_blank;    // format order: the field's text was all blank
  std::vector<float> var_value;            // output order; the means after DPMSTD
  std::vector<float> var_min;
  std::vector<float> var_max;
  std::vector<double> run_sum;
  std::vector<double> run_mean;
  std::vector<double> run_m2;
  std::vector<float> var_sum;              // set by DPMSTD
  std::vector<float> var_sigma;            // set by DPMSTD
};

// The subject names, 20 characters each, held side by side; a name never set is blank.
class subject_name_table {
 public:
  void reset(std::int32_t capacity);
  std::int32_t capacity() const { return capacity_; }
  // Name of subject s (1-based, 1..capacity).
  std::string_view get(std::int32_t s) const;
  void set(std::int32_t s, std::string_view name);
  bool is_blank(std::int32_t s) const;

 private:
  std::int32_t capacity_ = 0;
  std::string text_;  // grows as names are set
};

struct dap_run_state {
  dap_common_record common;
  std::string title_card;                // 80 columns
  std::vector<std::string> title_words;  // 12 words of 6
  std::string vroot;                     // 20 characters
  std::vector<std::string> input_names;  // format order
  std::vector<std::string> var_names;    // output order
  std::vector<std::string> reflect_names;
  subject_name_table subject_names;
  dap_work_record work;
  field_table table;
  storage_plan plan;
  std::string subject_buffer;            // buffer_size characters
  std::vector<std::string> numeric_layouts;  // per F field, "(Fw.d)"
  std::vector<std::int32_t> numeric_widths;   // per F field, w
  std::vector<std::int32_t> numeric_decimals; // per F field, d
  std::string line;                      // the record being read
  std::string card;                      // the card the name sections hold
  std::vector<std::byte> record_bytes;   // one subject record of the storage file
};

// The state of the running (or last) DAP run.
dap_run_state& run();
// Starts a fresh run state.
void new_run();

// ---- listing pages and card echo ----------------------------------------------------------

struct dap_print_state_record {
  std::int32_t lines_left = 0;
  std::int32_t unit = -1;  // the listing unit
  std::int32_t page = 0;
};
dap_print_state_record& print_state();

// n < 0: page settings copied, page and lines zeroed, listing unit taken; n = 0: one line
// accounted (a new page when none is left); n > 0: a new page.
void dap_line(std::int32_t n);
void dap_page_header();
void dap_blank_line();
// Reads one card of 80 columns; echoes and counts it when echo_unit > 0. End of file or a
// read failure stops the run through check_io_stat.
void dap_read_card(std::string& card, std::int32_t input_unit, std::int32_t echo_unit);
// The supplier of cards from MONIN with echo (format text and name lists).
card_source monin_cards();

// ---- name sections ------------------------------------------------------------------------

// True for the 139 characters a name may hold: the name-list set without blank, "," and ".".
bool is_name_character(char c);

// Stores name at entry `index` (1-based) of the list being read.
using name_store = std::function<void(std::int32_t index, const std::string& name)>;

// Reads one list: form 0 free (names up to "."), form 1 numbered (pairs up to "."). Every
// list starts on a new card. Returns the number of names of the free form, 0 for the
// numbered form. Every error stops the run.
std::int32_t DPNROL(const name_store& store, std::int32_t capacity, std::int32_t form,
                    const card_source& cards);
// The variable sections: names (VARIAB or PART V), then REORDE and REFLEC; leaves the card
// that follows them in run().card.
void DPVNAM();
// The subject section (SUBJEC or PART S) and the "DATA" card.
void DPSNAM();

// ---- subject records and statistics ---------------------------------------------------------

// Reads the next subject with data from MTXIN1 into var_value and var_present (output order,
// missing values as NaN, reflected variables negated). Entirely blank record sets are
// reported and skipped. status 0: a subject was read; 1: clean end of data (after at least
// two subjects with data); 2: the data ended inside a record set or too early. blank_errors
// counts the blank numeric fields that are errors (NOMISS 1, or MVAL a digit); each is
// reported on the listing. A numeric field that is not a number stops the run.
void DPRSUB(std::int32_t& status, std::int32_t& blank_errors);
// Settles the current subject's name (subject section, else the A fields closed up, else
// OBJ and its number); error 1 when its A fields disagree, each disagreement reported.
void DPCSUB(std::int32_t& error);
// Adds the subject's values that are not NaN to the counts, extremes and running moments.
void DPACCU();
// Means into var_value, deviations (divisor N) into var_sigma, sums into var_sum.
void DPMSTD();
// The first variable (output position) whose sum of present values, totalled in double
// precision, lies beyond single precision, where VSUMS1 would hold it as infinity; 0 when
// every sum fits. Means and deviations of values within the range always fit.
std::int32_t first_sum_beyond_single();
// The subject's name from its A field texts: first name with non-name characters removed.
std::string clean_subject_name(std::string_view first_name);

// ---- data storage file ----------------------------------------------------------------------

// Rewinds MTDST and writes its header: the title twice, the counts, the names, a zero.
void DPDSFH();
// Appends the current subject's record: values, name, number, and flags when NOMISS is 0.
void DPWSUB();
// Appends the trailer (names, means, deviations, counts), ends the file and rewinds it.
void DPWONM();
// Rewinds MTDST and ends it there: the file holds no record.
void empty_storage_file();

// ---- ISF entries and tables -----------------------------------------------------------------

// Writes IDFILE, IPFILE, VNAMS1, VSUMS1, MEANS1, STDEV1, VAREN1 (NOMISS 0 only), ONAMS1.
void DPWISF();
// Prints the statistics table on DAP's pages (a new page first).
void PSTAT_V2();
// The two-valued test of every variable, with the shares of its high and low values (-1
// when not two-valued); all / none tell whether every / no variable passed.
void DPDICH(bool& all, bool& none, std::vector<unsigned char>& two_valued,
            std::vector<float>& share_high, std::vector<float>& share_low);
// Prints the subject names read, down the columns of DAP pages.
void DPPSUB();

// ---- driver ---------------------------------------------------------------------------------

// The component's body: cards, format, names, subject loop, results; returns through
// return_to_gep or stops the run.
void DAP2();
// One line of the parameter echo: name right-justified in 6, the columns, the field as typed.
void DPPARM(std::string_view text, std::int32_t first, std::int32_t last, std::string_view name);

}  // namespace korvex::dap
