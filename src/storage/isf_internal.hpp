// Internals of the ISF shared by the record layer, the entry framing and the accessors:
// label normalisation, the caller-side capacity checks and the reset of the accessors'
// kept state. Nothing outside src/storage includes this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex::isf_detail {

// label blank-padded or cut to the 6 characters of a label.
std::string label6(std::string_view label);

// Stops the run (proc_error, "<routine>: <what>") when `count` items do not lie within an
// array of `size` items starting at element `offset` (0-based), or count is negative. Guards
// the caller's arrays before an accessor moves anything.
void require_room(std::string_view routine, std::string_view what, std::int64_t offset,
                  std::int64_t count, std::size_t size);

// dimension word k (1-based: kpar[k]) of a KPAR; stops the run when kpar is shorter.
std::int32_t kpar_word(std::string_view routine, std::span<const std::int32_t> kpar, std::size_t k);

// Reads up to `records` consecutive real records (kind 4) of exactly `count` values each at
// the position of stream unit `unit`, with one transfer from the file, into a (packed,
// `count` values apart), leaving the position behind the last one moved. Stops before the
// first record that is of another kind or count, or not wholly in the file, so that the
// record routines can move it with their own checks and stops. Returns the records moved
// (0 on a unit that is not a stream unit).
std::int64_t read_real_run(std::int32_t unit, std::int64_t count, std::int64_t records,
                           std::span<float> a);

// Forgets the kept state of the chunked and row accessors.
void reset_accessor_state();

}  // namespace korvex::isf_detail
