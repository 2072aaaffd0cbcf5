// The engine's side of the numeric-field scanner (see field_scan.hpp): every field that is
// not a plain number is read by the layout-text engine with the field's own descriptor, so
// exponents, tabs and refusals follow the one fixed-point input rule of the system.
#include "data_entry/field_scan.hpp"

#include <span>

#include "io/layout.hpp"

namespace korvex::dap {

bool read_fixed_field_engine(std::string_view field, const std::string& layout, float& value) {
  try {
    const io::Target target(&value);
    io::read_text(layout, field, std::span<const io::Target>(&target, 1));
  } catch (const io::LayoutError&) {
    return false;
  }
  return true;
}

}  // namespace korvex::dap
