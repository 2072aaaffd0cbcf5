// Object input of OTYPE: the input step that reads the description of the chosen source
// (scores with their means and deviations, or raw variables from the data storage file),
// the object reader that delivers one object at a time, the type lookup applied to objects
// read back, the object scratch file written by every pass, and the O-type matrix printer.
#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "data_entry/means_check.hpp"
#include "executive/errors.hpp"
#include "executive/positioning.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "executive/utilities.hpp"
#include "executive/vecmat.hpp"
#include "executive/fields.hpp"
#include "io/fixed_text.hpp"
#include "io/record_file.hpp"
#include "printing/matrix_printers.hpp"
#include "storage/storage.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

namespace {

constexpr std::int32_t read_buffer = 999;
// Score values read from the ISF in one transfer (whole records, at least one).
constexpr std::int32_t read_values = 65536;

const char* const msg_nvar =
    "NUMBER OF VARIABLES IS TOO LARGE OR TOO SMALL<- (LESS THAN 1 OR GREATER THAN 15)";

// Squared distances are summed in single precision, and the search for the nearest O-type
// starts at 1.0e38: every one of them must stay below that.
constexpr double square_limit = 1.0e38;

// Writes the object-name blocks of ONAMS1 on the name-block unit, 100 names a record.
void write_name_blocks(std::int32_t nsub) {
  scratch_record& sc = state().sc;
  rewind_unit(sc.name_unit);
  std::vector<std::string> names(block_size, std::string(name_len, ' '));
  Kpar kpar{};
  std::int32_t notfound = 0;
  io::SequentialFile& f = sequential_file(sc.name_unit);
  for (std::int32_t first = 1; first <= nsub; first += block_size) {
    SNFILE("ONAMS1", 0, kpar, notfound, names, 2);
    const std::int32_t n = std::min(block_size, nsub - first + 1);
    io::RecordWriter rec;
    rec.i32(n);
    for (std::int32_t i = 1; i <= n; ++i) rec.text(names[at(i)], name_len);
    f.write(rec);
  }
  endfile_unit(sc.name_unit);
  rewind_unit(sc.name_unit);
}

// Opens the score entry `label` at its first object: the chunk buffer is emptied, so the
// next object is read from the start of the entry. A missing entry stops the run.
Kpar open_score_entry(std::string_view label) {
  scratch_record& sc = state().sc;
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<float> none;
  isf_real_chunks(label, 0, kpar, notfound, none, 1);
  isf_not_found(label, notfound);
  sc.chunk_read = 0;
  sc.chunk_left = 0;
  sc.chunk_pos = 0;
  return kpar;
}

// The next object delivered is the first, named from the first block of names.
void start_delivery() {
  scratch_record& sc = state().sc;
  sc.delivered = 0;
  sc.name_index = block_size;
}

// Steps shared by the score inputs (methods 1 and 4): names, dimension names, the score
// entry opened and checked against the counts.
void open_scores(std::string_view label) {
  otype_state_record& s = state();
  control_record& c = s.c;
  scratch_record& sc = s.sc;
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<std::string> dummy(block_size, std::string(name_len, ' '));
  SNFILE("ONAMS1", 0, kpar, notfound, dummy, 1);
  // Without subject names the objects stay unnamed and their count comes from the scores.
  sc.have_names = notfound == 0;
  if (sc.have_names) {
    c.nsub = kpar[2];
    write_name_blocks(c.nsub);
  }
  GENAME("CLUS", s.dim_names, c.ndim, 0);
  fill_index(s.dim_num, c.ndim);

  const Kpar sk = open_score_entry(label);
  sc.score_label = std::string(label);
  if (sk[1] != c.ndim)
    proc_error("FSCOR1 FILE AND STDEV2 FILE CONTAIN DIFFERENT NUMBER OF FACTORS.");
  if (!sc.have_names) c.nsub = sk[2];
  if (sk[2] != c.nsub)
    proc_error("FSCOR1 FILE AND ONAMS1 FILE CONTAIN DIFFERENT NUMBER OF SUBJECTS");
  sc.chunk_values = sk[1] * (sk[3] / std::max(sk[1], 1));
  if (c.nsub > 0 && sc.chunk_values < 1)
    proc_error(std::string(label) + " FILE HOLDS RECORDS SHORTER THAN ONE OBJECT.");
  const std::int32_t slot = std::max(sc.chunk_values, 1);
  sc.chunk_slots = std::max(1, read_values / slot);
  sc.chunk.assign(static_cast<std::size_t>(slot) * static_cast<std::size_t>(sc.chunk_slots), 0.0f);
}

// Reads the head of the data storage file from its start and leaves the file at the first
// subject record; returns the number of variables and, when names is given, their names.
std::int32_t read_dsf_head(std::vector<std::string>* names) {
  const control_record& c = state().c;
  rewind_unit(c.mtdst);
  std::vector<std::string> words(dsf::title_word_count);
  iostat_error(dsf::read_title_record(c.mtdst, words));
  iostat_error(dsf::read_title_record(c.mtdst, words));
  std::int32_t nv = 0, nomiss = 0;
  iostat_error(dsf::read_counts_record(c.mtdst, nv, nomiss));
  if (!int_in_range(nv, 1, max_dims)) proc_error(msg_nvar);
  if (names != nullptr) {
    names->assign(static_cast<std::size_t>(nv), std::string(name_len, ' '));
    iostat_error(dsf::read_names_record(c.mtdst, *names, nv));
  }
  skip_to_zero_record(c.mtdst);
  return nv;
}

void input_raw() {
  otype_state_record& s = state();
  control_record& c = s.c;
  // The variables' own names label the dimensions.
  std::vector<std::string> names;
  const std::int32_t nv = read_dsf_head(&names);
  c.ndim = nv;
  for (std::int32_t j = 1; j <= nv; ++j) s.dim_names[at(j)] = io::pad(names[at(j)], name_len);

  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<float> buf(read_buffer, 0.0f);
  isf_real_matrix("MEANS1", 0, kpar, notfound, buf);
  isf_not_found("MEANS1", notfound);
  if (kpar[1] != c.ndim) proc_error("MEANS1 FILE AND DST DO NOT AGREE ON NUMBER OF<- VARIABLES");
  std::copy_n(buf.begin(), c.ndim, s.dim_mean.begin());
  c.nsub = kpar[0] >= 3 ? kpar[3] : 0;
  isf_real_matrix("STDEV1", 0, kpar, notfound, buf);
  isf_not_found("STDEV1", notfound);
  if (kpar[1] != c.ndim) proc_error("STDEV1 FILE AND DST DO NOT AGREE ON NUMBER OF<- VARIABLES");
  std::copy_n(buf.begin(), c.ndim, s.dim_sd.begin());
  fill_index(s.dim_num, c.ndim);
  s.sc.dsf.emplace(c.mtdst, c.ndim);
}

// The next NDIM scores of the open score entry.
void next_scores(object_record& o) {
  otype_state_record& s = state();
  scratch_record& sc = s.sc;
  const std::int32_t ndim = s.c.ndim;
  if (sc.chunk_left < ndim) {
    const std::int64_t left =
        static_cast<std::int64_t>(ndim) * (s.c.nsub - sc.delivered + 1);
    // A record moved alone lands in the first slot over what the last record read left
    // there, as when every record came into the one buffer: its stored count may be short.
    const auto slot = static_cast<std::size_t>(std::max(sc.chunk_values, 1));
    if (sc.chunk_read > 1) {
      std::copy_n(sc.chunk.begin() + static_cast<std::ptrdiff_t>((sc.chunk_read - 1) * slot), slot,
                  sc.chunk.begin());
    }
    sc.chunk_read = isf_real_chunk_run(sc.chunk, sc.chunk_slots);
    sc.chunk_left = static_cast<std::int32_t>(
        std::min<std::int64_t>(left, std::int64_t{sc.chunk_read} * sc.chunk_values));
    sc.chunk_pos = 0;
  }
  std::copy_n(sc.chunk.begin() + sc.chunk_pos, ndim, o.profile.begin());
  sc.chunk_pos += ndim;
  sc.chunk_left -= ndim;
  ++sc.name_index;
  if (sc.name_index > block_size) {
    if (sc.have_names) {
      io::RecordReader rec = sequential_file(sc.name_unit).read_record();
      const std::int32_t n = std::clamp(rec.i32(), 0, block_size);
      for (std::int32_t i = 1; i <= n; ++i) sc.names[at(i)] = rec.text(name_len);
    }
    sc.name_index = 1;
  }
  o.name = sc.have_names ? sc.names[at(sc.name_index)] : std::string(name_len, ' ');
  o.ordinal = sc.delivered;
  o.type = 0;
}

// The extremes of every dimension over the objects without missing values, widening dim_low
// and dim_high (which start empty), read ahead of the first pass; the input is left at its
// first object again. The data storage file must hold MEANS1's data: a file of more or fewer
// subjects than MEANS1 counts, or of other means, stops the run (dsf::means_check).
void scan_extremes() {
  otype_state_record& s = state();
  control_record& c = s.c;
  const auto nd = static_cast<std::size_t>(c.ndim);
  const auto take = [&](std::span<const float> x) {
    for (const float v : x)
      if (v == c.amis || std::isnan(v)) return;
    for (std::size_t j = 0; j < nd; ++j) {
      s.dim_low[j] = std::min(s.dim_low[j], static_cast<double>(x[j]));
      s.dim_high[j] = std::max(s.dim_high[j], static_cast<double>(x[j]));
    }
  };
  if (c.inmeth == 3) {
    // The same reading checks that the file holds MEANS1's data (its count and its means).
    dsf::means_check check("OTYPE", std::span<const float>(s.dim_mean.data(), nd), c.nsub);
    dsf::subject_reader reader(c.mtdst, c.ndim);
    std::vector<float> values(nd);
    for (std::int32_t i = 1; i <= c.nsub; ++i) {
      if (!reader.next(values)) check.ended_after(i - 1);
      check.add(values);
      take(values);
    }
    check.finish(reader, values);
    read_dsf_head(nullptr);
    s.sc.dsf.emplace(c.mtdst, c.ndim);
    return;
  }
  start_delivery();
  object_record o;
  for (std::int32_t i = 1; i <= c.nsub; ++i) {
    ++s.sc.delivered;
    next_scores(o);
    take(std::span<const float>(o.profile.data(), nd));
  }
  restart_score_input();
}

// The dimension's number and name as a stop line gives them: "VARIABLE 1 (HEIGHT)".
std::string dimension_label(std::int32_t j) {
  const otype_state_record& s = state();
  return std::string(s.c.inmeth == 3 ? "VARIABLE " : "DIMENSION ") + std::to_string(j) + " (" +
         std::string(io::trim_right(s.dim_names[at(j)])) + ")";
}

// TOTSD, the square root of the dimensions' variances summed in single precision. A sum past
// the float range stops the run, naming the dimension of the largest deviation; so does a
// deviation other than 0 whose square falls below the normal floats, naming the smallest such
// deviation: the pass statistics divide each O-type's variance by that square, which a
// subnormal number holds with a few bits or none (a deviation of 3E-25 squares to 0).
float total_deviation() {
  const otype_state_record& s = state();
  const std::int32_t ndim = s.c.ndim;
  float sum = 0.0f;
  for (std::int32_t j = 1; j <= ndim; ++j) sum += s.dim_sd[at(j)] * s.dim_sd[at(j)];
  if (std::isinf(sum)) {
    std::int32_t widest = 1;
    for (std::int32_t j = 2; j <= ndim; ++j)
      if (std::fabs(s.dim_sd[at(j)]) > std::fabs(s.dim_sd[at(widest)])) widest = j;
    proc_error(io::format_line("(A,' HAS A STANDARD DEVIATION OF',1PE10.3)",
                               {dimension_label(widest), s.dim_sd[at(widest)]}),
               "ITS SQUARE PASSES THE SINGLE-PRECISION RANGE OF OTYPE'S SUMS: RESCALE IT");
  }
  std::int32_t narrowest = 0;
  for (std::int32_t j = 1; j <= ndim; ++j) {
    const float sd = std::fabs(s.dim_sd[at(j)]);
    if (sd > 0.0f && sd * sd < std::numeric_limits<float>::min() &&
        (narrowest == 0 || sd < std::fabs(s.dim_sd[at(narrowest)])))
      narrowest = j;
  }
  if (narrowest == 0) return std::sqrt(sum);
  proc_error(io::format_line("(A,' HAS A STANDARD DEVIATION OF',1PE10.3)",
                             {dimension_label(narrowest), s.dim_sd[at(narrowest)]}),
             "ITS SQUARE FALLS BELOW THE SINGLE-PRECISION RANGE OF OTYPE'S SUMS: RESCALE IT");
}

// The least squared span of a variable among the objects (methods 3 and 4). A distance within
// an O-type can be any fraction of the objects' extent along a variable, down to the finest
// that single precision resolves there: about FLT_EPSILON (2^-23) of the span, the spacing of
// values and O-type means as large as the span. The nearest O-type and the rejection are
// decided on sums of squares of such distances, and the pass statistics on their means, so
// the square of the finest one must still be a normal float: below FLT_MIN (2^-126) a square
// keeps only its bits above 2^-149, and under 2^-150 it is 0. Hence (2^-23 x span)^2 >= 2^-126,
// a squared span of 2^-80 = 8.3E-25 at least; OTYPE asks for the round 1.0E-24. Two groups
// 6E-21 apart with a spread of 1E-22 still come apart, but the squares within a group (1E-44)
// keep a few bits and the D-values are off; at 3E-22 and 3E-23 the first pass puts objects
// into the wrong core O-types, and at 3E-25 every square is 0 and all join the first O-type.
constexpr double least_square_span = 1.0e-24;

}  // namespace

