// The one platform service of the listing: the machine's local calendar date, which the
// start banner shows as the run date. Kept apart so that nothing else touches the clock.
#include <ctime>
#include <string>

#include "printing/page.hpp"
#include "printing/printing.hpp"

namespace korvex {

// Today's local date in the 8-character form CCYYMMDD; "00000000" when the clock cannot be
// read or converted.
std::string system_date_ccyymmdd() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr) {
    return std::string(8, '0');
  }
  return int_to_text(local.tm_year + 1900, 4) + int_to_text(local.tm_mon + 1, 2) +
         int_to_text(local.tm_mday, 2);
}

}  // namespace korvex
