// Writers of the usual ISF inputs of a component test (the run title, the variable names,
// the selection order), shared by the component fixtures so each writes them one way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/storage.hpp"

namespace korvex::testing {

// IDFILE: the title cut into 12 words of 6 characters.
inline void put_isf_title(const std::string& title) {
  std::vector<std::string> words(12);
  const std::string t = title + std::string(72, ' ');
  for (std::size_t i = 0; i < 12; ++i) words[i] = t.substr(6 * i, 6);
  std::int32_t notfound = 0;
  isf_idfile(1, notfound, words);
}

// VNAMS1: count word 2, or 3 with the number of inactive variables when numdel >= 0.
inline void put_isf_names(std::vector<std::string> names, std::int32_t numdel = -1) {
  for (std::string& n : names) n.resize(20, ' ');
  Kpar kpar{2, static_cast<std::int32_t>(names.size()), 1};
  if (numdel >= 0) kpar = {3, static_cast<std::int32_t>(names.size()), 1, numdel};
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 1, kpar, notfound, names);
}

// REORD1: the original number of the variable at each position.
inline void put_isf_reord(std::vector<std::int32_t> order, std::int32_t numdel) {
  Kpar kpar{3, static_cast<std::int32_t>(order.size()), 1, numdel};
  std::int32_t notfound = 0;
  isf_int_vector("REORD1", 1, kpar, notfound, order);
}

}  // namespace korvex::testing