void require_squarable_distances(bool with_means) {
  const otype_state_record& s = state();
  const control_record& c = s.c;
  // Every squared distance the run forms lies between two points of this box.
  std::array<double, max_dims> low = s.dim_low;
  std::array<double, max_dims> high = s.dim_high;
  for (std::int32_t i = 1; with_means && i <= c.ntypes; ++i) {
    for (std::int32_t j = 1; j <= c.ndim; ++j) {
      low[at(j)] = std::min(low[at(j)], static_cast<double>(omean(j, i)));
      high[at(j)] = std::max(high[at(j)], static_cast<double>(omean(j, i)));
    }
  }
  double total = 0.0;
  double widest_span = 0.0;
  std::int32_t widest = 0;
  for (std::int32_t j = 1; j <= c.ndim; ++j) {
    if (!(high[at(j)] >= low[at(j)])) continue;  // no complete object
    const double span = high[at(j)] - low[at(j)];
    total += span * span;
    if (span > widest_span) {
      widest_span = span;
      widest = j;
    }
  }
  // The squared diagonal of the box bounds every squared distance; no two points need reach it.
  if (!(total < square_limit))
    proc_error(io::format_line("(A,' SPANS',1PE10.3,A)",
                               {dimension_label(widest), widest_span,
                                with_means ? " AMONG OBJECTS AND OMEAN1" : " AMONG THE OBJECTS"}),
               io::format_line("('SQUARED DISTANCES CAN REACH',1PE10.3,'; OTYPE NEEDS THEM BELOW "
                               "1E+38: RESCALE IT')",
                               {total}));
  // The small end takes the objects' own spans: stored means only widen the box, and from the
  // first pass on every O-type mean is a mean of objects and lies inside their box. A variable
  // on which every complete object has the same value adds nothing to any distance.
  double narrowest_span = 0.0;
  std::int32_t narrowest = 0;
  for (std::int32_t j = 1; j <= c.ndim; ++j) {
    if (!(s.dim_high[at(j)] >= s.dim_low[at(j)])) continue;
    const double span = s.dim_high[at(j)] - s.dim_low[at(j)];
    if (span > 0.0 && span * span < least_square_span && (narrowest == 0 || span < narrowest_span)) {
      narrowest_span = span;
      narrowest = j;
    }
  }
  if (narrowest == 0) return;
  proc_error(io::format_line("(A,' SPANS',1PE10.3,' AMONG THE OBJECTS')",
                             {dimension_label(narrowest), narrowest_span}),
             io::format_line("('SQUARED DISTANCES ALONG IT REACH ONLY',1PE10.3,'; OTYPE NEEDS "
                             "1.0E-24: RESCALE IT')",
                             {narrowest_span * narrowest_span}));
}

