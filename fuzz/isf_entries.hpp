// The ISF side of the fuzz drivers: a small store with one entry for every accessor (the
// image the ISF driver damages), and a reader that fetches every registered label through
// every accessor, as components and dumps would, with room for the largest entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "fuzz_support.hpp"
#include "storage/storage.hpp"

namespace korvex::fuzz {

// Writes the sample store on a freshly initialised ISF: one entry per accessor.
inline void write_sample_entries() {
  std::int32_t notfound = 0;
  Kpar kpar{};
  std::vector<std::string> title(12, "TITLE ");
  isf_idfile(1, notfound, title);
  std::vector<std::string> names = {"AGE", "HEIGHT", "WEIGHT"};
  make_kpar(kpar, 3, 1, 0);
  isf_name_vector("VNAMS1", 1, kpar, notfound, names);
  std::vector<std::int32_t> order = {3, 1, 2};
  isf_int_vector("REORD1", 1, kpar, notfound, order);
  std::vector<float> means = {1.5f, -2.25f, 1.0e30f};
  isf_real_vector("MEANS1", 1, kpar, notfound, means);
  std::vector<float> a(999 * 3, 0.5f);
  make_kpar(kpar, 3, 2, 0);
  isf_real_matrix("UFACT1", 1, kpar, notfound, a);
  std::vector<std::int32_t> ia(999 * 3, 4);
  isf_int_matrix("2SENS1", 1, kpar, notfound, ia);
  make_kpar(kpar, 3, 3, 0);
  isf_real_square("CORRM1", 1, kpar, notfound, a, 2);
  make_kpar(kpar, 3, 0, 0);
  std::vector<float> packed(6, 0.25f);
  isf_real_square("COVAR1", 1, kpar, notfound, packed, 1);
  std::vector<std::int32_t> counts = {2, 1};
  std::vector<std::int32_t> members(99 * 2, 1);
  make_kpar(kpar, 2, 0, 0);
  isf_int_table("CLUST1", 1, kpar, notfound, counts, members);
  make_kpar(kpar, 2, 3, 4);
  isf_real_chunks("FSCOR1", 1, kpar, notfound, a, 1);
  isf_real_chunks("FSCOR1", 1, kpar, notfound, a, 2);
  isf_real_chunks("FSCOR1", 1, kpar, notfound, a, 2);
  make_kpar(kpar, 1, 2, 100);
  std::vector<std::string> subjects = {"S1", "S2"};
  SNFILE("ONAMS1", 1, kpar, notfound, subjects, 1);
  SNFILE("ONAMS1", 1, kpar, notfound, subjects, 2);
  Kpar rows{};
  rows[0] = 5;
  rows[1] = 2;
  rows[2] = 2;
  rows[3] = 999;
  rows[4] = 2;
  rows[5] = 2;
  std::vector<std::string> dims = {"D1", "D2"};
  std::vector<std::int32_t> index = {1, 2};
  MXFIL1(1, "OMEAN1", notfound, rows, dims, index);
  for (int r = 0; r < 2; ++r) {
    std::vector<float> row = {1.0f, 2.0f};
    std::string name = "TYPE" + std::to_string(r);
    std::int32_t ival = r;
    MXFIL3(row, name, ival);
  }
  make_kpar(kpar, 2, 999, 0);
  std::vector<std::int32_t> length = {1, 1};
  std::vector<std::string> types = {"T1", "T2"};
  std::vector<std::int32_t> torder = {1, 2};
  OXFIL1("OTYPE1", 1, kpar, notfound, length, types, torder);
  std::int32_t n = 1;
  std::vector<std::int32_t> member = {1};
  isf_rwreci(1, n, member);
  isf_rwreci(1, n, member);
  isf_filfin(1);
}

// The accessor a catalogue label is stored through, numbered as read_entry numbers them;
// -1 for a label the catalogue does not know.
inline int catalogue_accessor(const std::string& label) {
  const IsfLabelInfo* info = find_isf_label(label);
  if (info == nullptr) return -1;
  if (label == "IDFILE") return 13;
  return static_cast<int>(info->accessor);
}

// Reads every registered label through the accessor the catalogue names for it and through
// the accessor `other` picks (any of them, for a label the catalogue does not know), as a
// component reading the wrong entry would. A stop ends only that one read.
inline void read_every_entry(std::uint8_t other) {
  static std::vector<float> a(999 * 999);
  static std::vector<std::int32_t> ia(999 * 999);
  static std::vector<std::string> words(999);
  static std::vector<std::int32_t> counts(999);
  static std::vector<std::int32_t> index(999);
  for (std::int32_t i = 1; i <= isf_count(); ++i) {
    const std::string label = isf_label_name(i);
    const int own = catalogue_accessor(label);
    for (int accessor = 0; accessor <= 13; ++accessor) {
      if (own >= 0 && accessor != own && accessor != (other + i) % 14) continue;
      guarded([&] {
        Kpar kpar{};
        std::int32_t notfound = 0;
        switch (accessor) {
          case 0: isf_word_vector(label, 0, kpar, notfound, words); break;
          case 1: isf_name_vector(label, 0, kpar, notfound, words); break;
          case 2: isf_int_vector(label, 0, kpar, notfound, ia); break;
          case 3: isf_real_vector(label, 0, kpar, notfound, a); break;
          case 4: isf_real_matrix(label, 0, kpar, notfound, a); break;
          case 5: isf_int_matrix(label, 0, kpar, notfound, ia); break;
          case 6: isf_real_square(label, 0, kpar, notfound, a, 1 + i % 3); break;
          case 7: isf_int_square(label, 0, kpar, notfound, ia, 1 + i % 3); break;
          case 8: isf_int_table(label, 0, kpar, notfound, counts, ia); break;
          case 9:
            isf_real_chunks(label, 0, kpar, notfound, a, 1);
            for (int k = 0; k < 1000 && notfound == 0; ++k) isf_real_chunks(label, 0, kpar, notfound, a, 2);
            break;
          case 10:
            SNFILE(label, 0, kpar, notfound, words, 1);
            for (int k = 0; k < 1000 && notfound == 0; ++k) SNFILE(label, 0, kpar, notfound, words, 2);
            break;
          case 11: {
            MXFIL1(0, label, notfound, kpar, words, index);
            std::string name;
            std::int32_t ival = 0;
            for (int k = 0; k < 1000 && notfound == 0; ++k) MXFIL3(a, name, ival);
            break;
          }
          case 12: {
            OXFIL1(label, 0, kpar, notfound, counts, words, index);
            std::int32_t n = 0;
            for (int k = 0; k < 1000 && notfound == 0; ++k) isf_rwreci(0, n, ia);
            break;
          }
          default: {
            std::vector<std::string> title(12);
            isf_idfile(0, notfound, title);
            break;
          }
        }
      });
      reset_errors();
    }
  }
}

// Saves the store with GIVE and lists it with the ISF dump, each on its own page counters;
// a stop ends only that step.
inline void save_and_list() {
  guarded([] {
    std::int32_t page = 0;
    std::int32_t lines = 0;
    GIVE(get_unit("GIVE"), page, lines, get_unit("MONOUT"));
  });
  reset_errors();
  guarded([] {
    std::int32_t page = 0;
    std::int32_t lines = 0;
    ISFDMP(page, lines, get_unit("MONOUT"));
  });
  reset_errors();
}

}  // namespace korvex::fuzz
