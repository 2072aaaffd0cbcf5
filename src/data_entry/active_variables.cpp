// The active-variable protocol on the ISF: reading VNAMS1 and REORD1 into the names and
// original numbers of the variables by position, and writing the pair that records a
// selection or its end. Readers rely on the count word of VNAMS1 alone to know whether a
// selection is in force; an older REORD1 left behind by an undone selection is never read.
#include "data_entry/active_variables.hpp"

#include <string>

#include "executive/errors.hpp"
#include "executive/utilities.hpp"
#include "io/fixed_text.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

constexpr std::int32_t max_variables = 999;
constexpr std::int32_t selection_count_word = 3;

struct names_entry {
  bool found = false;
  Kpar kpar{};
  std::vector<std::string> names;
};

// VNAMS1 as stored; names keeps what the entry holds (at most 999).
names_entry read_names_entry() {
  names_entry e;
  e.names.assign(max_variables, std::string(name_length, ' '));
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 0, e.kpar, notfound, e.names);
  e.found = notfound == 0;
  if (e.found) e.names.resize(static_cast<std::size_t>(std::max(0, e.kpar[1])));
  return e;
}

void check_sizes(std::string_view routine, std::int32_t numvar, std::int32_t numdel,
                 std::size_t names, std::size_t order) {
  const auto n = static_cast<std::size_t>(numvar < 0 ? 0 : numvar);
  if (numvar < 1 || numvar > max_variables || numdel < 0 || numdel > numvar || names < n ||
      order < n) {
    proc_error(std::string(routine) + ": variable counts do not fit (NUMVAR " +
               std::to_string(numvar) + ", NUMDEL " + std::to_string(numdel) + ")");
  }
}

}  // namespace

active_variables read_active_variables(std::int32_t nvar_default) {
  active_variables v;
  names_entry e = read_names_entry();
  if (!e.found) {
    v.numvar = std::max(0, nvar_default);
    v.numact = v.numvar;
    v.names.assign(static_cast<std::size_t>(v.numvar), std::string(name_length, ' '));
    GENAME("VAR", v.names, v.numvar, 0);
  } else {
    v.names_found = true;
    v.numvar = e.kpar[1];
    v.names = std::move(e.names);
    v.selection = e.kpar[0] == selection_count_word;
    v.numdel = v.selection ? e.kpar[3] : 0;
    if (v.numdel < 0 || v.numdel > v.numvar) {
      proc_error("VNAMS1 holds " + std::to_string(v.numdel) + " inactive variables of " +
                 std::to_string(v.numvar));
    }
    v.numact = v.numvar - v.numdel;
  }
  v.numbers.resize(static_cast<std::size_t>(v.numvar));
  for (std::int32_t k = 1; k <= v.numvar; ++k) v.numbers[static_cast<std::size_t>(k - 1)] = k;
  if (!v.selection) return v;

  Kpar kpar{};
  std::vector<std::int32_t> order(max_variables, 0);
  std::int32_t notfound = 0;
  isf_int_vector("REORD1", 0, kpar, notfound, order);
  if (notfound != 0) return v;
  if (kpar[1] != v.numvar) {
    proc_error("REORD1 holds " + std::to_string(kpar[1]) + " variables but VNAMS1 " +
               std::to_string(v.numvar));
  }
  // Each original number once: anything else would list two variables under one number.
  std::vector<bool> seen(static_cast<std::size_t>(v.numvar) + 1, false);
  for (std::int32_t k = 0; k < v.numvar; ++k) {
    const std::int32_t o = order[static_cast<std::size_t>(k)];
    if (o < 1 || o > v.numvar || seen[static_cast<std::size_t>(o)]) {
      proc_error("REORD1 is not an order of the variables 1.." + std::to_string(v.numvar));
    }
    seen[static_cast<std::size_t>(o)] = true;
    v.numbers[static_cast<std::size_t>(k)] = o;
  }
  v.order_found = true;
  return v;
}

bool selection_in_force() {
  const names_entry e = read_names_entry();
  return e.found && e.kpar[0] == selection_count_word;
}

void write_selection(std::span<const std::string> names, std::span<const std::int32_t> order,
                     std::int32_t numvar, std::int32_t numdel) {
  check_sizes("write_selection", numvar, numdel, names.size(), order.size());
  // make_kpar would drop a NUMDEL of 0 and with it the mark of the selection.
  Kpar kpar{};
  kpar[0] = selection_count_word;
  kpar[1] = numvar;
  kpar[2] = 1;
  kpar[3] = numdel;
  std::int32_t notfound = 0;
  std::vector<std::string> n(names.begin(), names.begin() + numvar);
  for (std::string& name : n) name = io::pad(name, name_length);
  isf_name_vector("VNAMS1", 1, kpar, notfound, n);
  std::vector<std::int32_t> o(order.begin(), order.begin() + numvar);
  Kpar kpar2 = kpar;
  isf_int_vector("REORD1", 1, kpar2, notfound, o);
}

void write_no_selection(std::span<const std::string> names, std::int32_t numvar) {
  check_sizes("write_no_selection", numvar, 0, names.size(), static_cast<std::size_t>(numvar));
  Kpar kpar{};
  make_kpar(kpar, numvar, 1, 0);
  std::int32_t notfound = 0;
  std::vector<std::string> n(names.begin(), names.begin() + numvar);
  for (std::string& name : n) name = io::pad(name, name_length);
  isf_name_vector("VNAMS1", 1, kpar, notfound, n);
}

}  // namespace korvex
