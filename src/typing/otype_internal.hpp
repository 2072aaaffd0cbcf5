// Private state and routines of the object typing component OTYPE, shared by its driver,
// object input, sector (partition) phase and iteration phase. The state lives in one
// module (otype_state()) that stays for the whole process, as a second *OTYPE of a run
// finds what the first left; reset_otype() forgets it (tests).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "io/layout.hpp"

#include "executive/vecmat.hpp"

namespace korvex::otype {

inline constexpr std::int32_t max_dims = 50;    // dimensions of a profile
inline constexpr std::int32_t max_types = 40;   // O-types at one time
inline constexpr std::int32_t block_size = 100; // names per name block
inline constexpr std::int32_t name_len = 20;
inline constexpr std::int32_t pool_words = 9500;

// Element i (1-based) of a 0-based table: the shared index helper.
using korvex::at;

// The control block: the card fields and the derived values every phase reads.
struct control_record {
  float unique = 1.0f;
  std::int32_t inmeth = 1;
  std::int32_t kcrit = 0;
  std::int32_t khier = 2;
  std::int32_t kinput = 0;
  std::int32_t kiter = 1;
  std::int32_t maxnum = 0;
  std::int32_t kotype = 0;
  std::int32_t kpart = 1;
  std::int32_t kpunch = 2;
  std::int32_t monin = 0, monpun = 0, mtdst = 0, mtsc1 = 0, mtsc2 = 0, ootype = 0;
  std::int32_t ndim = 0;
  std::int32_t niter = 20;
  std::int32_t ntypes = 0;
  std::int32_t nparts = 2;
  std::int32_t nsub = 0;
  float bstdev = 0.0f;
  std::int32_t kmem = 2;
  std::int32_t kstat = 2;
  float conden = 0.5f;
  std::int32_t kohom = 3;
  float conddv = 0.0f;
  std::int32_t ipart = 0;
  float amis = -999.0f;
  std::int32_t kotout = 1;
  float totsd = 0.0f;
};

// The object delivered last by next_object.
struct object_record {
  std::int32_t ordinal = 0;
  std::int32_t type = 0;
  std::int32_t more = 0;
  std::int32_t missing = 0;
  std::array<float, max_dims> profile{};
  std::string name = std::string(name_len, ' ');
};

// The objects of one pass as the scratch file holds them, kept in memory: a pass reads the
// store the previous pass wrote, in the same order and with the same fields.
struct object_store {
  std::vector<char> names;  // 20 characters per object
  std::vector<std::int32_t> ordinal;
  std::vector<std::int32_t> type;
  std::vector<float> profile;  // NDIM values per object
  void clear() {
    names.clear();
    ordinal.clear();
    type.clear();
    profile.clear();
  }
};

// State of the object scratch file and of the first-pass sources.
struct scratch_record {
  object_store mem_in;
  object_store mem_out;
  std::size_t mem_pos = 0;
  std::int32_t in_unit = 0;
  std::int32_t out_unit = 0;
  std::int32_t name_unit = 0;
  std::int32_t delivered = 0;
  std::int32_t name_index = block_size;
  std::int32_t written = 0;
  std::vector<std::string> names = std::vector<std::string>(block_size, std::string(name_len, ' '));
  // First pass of input methods 1 and 4: the open score entry and the records last read
  // from it, one slot of chunk_values per record.
  std::vector<float> chunk;
  std::int32_t chunk_slots = 1;  // records one read may bring
  std::int32_t chunk_read = 0;   // records the last read brought
  std::int32_t chunk_left = 0;   // values read and not yet delivered
  std::int32_t chunk_pos = 0;
  std::int32_t chunk_values = 0; // values per full record
  bool have_names = true;        // ONAMS1 was found
  std::string score_label;       // FSCOR1 or DSCOR1
  // First pass of input method 3.
  std::optional<dsf::subject_reader> dsf;
};

// The whole run-wide state of the component.
struct otype_state_record {
  control_record c;
  std::int32_t page = 0, lines = 0, monout = 0;  // the component's page triple
  std::array<std::string, 12> title;
  // Dimension tables.
  std::array<std::string, max_dims> dim_names;
  std::array<std::int32_t, max_dims> dim_num{};
  std::array<float, max_dims> dim_mean{};
  std::array<float, max_dims> dim_sd{};
  // The lowest and highest value of each dimension over the objects without missing values,
  // found by the input step before the first pass from the variables' own values (methods 3
  // and 4; factor scores are standard scores and are not read ahead).
  std::array<double, max_dims> dim_low{};
  std::array<double, max_dims> dim_high{};
  // O-type tables (OMEANS: 50 rows, one column per position).
  std::array<std::string, max_types> type_names;
  std::array<std::int32_t, max_types> type_count{};
  std::array<std::int32_t, max_types> type_num{};
  std::vector<float> omeans = std::vector<float>(max_dims * max_types, 0.0f);
  std::array<std::int32_t, max_types> type_position{};
  std::int32_t lookup_mode = 0;
  std::array<std::int32_t, max_types> lookup{};
  object_record cur;
  scratch_record sc;
  // Iteration phase: the pass state and the work tables of a pass (one column per position).
  std::int32_t pass_number = 0;
  std::int32_t final_pass = 0;
  std::vector<double> type_sums = std::vector<double>(max_dims * max_types, 0.0);
  std::vector<float> type_reference = std::vector<float>(max_dims * max_types, 0.0f);
  std::vector<double> type_sqdev = std::vector<double>(max_dims * max_types, 0.0);
  std::array<std::int32_t, max_types> past{}, entering{}, leaving{}, rejects{};
  // Objects that entered or left an O-type in the last pass, over every O-type of that pass:
  // the stop test needs those deleted after it too, whose counts the packing drops.
  std::int32_t pass_moves = 0;
  // The current object's place in the pass.
  std::int32_t nearest = 0;
  float dvalue = 0.0f;
  std::string mark = "    ";
  std::string ootype_layout;
};

// One entry of the membership table.
struct member_entry {
  float dvalue = 0.0f;
  std::string mark;
  std::string name;
  std::int32_t ordinal = 0;
  std::int32_t next = 0;
};
inline constexpr std::int32_t member_capacity = 1250;
struct member_table_record {
  std::vector<member_entry> entry = std::vector<member_entry>(member_capacity + 1);
  std::array<std::int32_t, max_types> head{}, last{}, count{};
  std::int32_t next_free = 1;
  std::int32_t print = 0;
  std::int32_t part = 0;
};
member_table_record& member_table();

otype_state_record& state();
// OMEANS(j, i), 1-based.
inline float& omean(std::int32_t j, std::int32_t i) {
  return state().omeans[at(i) * max_dims + at(j)];
}

// Listing helpers on the component's page triple.
void pager(std::int32_t n);
void put(std::string_view layout, std::initializer_list<io::Value> values = {});
void put(std::string_view layout, std::span<const io::Value> values);
// The characters-per-line value for the component's own tables: the page-settings copy,
// or the current line width when the copy holds 0 or leaves less than `need` columns.
std::int32_t table_width(std::int32_t need);

// Driver (otype_driver.cpp).
void OTSETU();
void OTPARM();

// Object input and scratch file (otype_input.cpp).
void OTINPT();
void OTNEXT();
// Puts the score input of methods 1 and 4 back at its first object: the entry is opened
// again, as writes to the ISF since the input step have moved the file away from it.
void restart_score_input();
void OTFIND();
// Stops the run, naming the widest dimension, when the objects (and, with_means, the O-type
// means 1..NTYPES) span so much that a squared distance among them could reach 1.0e38: the
// distances are summed in single precision and the search for the nearest O-type starts at
// 1.0e38. Below that every squared distance, sum of squares and deviation of the run is a
// single-precision number. It stops too, naming the narrowest, when a dimension's span among
// the objects alone is so small that its square stays under 1.0e-24 (and is not 0): distances
// a single-precision step of such a span apart would square to subnormal numbers, held with
// a few bits or none.
void require_squarable_distances(bool with_means);
void OTSCRF(std::int32_t mode);
void OTPRTM(std::span<const float> matrix, std::string_view title);
void OTTRAN(std::span<const float> source, std::span<float> target, std::int32_t ndim,
            std::int32_t ntypes);

// Sectors (otype_sectors.cpp).
struct partition_record {
  std::array<std::int32_t, max_dims> cut_count{};
  std::vector<float> cut_points = std::vector<float>(9 * max_dims, 0.0f);  // (k, d), 9 per d
  std::array<std::int32_t, max_dims> part_count{};
  std::array<std::int32_t, max_dims> place_value{};
  std::array<std::int32_t, max_dims> part_index{};
};
partition_record& partitions();
inline float& cut_point(std::int32_t k, std::int32_t d) {
  return partitions().cut_points[at(d) * 9 + at(k)];
}
void OTPART();
void OTPCRD();
void SECCEL();
std::int32_t SECNUM(std::span<const std::int32_t> place_value,
                    std::span<const std::int32_t> part_index, std::int32_t ndim);
void SECDEC(std::span<std::int32_t> part_index, std::span<const std::int32_t> place_value,
            std::int32_t ndim, std::int32_t sector);
void SECNAM(std::string& text, std::int32_t sector);
char SECDIG(std::int32_t index);
void SECPLV(std::span<const std::int32_t> part_count, std::span<std::int32_t> place_value,
            std::int32_t ndim, std::int32_t& overflow);
void OTFULL(std::int32_t mode);
void SECSRT();
void SECLST(std::int32_t threshold, std::int32_t& n, std::int32_t& next, std::int32_t& above);
// Cuts the sorted list to the max_types sectors with the most objects (ties to the lower
// sector number), keeping ascending sector order.
void keep_fullest();
void OTARBP();
void OTCORE();

// The pool of sector nodes, exposed for tests.
struct pool_record {
  std::vector<std::int32_t> word = std::vector<std::int32_t>(pool_words + 1, 0);  // 1-based
  std::vector<double> sums = std::vector<double>(pool_words + 1, 0.0);  // beside the value words
  std::int32_t next_free = 1;
  std::int32_t last_start = 0;
  bool first = true;
  bool full = false;
  std::int32_t head = 0;
  std::int32_t occupied = 0;
};
pool_record& pool();
float pool_real(std::int32_t w);

// Starting O-types from a stored membership (otype_restart.cpp).
void OTRDT1();
void OTMEAN();

// Iteration phase (otype_eufit.cpp).
void EUFIT();
void OTRDM1();
void OTASGN();
void OTITRP();
void OTKCRT(std::int32_t& deleted);
void OTCONV(std::int32_t& stop_state);
void OTCOND();
// The mean of two means weighted by their member counts (the plain mean of the two when both
// counts are 0), formed in single precision; where a product or the sum passes the float
// range (means near 1e36 with a thousand members) it is formed in double, as the weighted
// mean itself lies between the two.
float merged_mean(float a, std::int32_t na, float b, std::int32_t nb);

// Hierarchical condensation (otype_hier.cpp).
void OTDIST();
std::string CNNAME(std::int32_t a, std::int32_t b);

// Iteration reports (otype_reports.cpp).
void OTITHD();
void OTMHDR(std::int32_t mode);
void OTMTAB(std::int32_t& part);
std::string PARNUM(std::int32_t number);
// The variance (divisor n) of dimension j over the n members of the O-type at position i in
// the last pass, about their mean, from the pass's sums; n must be above 0.
float type_variance(std::int32_t j, std::int32_t i);
void OTSTAT();
void OTMLIN(std::int32_t mode);
void print_pass_counts();

// Means deck and stored O-types (otype_store.cpp).
void OTPUNM();
void WRAPUP();

}  // namespace korvex::otype
