// RSCAT's pair statistics and slice table: for a pair (X, Y) the correlation over the subjects
// that have both values, then in both directions the strips of one variable's plotting range
// with the other's linear and curvilinear prediction, the eta coefficients and the standard
// errors, printed as the slice table with the linear prediction lines under it.
#include <cmath>
#include <string>
#include <vector>

#include "executive/units.hpp"
#include "executive/vecmat.hpp"
#include "io/fixed_text.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "scoring/rscat_internal.hpp"

namespace korvex::rscat {

namespace {

// A radicand that rounding took below zero is zero; a NaN stays a NaN.
double clamp0(double x) { return x < 0.0 ? 0.0 : x; }
float clamp0f(float x) { return x < 0.0f ? 0.0f : x; }

bool counts(float p, float q) {
  return rscat_control().MISS != 1 || (!std::isnan(p) && !std::isnan(q));
}

// The slice bounds of P: bound k is the upper edge of slice k.
void slice_bounds(std::int32_t p, direction_stats& d) {
  const rscat_control_record& c = rscat_control();
  const double width = single(static_cast<double>(c.SDEV[at(p)]) * static_cast<double>(5.1f));
  const double step = single(width / static_cast<double>(c.SLICE));
  double bound = c.LOWER[at(p)];
  for (std::int32_t k = 1; k <= c.SLICE - 1; ++k) {
    bound = single(bound + step);
    d.bounds[at(k)] = bound;
  }
}

// The five records that head the columns of the table; the bars as the first page or a
// continuation page writes them.
void column_heading(std::string_view bar_layout) {
  put("(6X,\"|\",7X,\"Mean X\",5X,\"Predicted Y\", 11X,\"SE YX\",  10X,\"|\",7X,\"Mean Y\",5X,"
      "\"Predicted X \",11X,\"SE XY\")");
  put("(A13,11X,A45,11x,A13)",
      {"Slice| Slice|", "Linear   Curv.   Curv.Curv.   N", "Linear   Curv.     Curv.   Curv.   N"});
  put("(6X,A7,30X,A14,4X,A7,30X,A14)", {"Bounds ", "(Bias)(Unbias)", "Bounds ", "(Bias)(Unbias)"});
  put(bar_layout, {"|", "|"});
  put(bar_layout, {"|", "|"});
}

void slice_table_head(std::int32_t X, std::int32_t Y, const pair_result& pr) {
  rscat_control_record& c = rscat_control();
  pager(0);
  pager(1);
  pr_line(0, c.width, io::trim_right(c.RTITLE.substr(0, 72)), c.page, c.lines, c.monout);
  pager(-1);
  pager(3);
  put("(76X,\"(\",I2,\" strips used for eta computations)\")", {c.SLICE});
  put("(\" Ordinate (Y) =  \",A20,36X,\"eta(yx)=  \",F6.4, 3X,\"Unbiassed ETA(YX)=  \",F6.4)",
      {c.VLABEL[at(Y)], pr.xy.eta, pr.xy.eta_unbiased});
  put("(\" Abscissa (X) =  \",A20,36X,\"eta(xy)=  \",F6.4, 3X,\"Unbiassed ETA(XY)=  \",F6.4)",
      {c.VLABEL[at(X)], pr.yx.eta, pr.yx.eta_unbiased});
  pager(-1);
  pager(1);
  put("(76X,\"PRODUCT MOMENT CORRELATION = \",F7.4 )", {pr.r});
  pager(-4);
  pager(1);
  static const std::vector<io::Value> rule(117, io::Value("-"));
  write_formatted(c.monout, "(1X, 117A1)", rule);
  pager(3);
  column_heading("(6X,A,55X,A)");
}

void slice_table_rows(const pair_result& pr) {
  const rscat_control_record& c = rscat_control();
  const direction_stats& a = pr.xy;
  const direction_stats& b = pr.yx;
  for (std::int32_t i = 1; i <= c.SLICE; ++i) {
    const std::int32_t k = c.SLICE + 1 - i;
    const std::size_t u = at(k);
    put("(1X,I3, \"  |\",5X,F8.2,2X,2F8.2,2X,2F8.2,I5, \" |\",5X,F8.2,2X,2F8.2,2X,2F8.2,I5)",
        {k, a.mean_p[u], a.linear[u], a.curvilinear[u], a.se_biased[u], a.se_unbiased[u],
         a.count[u], b.mean_p[u], b.linear[u], b.curvilinear[u], b.se_biased[u],
         b.se_unbiased[u], b.count[u]});
    if (i < c.SLICE) {
      if (i == 20) {
        pager(0);
        pager(6);
        put("(1X, A72, 38X, \"PAGE \", I4)", {c.RTITLE.substr(0, 72), c.page});
        column_heading("(6X,A1,55X,A1)");
      }
      put("(\" -----|\",F9.2,23(\"--\"),\"|\",F9.2,23(\"--\"))",
          {a.bounds[at(k - 1)], b.bounds[at(k - 1)]});
    }
    put("(6X, \"|\",55X,\"|\")");
  }
}

void prediction_lines(const pair_result& pr) {
  pager(-1);
  pager(2);
  put("(30X,\"SE YX  LINEAR = \",F8.2,29X,\"SE XY  LINEAR =  \",F8.2 )",
      {pr.xy.se_linear, pr.yx.se_linear});
  put("(14X,A26,F8.2,\"B=  \",F8.2,9X,A26,F8.2,\"B=  \",F8.2)",
      {"IN LINEAR PREDICTED Y,  A= ", pr.xy.A, pr.xy.B, "IN LINEAR PREDICTED X,  A= ", pr.yx.A,
       pr.yx.B});
  pager(-1);
}

}  // namespace

void pair_stats(std::int32_t X, std::int32_t Y, pair_result& pr) {
  rscat_control_record& c = rscat_control();
  const auto both = [&c, X, Y](std::int32_t i) {
    return !std::isnan(c.x(i, X)) && !std::isnan(c.x(i, Y));
  };
  // Totalled in double, the squares and products about the means of the pair's subjects: raw
  // moments of data whose mean is large against its spread would leave the spread to the
  // rounding of their difference. The results are stored in single precision.
  double n = 0.0;
  double sx = 0.0;
  double sy = 0.0;
  for (std::int32_t i = 1; i <= c.NSUB; ++i) {
    if (!both(i)) continue;
    n += 1.0;
    sx += static_cast<double>(c.x(i, X));
    sy += static_cast<double>(c.x(i, Y));
  }
  const double mx = sx / n;
  const double my = sy / n;
  double sxx = 0.0;
  double syy = 0.0;
  double sxy = 0.0;
  for (std::int32_t i = 1; i <= c.NSUB; ++i) {
    if (!both(i)) continue;
    const double dx = static_cast<double>(c.x(i, X)) - mx;
    const double dy = static_cast<double>(c.x(i, Y)) - my;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  const double sdx = std::sqrt(sxx / n);
  const double sdy = std::sqrt(syy / n);
  const double r = sxy / (n * sdx * sdy);
  const auto set = [&c](std::int32_t v, double mean, double sd) {
    c.MEANV[at(v)] = static_cast<float>(mean);
    c.SDEV[at(v)] = static_cast<float>(sd);
    plotting_range(v);
  };
  set(X, mx, sdx);
  set(Y, my, sdy);
  pr.N = static_cast<float>(n);
  pr.plotted = static_cast<std::int32_t>(n);
  pr.r = static_cast<float>(r);
  pr.mean_x = mx;
  pr.mean_y = my;
  pr.sd_x = sdx;
  pr.sd_y = sdy;
}

std::int32_t slice_of(float value, double lower, double upper, std::int32_t slices) {
  const double per_unit = single(static_cast<double>(slices) / single(upper - lower));
  const double t = single(single(per_unit * single(static_cast<double>(value) - lower)) + 1.0);
  // Not a number (a variable without spread) is placed as a value at the upper bound.
  if (!(t < static_cast<double>(slices) + 1.0)) return slices;
  if (t < 1.0) return 1;
  const auto k = static_cast<std::int32_t>(t);
  return k > slices ? slices : k;
}

void slice_stats(std::int32_t p, std::int32_t q, float r, float N, double mean_p, double mean_q,
                 double sd_p, double sd_q, direction_stats& d) {
  const rscat_control_record& c = rscat_control();
  const std::size_t up = at(p);
  const std::size_t uq = at(q);
  std::vector<double> sum_p(static_cast<std::size_t>(c.SLICE), 0.0);
  std::vector<double> sum_q(static_cast<std::size_t>(c.SLICE), 0.0);
  // Q about the pair's mean of Q, for the sums of squares within the slices.
  std::vector<double> sum_dq(static_cast<std::size_t>(c.SLICE), 0.0);
  std::vector<double> sum_dqq(static_cast<std::size_t>(c.SLICE), 0.0);
  d.count.fill(0);
  if (c.SDEV[up] == 0.0f && sd_p > 0.0) {
    // P varies by less than single precision holds (0 and 1.4e-45): its stored deviation is
    // 0, and the quotient would be infinite where the slope is only far beyond the float range.
    d.B = single(static_cast<double>(r) * (sd_q / sd_p));
  } else {
    d.B = single(single(static_cast<double>(r) * static_cast<double>(c.SDEV[uq])) /
                 static_cast<double>(c.SDEV[up]));
  }
  // The intercept from the accurate means in double, rounded once.
  d.A = single(mean_q - d.B * mean_p);
  if (d.A == 0.0) d.A = 0.0;  // a negative zero prints as plus zero
  for (std::int32_t i = 1; i <= c.NSUB; ++i) {
    const float pv = c.x(i, p);
    const float qv = c.x(i, q);
    if (!counts(pv, qv)) continue;
    const std::size_t k = at(slice_of(pv, c.LOWER[up], c.UPPER[up], c.SLICE));
    ++d.count[k];
    sum_p[k] += static_cast<double>(pv);
    sum_q[k] += static_cast<double>(qv);
    const double dq = static_cast<double>(qv) - mean_q;
    sum_dq[k] += dq;
    sum_dqq[k] += dq * dq;
  }
  double within = 0.0;
  for (std::size_t k = 0; k < static_cast<std::size_t>(c.SLICE); ++k) {
    const std::int32_t n = d.count[k];
    if (n == 0) {
      d.mean_p[k] = -0.0f;
      d.linear[k] = -0.0;
      d.curvilinear[k] = -0.0f;
    } else {
      d.mean_p[k] = static_cast<float>(sum_p[k] / n);
      d.curvilinear[k] = static_cast<float>(sum_q[k] / n);
      // The line B x + A taken about the means: B times a raw mean plus the intercept would
      // leave the prediction to the rounding of two large terms of opposite sign.
      d.linear[k] = single(mean_q + d.B * (sum_p[k] / n - mean_p));
    }
    if (n > 1) {
      const double ss = clamp0(sum_dqq[k] - sum_dq[k] * sum_dq[k] / n);
      // A slice holding 3e38 and -3e38 has an unbiased error of 4.2e38: kept, not overflowed.
      d.se_biased[k] = single(std::sqrt(ss / n));
      d.se_unbiased[k] = single(std::sqrt(ss / (n - 1)));
      within += ss;
    } else {
      d.se_biased[k] = 0.0;
      d.se_unbiased[k] = -0.0;
    }
  }
  d.se_linear = c.SDEV[uq] * std::sqrt(clamp0f(1.0f - r * r));
  const double sdq = static_cast<double>(c.SDEV[uq]);
  const double R = within / (static_cast<double>(N) * sdq * sdq);
  d.eta = static_cast<float>(std::sqrt(clamp0(1.0 - R)));
  const double factor = (static_cast<double>(N) - 1.0) / (static_cast<double>(N) - c.SLICE);
  d.eta_unbiased = static_cast<float>(std::sqrt(clamp0(1.0 - factor * R)));
  // With no more subjects than slices no within-slice degree of freedom is left: the factor
  // is infinite or negative and would lift the corrected eta above 1, so it is taken as 0.
  if (N >= 1.0f && N <= static_cast<float>(c.SLICE) && !std::isnan(R)) d.eta_unbiased = 0.0f;
}

void slice_table(std::int32_t X, std::int32_t Y, pair_result& pr) {
  pair_stats(X, Y, pr);
  slice_stats(X, Y, pr.r, pr.N, pr.mean_x, pr.mean_y, pr.sd_x, pr.sd_y, pr.xy);
  slice_stats(Y, X, pr.r, pr.N, pr.mean_y, pr.mean_x, pr.sd_y, pr.sd_x, pr.yx);
  slice_bounds(X, pr.xy);
  slice_bounds(Y, pr.yx);
  slice_table_head(X, Y, pr);
  slice_table_rows(pr);
  prediction_lines(pr);
}

}  // namespace korvex::rscat
