// The iteration phase of OTYPE: from the starting O-types, each pass assigns every object
// to the O-type of nearest mean profile (rejecting objects beyond the bound), recomputes
// the means, deletes O-types with too few members and condenses O-types that lie closer
// than the condensation distance, until no object moves or the pass limit is reached; a
// final pass makes the last assignment. Also the reading of stored starting means.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/fields.hpp"
#include "executive/status.hpp"
#include "printing/matrix_printers.hpp"
#include "printing/printing.hpp"
#include "storage/storage.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

namespace {

std::size_t cell(std::int32_t j, std::int32_t i) { return at(i) * max_dims + at(j); }

// Moves the O-type at position from to position to (to < from), with the counts of its
// last pass.
void move_type(std::int32_t from, std::int32_t to) {
  otype_state_record& s = state();
  s.type_count[at(to)] = s.type_count[at(from)];
  s.past[at(to)] = s.past[at(from)];
  s.entering[at(to)] = s.entering[at(from)];
  s.leaving[at(to)] = s.leaving[at(from)];
  s.rejects[at(to)] = s.rejects[at(from)];
  s.type_names[at(to)] = s.type_names[at(from)];
  s.type_num[at(to)] = s.type_num[at(from)];
  for (std::int32_t j = 1; j <= max_dims; ++j) omean(j, to) = omean(j, from);
  const std::int32_t num = s.type_num[at(to)];
  if (num >= 1 && num <= max_types) s.type_position[at(num)] = to;
}

// Square of the distance between the mean columns at positions a and b.
float sqdist(std::int32_t a, std::int32_t b) {
  const std::int32_t ndim = state().c.ndim;
  float d = 0.0f;
  for (std::int32_t j = 1; j <= ndim; ++j) {
    const float x = omean(j, a) - omean(j, b);
    d += x * x;
  }
  return d;
}

}  // namespace

void OTRDM1() {
  otype_state_record& s = state();
  control_record& c = s.c;
  Kpar kpar{};
  std::int32_t notfound = 0;
  std::vector<std::string> names(isf_matrix_ld, std::string(name_len, ' '));
  std::vector<std::int32_t> index(isf_matrix_ld, 0);
  MXFIL1(0, "OMEAN1", notfound, kpar, names, index);
  isf_not_found("OMEAN1", notfound);
  const std::int32_t m = kpar[1];
  const std::int32_t r = kpar[2];
  if (!int_in_range(m, 1, max_dims) || !int_in_range(r, 1, max_types))
    proc_error("OMEAN1 FILE IMPROPER.");
  for (std::int32_t j = 1; j <= m; ++j) {
    s.dim_names[at(j)] = names[at(j)];
    s.dim_num[at(j)] = index[at(j)];
  }
  c.ntypes = r;
  std::vector<float> row(static_cast<std::size_t>(m), 0.0f);
  for (std::int32_t i = 1; i <= r; ++i) {
    std::string name;
    std::int32_t number = 0;
    MXFIL3(row, name, number);
    for (std::int32_t j = 1; j <= m; ++j) omean(j, i) = row[at(j)];
    s.type_names[at(i)] = name;
    s.type_num[at(i)] = number;
  }
  OTINPT();
  if (m != c.ndim) proc_error("OMEANS1 AND OTHER FILES DISAGREE.");
  // The input step found the extremes of the variables' own values (methods 3 and 4).
  if (c.inmeth == 3 || c.inmeth == 4) require_squarable_distances(true);
  s.lookup_mode = 1;
  s.lookup.fill(0);
  s.type_position.fill(0);
  c.maxnum = 0;
  for (std::int32_t i = 1; i <= r; ++i) {
    const std::int32_t num = s.type_num[at(i)];
    // Stored numbers outside the tables cannot be looked up.
    if (!int_in_range(num, 1, max_types)) proc_error("OMEAN1 FILE IMPROPER.");
    s.lookup[at(num)] = num;
    s.type_position[at(num)] = i;
    c.maxnum = std::max(c.maxnum, num);
    s.type_count[at(i)] = 0;
  }
  OTPRTM(s.omeans, "MATRIX OF OMEANS FOR EUFIT");
}