void OTINPT() {
  otype_state_record& s = state();
  control_record& c = s.c;
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<float> buf(read_buffer, 0.0f);
  switch (c.inmeth) {
    case 1: {
      isf_real_vector("MEANS2", 0, kpar, notfound, buf);
      isf_not_found("MEANS2", notfound);
      const float mean = buf[0];
      isf_real_vector("STDEV2", 0, kpar, notfound, buf);
      isf_not_found("STDEV2", notfound);
      c.ndim = kpar[1];
      if (!int_in_range(c.ndim, 1, max_dims)) proc_error("NF TOO LARGE OR TOO SMALL.");
      std::copy_n(buf.begin(), c.ndim, s.dim_sd.begin());
      for (std::int32_t j = 1; j <= c.ndim; ++j) s.dim_mean[at(j)] = mean;
      open_scores("FSCOR1");
      break;
    }
    case 4: {
      isf_real_matrix("MEANS1", 0, kpar, notfound, buf);
      isf_not_found("MEANS1", notfound);
      c.ndim = kpar[1];
      if (!int_in_range(c.ndim, 1, max_dims)) proc_error(msg_nvar);
      std::copy_n(buf.begin(), c.ndim, s.dim_mean.begin());
      c.nsub = kpar[0] >= 3 ? kpar[3] : 0;
      isf_real_matrix("STDEV1", 0, kpar, notfound, buf);
      isf_not_found("STDEV1", notfound);
      if (kpar[1] != c.ndim)
        proc_error("STDEV1 FILE AND MEANS1 FILE DO NOT AGREE ON NUMBER OF VARIABLES");
      std::copy_n(buf.begin(), c.ndim, s.dim_sd.begin());
      open_scores("DSCOR1");
      break;
    }
    case 3:
      input_raw();
      break;
    default:
      return;  // method 2: the objects are on the scratch file already
  }
  s.dim_low.fill(std::numeric_limits<double>::infinity());
  s.dim_high.fill(-std::numeric_limits<double>::infinity());
  if (c.inmeth == 3 || c.inmeth == 4) {
    // The variables' own values may lie anywhere in the single-precision range; factor
    // scores (method 1) are standard scores and are not read ahead for their extremes.
    scan_extremes();
    require_squarable_distances(false);
  }
  c.totsd = total_deviation();
  c.bstdev = c.totsd * c.unique;
  c.conddv = c.totsd * c.conden;
  if (c.kcrit <= 0) c.kcrit = std::max(2, (2 * c.nsub) / 100);
  start_delivery();
}

