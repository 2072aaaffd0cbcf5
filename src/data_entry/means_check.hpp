// Whether the data storage file holds the data that MEANS1 describes. Every component that
// reads the subject records (COR2, COR3, FACS, RSCAT, OTYPE) makes this check as it reads:
// a *TAKE or a *GIST load of MEANS1 after *DAP brings the means and the subject count of
// other data, while the file still holds this run's, and the two together would give results
// of no data set. The check counts the subject records against MEANS1's count and totals each
// variable's present values; a mismatch stops the run with the figures and the remedy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data_entry/dsf_reader.hpp"

namespace korvex::dsf {

// True when m, the variable's mean in MEANS1, is the mean `own` of its values in the data
// storage file (totalled in double precision) up to the rounding of a stored single-precision
// mean; rms is the root mean square of the deviations from the centre the totals used, which
// bounds the rounding of own where the mean lies near 0. A NaN m is never the data's.
bool mean_is_own(float m, double own, double rms);

// Stops the run: MEANS1 holds a mean of `variable` that is not the data's (own and m as
// above); component names the refusing component ("COR2", "FACS") in the remedy line.
[[noreturn]] void refuse_foreign_means(std::string_view component, std::int32_t variable,
                                       double own, float m);

// Stops the run: the data storage file holds more subject records than the nsub that MEANS1
// counts, so MEANS1 is not the data's either.
[[noreturn]] void refuse_extra_subjects(std::string_view component, std::int32_t nsub);

// Stops the run: the subject records of the data storage file end after `held` of the nsub
// subjects that MEANS1 counts (a DAP of fewer subjects after the *TAKE or *GIST that brought
// MEANS1), so MEANS1 is not the data's.
[[noreturn]] void refuse_fewer_subjects(std::string_view component, std::int32_t held,
                                        std::int32_t nsub);

// Stops the run: MEANS1 holds the means of `held` variables where the data storage file has
// nv, so it describes other data.
[[noreturn]] void refuse_other_variables(std::string_view component, std::int32_t held,
                                         std::int32_t nv);

// The check of one reading of the subject records, for a component that reads every subject
// once anyway (FACS's centring pass, RSCAT's data, OTYPE's look at the extremes): built from
// MEANS1's means and count, it is given each subject record as the component reads it, then
// finished once the component has read the subjects MEANS1 counts. Each variable's present
// values are totalled less its MEANS1 mean, in double precision and subject order, so that
// the data's own mean is exact to the rounding of the double totals at any level.
class means_check {
 public:
  // means(0..nv-1): the means of MEANS1; nsub: the subjects it counts; component: the name
  // the stops give in their remedy line.
  means_check(std::string_view component, std::span<const float> means, std::int32_t nsub);

  // Totals one subject's values (values(0..nv-1); a NaN is a missing value).
  void add(std::span<const float> values);
  // The subject records ended after `held` subjects, fewer than MEANS1 counts: stops.
  [[noreturn]] void ended_after(std::int32_t held) const;
  // The subject records ended after `held` subjects where the component expected more by a
  // count of its own (not MEANS1's): stops as ended_after when held is below MEANS1's count,
  // as finish when it is above it or the means are not the data's; returns when the file is
  // MEANS1's data, whose count the component then had wrong. (Nothing is read: past its end
  // the reader would take the trailer for subjects.)
  void ended_after_own(std::int32_t held) const;
  // The number of subjects MEANS1 counts.
  std::int32_t subjects() const { return nsub_; }
  // After the subjects MEANS1 counts: stops when the reader holds a further subject record
  // (scratch: room for one subject's values), or when a variable's mean in MEANS1 is not the
  // mean of its present values. Returns when the file is MEANS1's data.
  void finish(subject_reader& reader, std::span<float> scratch) const;
  // The second half of finish: stops when a variable's mean in MEANS1 is not the mean of its
  // present values.
  void compare_means() const;

  // The data's own mean of variable j (0-based) over its present values; MEANS1's mean where
  // the variable has none.
  double own_mean(std::size_t j) const;

 private:
  std::string component_;
  std::int32_t nsub_;
  std::vector<float> means_;
  std::vector<double> centre_;   // MEANS1's mean where it is a finite number, else 0
  std::vector<double> sum_;      // deviations from the centre
  std::vector<double> squares_;  // their squares
  std::vector<double> count_;    // present values, counted in double beside the totals
};

}  // namespace korvex::dsf