void OTASGN() {
  otype_state_record& s = state();
  control_record& c = s.c;
  ++s.pass_number;
  OTITHD();
  OTMHDR(1);
  for (std::int32_t i = 1; i <= c.ntypes; ++i) {
    s.past[at(i)] = s.type_count[at(i)];
    s.entering[at(i)] = s.leaving[at(i)] = s.rejects[at(i)] = 0;
    s.type_count[at(i)] = 0;
    for (std::int32_t j = 1; j <= max_dims; ++j) s.type_sums[cell(j, i)] = s.type_sqdev[cell(j, i)] = 0.0;
  }
  OTSCRF(1);
  OTMLIN(1);
  object_record& o = s.cur;
  const auto leave = [&](std::int32_t number) {
    if (number >= 1 && number <= max_types && s.type_position[at(number)] >= 1)
      ++s.leaving[at(s.type_position[at(number)])];
  };
  for (;;) {
    OTNEXT();
    if (o.more == 0) break;
    s.nearest = 0;
    s.dvalue = 0.0f;
    s.mark = "    ";
    if (o.missing == 0) {
      float best = 1.0e38f;
      const float* mean = s.omeans.data();
      for (std::int32_t i = 1; i <= c.ntypes; ++i, mean += max_dims) {
        float sum = 0.0f;
        for (std::int32_t j = 0; j < c.ndim; ++j) {
          const float x = o.profile[static_cast<std::size_t>(j)] - mean[j];
          sum += x * x;
        }
        if (sum < best) {
          best = sum;
          s.nearest = i;
        }
      }
      if (s.nearest == 0) {
        // No O-type is at a finite distance: the object is rejected from every one.
        leave(o.type);
        s.mark = "RRRR";
        o.type = 0;
      } else {
        const std::int32_t near = s.nearest;
        s.dvalue = std::sqrt(best);
        if (s.dvalue <= c.bstdev) {
          const std::int32_t now = s.type_num[at(near)];
          if (o.type == 0) {
            s.mark = "****";
            o.type = now;
            ++s.entering[at(near)];
          } else if (o.type != now) {
            leave(o.type);
            s.mark = PARNUM(o.type);
            o.type = now;
            ++s.entering[at(near)];
          }
          if (s.type_count[at(near)] == 0)
            for (std::int32_t j = 1; j <= c.ndim; ++j) s.type_reference[cell(j, near)] = o.profile[at(j)];
          ++s.type_count[at(near)];
          for (std::int32_t j = 1; j <= c.ndim; ++j) {
            const float x = o.profile[at(j)];
            s.type_sums[cell(j, near)] += static_cast<double>(x);
            const float d = x - s.type_reference[cell(j, near)];
            s.type_sqdev[cell(j, near)] += static_cast<double>(d * d);
          }
        } else {
          ++s.rejects[at(near)];
          leave(o.type);
          s.mark = "RRRR";
          o.type = 0;
        }
        OTMHDR(2);
      }
    }
    OTSCRF(2);
    OTMLIN(2);
  }
  OTSCRF(3);
  OTMLIN(3);
  OTMHDR(3);
  s.pass_moves = 0;
  for (std::int32_t i = 1; i <= c.ntypes; ++i) s.pass_moves += s.entering[at(i)] + s.leaving[at(i)];
}