void OTNEXT() {
  otype_state_record& s = state();
  control_record& c = s.c;
  scratch_record& sc = s.sc;
  object_record& o = s.cur;
  ++sc.delivered;
  o.more = 1;
  if (sc.delivered > c.nsub) {
    if (c.inmeth == 2) sc.mem_pos = 0;
    if (c.inmeth == 3) rewind_unit(c.mtdst);
    sc.delivered = c.nsub + 1;
    o.more = 0;
    return;
  }
  switch (c.inmeth) {
    case 1:
    case 4:
      next_scores(o);
      break;
    case 2: {
      const object_store& m = sc.mem_in;
      if (sc.mem_pos >= m.ordinal.size()) iostat_error(-1);
      const std::size_t k = sc.mem_pos++;
      const auto nd = static_cast<std::size_t>(c.ndim);
      o.name.assign(m.names.data() + k * name_len, name_len);
      o.ordinal = m.ordinal[k];
      o.type = m.type[k];
      std::copy_n(m.profile.data() + k * nd, nd, o.profile.begin());
      break;
    }
    default: {
      std::string name;
      std::int32_t number = 0;
      std::span<float> values(o.profile.data(), static_cast<std::size_t>(c.ndim));
      if (!sc.dsf || !sc.dsf->next(values, name, number)) iostat_error(-1);
      o.name = io::pad(name, name_len);
      o.ordinal = number;
      o.type = 0;
      break;
    }
  }
  // A raw value missing in the data storage file (NaN) counts like the missing-score value.
  o.missing = 0;
  for (std::int32_t j = 1; j <= c.ndim; ++j) {
    const float x = o.profile[at(j)];
    if (x == c.amis || std::isnan(x)) ++o.missing;
  }
  if (c.inmeth == 2) {
    OTFIND();
  } else if (o.missing > 0) {
    pager(2);
    put("( '0SUBJECT ', A, ' ORD POS.', I5, ', CONTAINS', I3, ' MISSING SCORES.')",
        {o.name, o.ordinal, o.missing});
  }
}

