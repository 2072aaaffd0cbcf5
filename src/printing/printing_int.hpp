// Private helpers of the printers: completing run-time layout texts placeholder by
// placeholder, the printers' own page start (the "1 ... Page n" header that differs from the
// paging protocol's), and the allocation guard that turns a failed work copy into the
// system's status stop. Only files of src/printing include this header.
#pragma once

#include <cassert>
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "executive/status.hpp"
#include "printing/page.hpp"

namespace korvex::printing_detail {

// A layout text whose runs of "N" are completed left to right with int_to_text.
class layout_fields {
 public:
  explicit layout_fields(std::string text) : text_(std::move(text)) {}
  // Writes n into the next run of `width` placeholder characters.
  layout_fields& next(std::int64_t n, int width) {
    const std::size_t at = text_.find('N', pos_);
    assert(at != std::string::npos && at + static_cast<std::size_t>(width) <= text_.size());
    for (int i = 0; i < width; ++i) assert(text_[at + i] == 'N');
    int_to_text(n, std::span<char>(text_.data() + at, static_cast<std::size_t>(width)));
    pos_ = at + static_cast<std::size_t>(width);
    return *this;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  std::size_t pos_ = 0;
};

// Begins a new page of the matrix, scalar, vector and list printers: with a negative page
// number a record holding only "1", otherwise page + 1 and the header "1", ncline - 10
// blanks, "Page" and the number in 5 columns.
void begin_printer_page(std::int32_t& page, std::int32_t unit);

// Runs make() and returns its result; a failed allocation stops the run through
// check_alloc_stat with the caller's tag, as the system's work copies do.
template <typename Make>
auto guarded_alloc(std::string_view tag, Make make) -> decltype(make()) {
  try {
    return make();
  } catch (const std::bad_alloc&) {
    check_alloc_stat(tag, 1);
    throw;  // check_alloc_stat does not return for a non-zero status
  }
}

}  // namespace korvex::printing_detail
