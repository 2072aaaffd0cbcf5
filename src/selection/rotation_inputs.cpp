// The ISF inputs of GYRO and FAST: the unrotated factor coefficients UFACT1,
// and the names and numbers under which the rows of UFACT1 are listed. Both components read
// them the same way after their cards; every absence or misfit ends the run here.
#include <algorithm>
#include <array>
#include <string>

#include "data_entry/active_variables.hpp"
#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "selection/rotation.hpp"
#include "storage/storage.hpp"

namespace korvex::rotation {

factor_matrix read_factor_matrix(std::string_view component, std::int32_t min_factors) {
  // Read into room for any column count the ISF can hold, so that a matrix too wide for the
  // component gets this component's message rather than the accessor's.
  std::vector<float> wide(static_cast<std::size_t>(ld) * max_variables, 0.0f);
  Kpar kpar{};
  std::int32_t notfound = 0;
  isf_real_matrix("UFACT1", 0, kpar, notfound, wide);
  isf_not_found("UFACT1", notfound);
  factor_matrix m;
  m.numvar = kpar[1];
  m.numfac = kpar[0] >= 2 ? kpar[2] : 0;
  if (m.numvar < 1 || m.numvar > max_variables || m.numfac < min_factors ||
      m.numfac > max_factors) {
    proc_error(std::string(component) + ": UFACT1 has " + std::to_string(m.numvar) +
               " rows and " + std::to_string(m.numfac) + " columns (1-999 and " +
               std::to_string(min_factors) + "-50 allowed).");
  }
  wide.resize(static_cast<std::size_t>(ld) * max_factors);
  m.a = std::move(wide);
  return m;
}

variable_labels read_variable_labels(std::int32_t numvar) {
  const active_variables v = read_active_variables(numvar);
  variable_labels l;
  l.names.assign(at(numvar) + 1, std::string(name_length, ' '));
  l.numbers.assign(at(numvar) + 1, 0);
  GENAME("VAR", l.names, numvar, 0);
  fill_index(l.numbers, numvar);
  const std::int32_t known = std::min(numvar, v.numvar);
  for (std::int32_t k = 1; k <= known; ++k) {
    l.names[at(k)] = io::pad(v.names[at(k)], name_length);
    l.numbers[at(k)] = v.numbers[at(k)];
  }
  return l;
}

}  // namespace korvex::rotation