void restart_score_input() {
  otype_state_record& s = state();
  scratch_record& sc = s.sc;
  if (s.c.inmeth != 1 && s.c.inmeth != 4) return;
  open_score_entry(sc.score_label);
  if (sc.have_names) rewind_unit(sc.name_unit);
  start_delivery();
}

void OTFIND() {
  otype_state_record& s = state();
  object_record& o = s.cur;
  if (o.missing > 0) {
    o.type = 0;
    return;
  }
  if (s.lookup_mode == 0) {
    std::int32_t lo = 1;
    std::int32_t hi = s.c.ntypes;
    const std::int32_t key = o.type;
    std::int32_t found = 0;
    while (lo < hi) {
      const std::int32_t mid = (lo + hi) / 2;
      const std::int32_t e = s.lookup[at(mid)];
      if (e < key) {
        lo = mid + 1;
      } else if (e > key) {
        hi = mid - 1;
      } else {
        found = mid;
        break;
      }
    }
    if (found == 0 && lo == hi && lo >= 1 && s.lookup[at(lo)] == key) found = lo;
    o.type = found;
  } else if (s.lookup_mode == 1) {
    if (o.type > 0) o.type = o.type <= max_types ? s.lookup[at(o.type)] : 0;
  }
}

void OTSCRF(std::int32_t mode) {
  otype_state_record& s = state();
  control_record& c = s.c;
  scratch_record& sc = s.sc;
  switch (mode) {
    case 1:
      sc.written = 0;
      sc.mem_out.clear();
      break;
    case 2: {
      ++sc.written;
      object_store& m = sc.mem_out;
      const std::string name = io::pad(s.cur.name, name_len);
      m.names.insert(m.names.end(), name.begin(), name.end());
      m.ordinal.push_back(s.cur.ordinal);
      m.type.push_back(s.cur.type);
      m.profile.insert(m.profile.end(), s.cur.profile.begin(), s.cur.profile.begin() + c.ndim);
      break;
    }
    case 3:
      c.nsub = sc.written;
      std::swap(sc.mem_in, sc.mem_out);
      sc.mem_out.clear();
      sc.mem_pos = 0;
      std::swap(sc.in_unit, sc.out_unit);
      sc.delivered = 0;
      c.inmeth = 2;
      sc.dsf.reset();
      break;
    default:
      break;
  }
}

void OTTRAN(std::span<const float> source, std::span<float> target, std::int32_t ndim,
            std::int32_t ntypes) {
  for (std::int32_t k = 1; k <= ntypes; ++k)
    for (std::int32_t j = 1; j <= ndim; ++j)
      target[at(j) * max_types + at(k)] = source[at(k) * max_dims + at(j)];
}

void OTPRTM(std::span<const float> matrix, std::string_view title) {
  otype_state_record& s = state();
  std::vector<float> buf(static_cast<std::size_t>(max_types * max_dims), 0.0f);
  OTTRAN(matrix, buf, s.c.ndim, s.c.ntypes);
  pr_matrix_lab(buf, s.type_num, s.dim_num, s.type_names, s.dim_names, s.c.ntypes, s.c.ndim,
                max_types, 1, 2, title, s.page, s.lines, s.monout);
}

}  // namespace korvex::otype