void OTITRP() {
  otype_state_record& s = state();
  control_record& c = s.c;
  const bool reported =
      c.kstat == 0 || (c.kstat == 2 && (s.pass_number == 1 || s.final_pass == 1));
  std::vector<float> means(static_cast<std::size_t>(max_dims * max_types), 0.0f);
  std::vector<float> change(means.size(), 0.0f);
  std::vector<float> drift(max_types, 0.0f);
  for (std::int32_t i = 1; i <= c.ntypes; ++i) {
    const std::int32_t n = s.type_count[at(i)];
    float d = 0.0f;
    for (std::int32_t j = 1; j <= c.ndim; ++j) {
      if (n > 0) {
        means[cell(j, i)] = static_cast<float>(s.type_sums[cell(j, i)] / static_cast<double>(n));
        change[cell(j, i)] = means[cell(j, i)] - omean(j, i);
      } else {
        means[cell(j, i)] = -0.0f;
        change[cell(j, i)] = -0.0f;
      }
      d += change[cell(j, i)] * change[cell(j, i)];
    }
    drift[at(i)] = std::sqrt(d);
  }
  if (reported) {
    OTPRTM(means, "OMEANS OF OTYPES");
    OTPRTM(change, "CHANGE OF OMEANS FROM THE PREVIOUS ITERATION");
    pr_vector(drift, s.type_names, c.ntypes, 1, 2, "OMEAN DRIFT (D-VALUE) BETWEEN ITERATIONS",
              s.page, s.lines, s.monout);
    print_pass_counts();
  }
  for (std::int32_t i = 1; i <= c.ntypes; ++i)
    for (std::int32_t j = 1; j <= c.ndim; ++j) omean(j, i) = means[cell(j, i)];
  if (reported) OTSTAT();
  if (s.lookup_mode == 0) {
    s.lookup.fill(0);
    for (std::int32_t i = 1; i <= c.ntypes; ++i) s.lookup[at(i)] = i;
    s.lookup_mode = 1;
  }
  std::int32_t deleted = 0;
  OTKCRT(deleted);
  if (deleted > 0) OTPRTM(s.omeans, "SELECTED OMEANS OF OTYPES");
}

void OTKCRT(std::int32_t& deleted) {
  otype_state_record& s = state();
  control_record& c = s.c;
  std::int32_t kept = 0;
  for (std::int32_t i = 1; i <= c.ntypes; ++i) {
    const std::int32_t n = s.type_count[at(i)];
    if (n < c.kcrit) {
      pager(2);
      put("( '0THE NUMBER OF OBJECTS,', I5, ', IN OTYPE ', A,' IS LESS THAN KCRIT(', I5, '). "
          "OTYPE DELETED.' )",
          {n, s.type_names[at(i)], c.kcrit});
      const std::int32_t num = s.type_num[at(i)];
      if (num >= 1 && num <= max_types) s.lookup[at(num)] = 0;
    } else {
      ++kept;
      if (kept != i) move_type(i, kept);
    }
  }
  deleted = c.ntypes - kept;
  if (kept == 0) proc_error("ALL OTYPES HAVE VANISHED.");
  c.ntypes = kept;
}

void OTCONV(std::int32_t& stop_state) {
  const otype_state_record& s = state();
  const control_record& c = s.c;
  stop_state = 1;
  if (s.pass_number >= 1 && c.ntypes < 1) stop_state = 2;
  if (s.pass_number >= 1 && s.pass_moves < 1) stop_state = 2;
  if (s.pass_number >= c.niter - 1) stop_state = 2;
}

