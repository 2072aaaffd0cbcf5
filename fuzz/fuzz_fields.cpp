// Fuzz driver for the card fields and list readers: the input's first line goes through
// the field parsers (BCDBIN, field_int, field_real at several cuts), the rest becomes MONIN
// and one list reader, chosen by the first byte, reads it as a component would.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/units.hpp"
#include "fuzz_support.hpp"
#include "io/fixed_text.hpp"

using namespace korvex;

namespace {

const std::vector<std::string>& variable_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const char* n : {"AGE", "HEIGHT", "WEIGHT", "V004", "12", "X_1", "\xC0LAN", "A(B)"}) {
      v.push_back(io::pad(n, 20));
    }
    return v;
  }();
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Bytes in(data, size);
  const std::uint8_t choice = in.byte();
  const std::uint8_t room = in.byte();
  const std::int32_t nmax = in.byte();
  const std::string field(in.line());

  const fuzz::RunScope scope;
  fuzz::write_file("MONIN", in.rest());
  init_units();
  for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{8}, field.size()}) {
    const std::string_view f = std::string_view(field).substr(0, std::min(cut, field.size()));
    fuzz::guarded([&] {
      std::int32_t v = 0;
      BCDBIN(f, v);
    });
    fuzz::guarded([&] {
      std::int32_t v = 0;
      field_int(f, v, -7);
    });
    fuzz::guarded([&] {
      float x = 0;
      field_real(f, x, 1.5f);
      (void)real_in_range(x, -1.0f, 1.0f);
    });
    reset_errors();
  }

  fuzz::guarded([&] {
    const std::int32_t monin = get_unit("MONIN");
    const std::int32_t monout = get_unit("MONOUT");
    const std::size_t capacity = room % 40;
    std::int32_t count = 0;
    std::int32_t status = 0;
    switch (choice % 4) {
      case 0: {
        std::vector<std::string> names(capacity, std::string(20, ' '));
        read_name_list(names, nmax, count, status, monin, monout);
        break;
      }
      case 1: {
        std::vector<std::int32_t> list(capacity);
        read_number_list(list, nmax, count, status, monin, monout);
        break;
      }
      case 2: {
        std::vector<std::int32_t> list(capacity);
        const auto& names = variable_names();
        read_var_list(names, list, nmax, static_cast<std::int32_t>(names.size()), count, status,
                      monin, monout);
        break;
      }
      default: {
        // Items one per line, into one list, as the reader hands them over.
        std::vector<std::int32_t> list(capacity);
        const auto& names = variable_names();
        std::string line;
        while (read_record(monin, line)) {
          parse_var_ref(names, list, nmax, static_cast<std::int32_t>(names.size()), count, line, status);
        }
        break;
      }
    }
  });
  return 0;
}