void OTCOND() {
  otype_state_record& s = state();
  control_record& c = s.c;
  if (c.ntypes < 2) return;
  std::vector<std::vector<std::int32_t>> chain(max_types + 1);
  for (std::int32_t i = 1; i <= c.ntypes; ++i)
    if (s.type_num[at(i)] > max_types || s.type_num[at(i)] < 1)
      proc_error("BAD OTYPE ORDINAL POSITION.");
  std::vector<float> d2(static_cast<std::size_t>((max_types + 1) * (max_types + 1)), 0.0f);
  const auto D = [&](std::int32_t a, std::int32_t b) -> float& {
    return d2[static_cast<std::size_t>(s.type_num[at(a)] * (max_types + 1) + s.type_num[at(b)])];
  };
  const auto set = [&](std::int32_t a, std::int32_t b) { D(a, b) = D(b, a) = sqdist(a, b); };
  for (std::int32_t a = 2; a <= c.ntypes; ++a)
    for (std::int32_t b = 1; b < a; ++b) set(a, b);
  bool any = false;
  while (c.ntypes >= 2) {
    std::int32_t pa = 2, pb = 1;
    float best = D(2, 1);
    for (std::int32_t a = 3; a <= c.ntypes; ++a)
      for (std::int32_t b = 1; b < a; ++b)
        if (D(a, b) < best) {
          best = D(a, b);
          pa = a;
          pb = b;
        }
    const float dist = std::sqrt(best);
    if (!(dist <= c.conddv)) break;
    // The O-type with more members survives; on equal counts the lower position.
    const std::int32_t keep = s.type_count[at(pa)] > s.type_count[at(pb)] ? pa : pb;
    const std::int32_t gone = keep == pa ? pb : pa;
    if (!any) {
      pager(2);
      put("( '0VALUE OF CONDEN IS', F5.2, ', EQUIVALENT D-VALUE IS', F6.2)", {c.conden, c.conddv});
      any = true;
    }
    pager(2);
    put("( '0OTYPE ', A, ' CONDENSED INTO OTYPE ', A,' WITH D-VALUE OF', F6.2)",
        {s.type_names[at(gone)], s.type_names[at(keep)], dist});
    const std::int32_t nk = s.type_count[at(keep)];
    const std::int32_t ng = s.type_count[at(gone)];
    const std::int32_t total = nk + ng;
    for (std::int32_t j = 1; j <= c.ndim; ++j)
      omean(j, keep) = merged_mean(omean(j, gone), ng, omean(j, keep), nk);
    s.type_count[at(keep)] = total;
    for (std::int32_t i = 1; i <= c.ntypes; ++i)
      if (i != keep) set(keep, i);
    const std::int32_t kn = s.type_num[at(keep)];
    const std::int32_t gn = s.type_num[at(gone)];
    chain[static_cast<std::size_t>(kn)].push_back(gn);
    for (std::int32_t x : chain[static_cast<std::size_t>(gn)]) chain[static_cast<std::size_t>(kn)].push_back(x);
    for (std::int32_t i = gone; i < c.ntypes; ++i) move_type(i + 1, i);
    s.type_position[at(gn)] = 0;
    --c.ntypes;
  }
  if (!any) return;
  for (std::int32_t i = 1; i <= c.ntypes; ++i) {
    const std::int32_t num = s.type_num[at(i)];
    s.lookup[at(num)] = num;
    for (std::int32_t x : chain[static_cast<std::size_t>(num)]) s.lookup[at(x)] = num;
  }
  OTPRTM(s.omeans, "OMEANS OF OTYPES AFTER CONDENSATION");
}

float merged_mean(float a, std::int32_t na, float b, std::int32_t nb) {
  const std::int32_t n = na + nb;
  const float m = n > 0 ? (a * static_cast<float>(na) + b * static_cast<float>(nb)) /
                              static_cast<float>(n)
                        : (a + b) / 2.0f;
  if (std::isfinite(m) || !std::isfinite(a) || !std::isfinite(b)) return m;
  const double wide = n > 0 ? (static_cast<double>(a) * na + static_cast<double>(b) * nb) / n
                            : (static_cast<double>(a) + static_cast<double>(b)) / 2.0;
  return static_cast<float>(wide);
}

void EUFIT() {
  otype_state_record& s = state();
  control_record& c = s.c;
  s.pass_number = 0;
  s.final_pass = 0;
  s.pass_moves = 0;
  if (c.kinput == 2) {
    OTRDM1();
  } else {
    OTDIST();
  }
  OTPUNM();
  if (c.kiter == 1) {
    std::int32_t st = 1;
    OTCONV(st);
    while (st != 2) {
      OTASGN();
      OTITRP();
      OTCONV(st);
      OTDIST();
      OTPUNM();
      OTCOND();
    }
    s.final_pass = 1;
    OTASGN();
    OTITRP();
    OTDIST();
    OTPUNM();
  }
  WRAPUP();
  c.ipart = 0;
}

}  // namespace korvex::otype
