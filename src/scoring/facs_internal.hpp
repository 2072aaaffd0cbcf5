// Private to the scoring component FACS: its control block and work arrays (one run-wide
// module, reset by reset_facs), the phases of its first step (cards, inputs, scale, report
// head, weights, data file check) and the two scoring passes with their punched deck.
// Matrices are column-major with the leading dimensions named below; positions are 1-based.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data_entry/dsf_reader.hpp"
#include "executive/vecmat.hpp"

namespace korvex::facs {

inline constexpr std::int32_t max_vars = 999;   // NV limit, leading dimension of F and R
inline constexpr std::int32_t max_comp = 50;    // NF limit, leading dimension of W and BASIS
inline constexpr std::int32_t max_defs = 99;    // definers per cluster
inline constexpr std::int32_t block_size = 50;  // subjects per block of the score pages

// A composite counts as not varying over the subjects when its spread is below a small
// fraction of the size of the weighted terms it is summed from; the test is relative, so data
// of any scale (values of 1e-4 as well as 1e4) are judged alike.
// The complete-data pass, which sees only the correlations, compares the variance w'Rw with the
// size sum |w_j w_b r_jb| of its terms. Each of them is single precision with a relative
// rounding of half an epsilon, so a composite whose terms cancel (A plus 10 - A) is left with a
// few epsilon times that size, and that is all its "spread" is. Sixteen epsilon (about 1.9e-6)
// stays clear of that rounding also for sums over many definers, while any composite that
// really varies lies many orders above it.
inline constexpr float negligible_spread = 16.0f * std::numeric_limits<float>::epsilon();
// The missing-data pass refuses a composite whose spread over the scored subjects is no more
// than rounding can leave in a composite that is constant in exact arithmetic (x plus C - x).
// The rounding of one subject's composite is at most
//   b = (ndef / p) * sum over the present definers of |w_j| (h(x_j) + arithmetic_rounding |d_j|),
// with w_j the standard-score weight, d_j the deviation from the centre and h(x_j)
// (half_spacing) the most by which the stored single-precision value can differ from the value
// it stands for. The spacing h is what makes such a composite vary at all: x and C - x are
// each rounded at their own level, so their sum is not C. The arithmetic share covers the
// operations on each term (the deviation, the weight, the product, the sums), each within half
// an epsilon, and the rounding of the two standard deviations. A composite of one definer
// cannot be constant while its variable varies (the stored value of a constant is constant), so
// its bound is the arithmetic share alone. A spread about the mean is never more than the root
// mean square of the departures from any constant, so the composite counts as constant unless
// its spread exceeds the root mean square of b over the scored subjects, which holds also where b
// differs between subjects (data that cross a power of two). The bound follows the spacing of
// the stored values and the size of the deviations, not the level of the data: pairs x + (C - x)
// written in many ways stay below 0.63 of it, two whole-number variables near 1e7 with an SD
// of 2 sum to 2.9 times it.
inline constexpr double arithmetic_rounding = 2.0 * std::numeric_limits<float>::epsilon();
// Half the spacing of single-precision numbers at x: the most by which a value rounded to x can
// differ from it, 2^(E - 151) for the biased exponent E of x (2^-24 at 1, 0.5 at 1e7); zero and
// subnormal values share the spacing 2^-149 of the smallest normal ones. Read from the bits, so
// that the loop over the definers stays without branches.
inline double half_spacing(float x) {
  const std::uint32_t biased = (std::bit_cast<std::uint32_t>(x) >> 23) & 0xffu;
  const std::uint64_t exponent = std::max<std::uint32_t>(biased, 1u) - 151u + 1023u;
  return std::bit_cast<double>(exponent << 52);
}
// The relative rounding of a deviation's standard score d / SD beyond that of the arithmetic:
// none for a normal SD, which holds 24 bits; below the normal range an SD keeps only the bits
// above 2^-149, and its own rounding, up to 2^-150 / SD, enters every standard score.
inline double deviation_rounding(float sd) {
  const double below = sd < std::numeric_limits<float>::min() && sd > 0.0f
                           ? std::ldexp(1.0, -150) / static_cast<double>(sd)
                           : 0.0;
  return arithmetic_rounding + below;
}
// The least standard deviation from which standard scores are formed: 2^-130, where a
// subnormal SD still keeps 20 bits, so that it is held to within a millionth and the scores,
// printed to four decimals of an SD of 10, do not show its rounding.
inline constexpr float least_deviation = 0x1p-130f;
// The most by which rounding can move one weighted term w d of a subject's composite, d the
// deviation of the stored value x from its centre: |w| (h(x) + relative |d|), the spacing left
// out for a composite of one definer (see arithmetic_rounding); relative is the
// deviation_rounding of the variable's SD.
inline double term_rounding(double w, float x, double d, bool alone, double relative) {
  const double stored = alone ? 0.0 : half_spacing(x);
  return std::fabs(w) * (stored + relative * std::fabs(d));
}
// What a user whose refused composite does vary can do: values stored at a high level are
// rounded to a spacing that can be a good part of their spread.
inline constexpr std::string_view level_remedy =
    "IF ITS VARIABLES DO VARY, SUBTRACT A ROUND NUMBER FROM THEM IN MTXIN1 BEFORE *DAP";
// XMEAN stays the centre of a variable while it is the data's mean to within this share of the
// variable's standard deviation: a shift of every score by no more than that is far below what
// the scores can show, and the scores of ordinary data stay exactly as they were.
inline constexpr double centre_tolerance = 1.0e-5;

// Element (i, j) of a column-major matrix with leading dimension ld.
inline std::size_t ix(std::int32_t i, std::int32_t j, std::int32_t ld) {
  return static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(ld) +
         static_cast<std::size_t>(i - 1);
}
// Element i (1-based) of a 0-based table: the shared index helper.
using korvex::at;

// The control block and the shared arrays of every phase. Lives for the whole process: a
// second FACS starts with what the first left, except the fields each phase sets again.
struct facs_state {
  float smean = 50.0f;
  float smiss = -999.0f;
  std::int32_t isd = 1;
  std::int32_t npage = 0;
  std::int32_t it = 1;  // 1 cluster, 2 factor
  std::int32_t iw = 1;  // method 1..8
  std::int32_t iprint = 0;
  std::int32_t ipunch = 0;
  std::int32_t monin = -1;
  std::int32_t monout = -1;
  std::int32_t monpun = -999;
  std::int32_t mtdst = -1;
  std::int32_t nf = 0;
  std::int32_t nline = 0;
  std::int32_t nsub = 0;
  std::int32_t nv = 0;
  std::int32_t mtsc1 = -1;
  float pmin = 0.55f;
  std::int32_t mdflag = 0;
  std::int32_t nomiss = 0;
  std::int32_t ipass = 2;
  std::int32_t ndp = 0;     // decimals of the punched deck and of the score pages
  float scale = 1.0f;       // 10 ** ndp

  std::string title = std::string(72, ' ');
  std::vector<std::string> ident = std::vector<std::string>(12, std::string(6, ' '));
  std::vector<std::string> cname = std::vector<std::string>(max_comp, std::string(20, ' '));
  std::vector<std::string> vname = std::vector<std::string>(max_vars, std::string(20, ' '));
  std::vector<float> sd = std::vector<float>(max_comp, 0.0f);
  std::vector<float> xmean = std::vector<float>(max_vars, 0.0f);
  // The value on which the scoring passes centre each variable (variable_centres): XMEAN, or
  // the data's own mean where XMEAN is not that mean to within a small share of a deviation.
  std::vector<double> centre = std::vector<double>(max_vars, 0.0);
  std::vector<float> xsd = std::vector<float>(max_vars, 0.0f);
  // What the reading before the scoring pass found (read_data): each variable's own mean over
  // its present values, and its least and greatest present value (low > high: none present).
  std::vector<double> own = std::vector<double>(max_vars, 0.0);
  std::vector<float> low = std::vector<float>(max_vars, 0.0f);
  std::vector<float> high = std::vector<float>(max_vars, 0.0f);
  // Composites of the complete-data pass whose spread that reading measured, because the
  // correlations cannot tell it from rounding: the spread over the subjects (standard units) and
  // the root mean square of its rounding bound.
  std::vector<std::uint8_t> measured = std::vector<std::uint8_t>(max_comp, 0);
  std::vector<double> spread = std::vector<double>(max_comp, 0.0);
  std::vector<double> rounding = std::vector<double>(max_comp, 0.0);
  // W(k, j): weight of variable j in composite k, leading dimension 50.
  std::vector<float> w = std::vector<float>(static_cast<std::size_t>(max_comp) * max_vars, 0.0f);
  // W(k, j) as the scoring passes found it before dividing it by XSD(j): the weight of the
  // standard score of variable j, used for the variables marked in standard_units.
  std::vector<float> zweight =
      std::vector<float>(static_cast<std::size_t>(max_comp) * max_vars, 0.0f);
  // Weighted variables whose deviations the scoring passes divide by XSD in double before they
  // are weighted (variable_centres): a deviation from the centre beyond the single-precision
  // range, or a weight W(k, j) / XSD(j) that single precision holds only as a subnormal number,
  // 0 or infinity (data near the ends of the range, or of a spread below 1e-38).
  std::vector<std::uint8_t> standard_units = std::vector<std::uint8_t>(max_vars, 0);
  // deviation_rounding of each variable's XSD, set with the centres (variable_centres), so that
  // the loop over the definers reads it rather than testing the SD each time.
  std::vector<double> relative_rounding = std::vector<double>(max_vars, 0.0);

  // Work arrays of the first phase.
  std::vector<float> f = std::vector<float>(static_cast<std::size_t>(max_vars) * max_comp, 0.0f);
  std::vector<float> diag = std::vector<float>(max_vars, 0.0f);
  std::vector<float> r;  // 999 x 999, allocated when a method or pass needs it
  std::vector<float> basis = std::vector<float>(static_cast<std::size_t>(max_comp) * max_comp, 0.0f);
  std::vector<std::int32_t> ndef = std::vector<std::int32_t>(max_comp, 0);
  std::vector<std::int32_t> ldef =
      std::vector<std::int32_t>(static_cast<std::size_t>(max_defs) * max_comp, 0);
  std::vector<std::int32_t> nvalid = std::vector<std::int32_t>(max_vars, 0);
};

facs_state& state();
// R allocated at 999 x 999 (zeros the first time).
std::vector<float>& r_matrix();

// PAGER on the component's own page counters and listing unit.
void pager(std::int32_t n);

// ---- first phase -------------------------------------------------------------------------
// Reads and checks the three parameter lines.
void CONTRL();
// Reads the ISF inputs of the method (and the analyst's cards of methods 4 and 7); sets NV,
// NSUB, NF and the composite names.
void INFSP();
// CORRM1 into the correlation matrix with a unit diagonal; an order other than NV stops the
// run (FACS140022).
void read_correlations();
// Lists the definers of clusters 1..NF.
void PRDEFN();
// Sets SD(1..NF) by the ISD option (ISD 3 reads the analyst's cards).
void STDV();
// The report head.
void OUTFSP();
// Forms and prints the weight matrix W of the method.
void WTMAT();
// Stores MEANS2 and STDEV2, checks the head of the data storage file and leaves it at its
// first subject.
void DSTCHK();
// Chooses the complete-data (2) or the missing-data (3) pass.
void pass_decision();
// Reads every subject once before the scoring pass, leaving the file at its first subject
// again. The file must hold MEANS1's data: exactly NSUB subjects, each
// variable's present values with the mean of MEANS1 (dsf::means_check); otherwise the run
// stops before anything is stored. Keeps each variable's own mean (totalled in double about
// MEANS1's) and extremes for variable_centres; for the complete-data pass, reads CORRM1 into
// the correlation matrix (the weights are formed, so TRANS takes it as it stands) and measures
// the composites that must_measure picks (spread and rounding). A damaged record stops the run with
// the message of the pass to come (`pass`: "FACS2" or "FACS3").
void read_data(std::string_view pass);
// The centre of every variable for the scoring passes, into centre, from what read_data kept.
// The data's own mean replaces XMEAN where the two differ by more than centre_tolerance of the
// variable's deviation: XMEAN (MEANS1) is the data's mean rounded to single precision, and that
// rounding, which shifts every score, is not small beside the spread of data far from zero.
// Marks standard_units from the data's extremes and the weights W and zweight, which the pass
// has set before.
void variable_centres();
// "ITS SPREAD, s, IS WITHIN THE b THAT ROUNDING CAN LEAVE", the figures of a refusal.
std::string rounding_verdict(double spread, double bound);
// Stops the run when weighted variable j has no standard deviation of which standard scores can
// be formed: 0 or not a number, or below the normal single-precision range (few digits left).
void refuse_unscorable_deviation(std::int32_t j);
// The next subject of the data storage file: its values into x, and its name and number
// where asked. A file that ends before it, or a damaged record, stops the run with the message
// of the pass that reads it (`pass`: "FACS2" or "FACS3").
void read_subject(dsf::subject_reader& reader, std::span<float> x, std::string* name,
                  std::int32_t* number, std::string_view pass);

// ---- inversion and products --------------------------------------------------------------
// Inverts the symmetric leading n x n block of a (leading dimension ld) in place by sweeping
// its pivots in order; piv(i) receives the diagonal element swept at step i. A pivot that is
// 0 or not a number ends the sweeping at that step (piv(i) holds it, later pivots are 0): the
// caller's pivot test refuses the matrix, and nothing divides by zero.
void SWEEP(std::span<float> a, std::int32_t ld, std::int32_t n, std::span<float> piv);
// Gauss-Jordan inversion in place with complete pivoting (ties go to the element found
// last); pivot(s) receives the pivot of step s. A pivot of 0 or not a number ends the
// elimination (the remaining pivots are 0); the caller tests the pivots.
void PIVINV(std::span<float> a, std::int32_t n, std::int32_t lda, std::span<float> pivot);
// C (n x m) = A (n x l) . B (l x m); every element one float sum in increasing t from 0.
void MPROD(std::span<float> c, std::int32_t ldc, std::span<const float> a, std::int32_t lda,
           std::span<const float> b, std::int32_t ldb, std::int32_t n, std::int32_t m,
           std::int32_t l);
// The same where C is the array A (row by row through a work row).
void MPRODL(std::span<float> c, std::int32_t ldc, std::int32_t lda, std::span<const float> b,
            std::int32_t ldb, std::int32_t n, std::int32_t m, std::int32_t l);
// The same where C is the array B (column by column through a work column).
void MPRODR(std::span<float> c, std::int32_t ldc, std::span<const float> a, std::int32_t lda,
            std::int32_t ldb, std::int32_t n, std::int32_t m, std::int32_t l);
// C (n x m) = A^T . B with A l x n and B l x m.
void TPROD(std::span<float> c, std::int32_t ldc, std::span<const float> a, std::int32_t lda,
           std::span<const float> b, std::int32_t ldb, std::int32_t n, std::int32_t m,
           std::int32_t l);

// ---- scoring passes ----------------------------------------------------------------------
void FACS2();
void FACS3();
// Sets NDP and SCALE from x and punches the format card.
void SETSPN(float x);
// Punches the data lines of one subject.
void facs_punch_scores(std::span<const float> scores, std::string_view name);
// The integer a punched value becomes, or nothing when it does not fit 8 columns.
bool punch_integer(float v, float scale, std::int64_t& out);
// Composites per strip of the score pages: 21 columns each after `used` columns, on the line
// width of the page-settings copy; at least 1 (no width is ever divided by 0), at most 18.
std::int32_t strip_width(std::int32_t used);
// The page line of a score page ("1", ncline - 9 blanks, "PAGE" and the number).
void score_page_line();
// The head of one strip of a score page: the page line, the title, the composite numbers
// lo..hi through the layout `numbers`, their names right-justified in 20 through `names`,
// and the empty record `names` writes without items.
void score_strip_head(std::string_view title, std::int32_t lo, std::int32_t hi,
                      const std::string& numbers, const std::string& names);
// Composite k of one subject before restandardisation: the signed standard scores of the
// present definers of list (weights W(k, j) already divided by the deviations), each
// missing one counted at their mean. True with c = the present count when enough definers
// are present (at least one, and at least PMIN of them); false with y = 0, c = -present.
// The values are taken about the centres of variable_centres; a variable of standard_units
// enters through its deviation divided by XSD in double and weighted by zweight. When bound
// is given and the composite exists, *bound receives the most by which rounding can move it
// (the b of arithmetic_rounding; without the spacing of the stored values when the composite
// has a single definer).
bool replaced_composite(std::span<const float> x, std::span<const std::int32_t> list,
                        std::int32_t k, float& y, std::int32_t& c, double* bound = nullptr);
// The definer lists of every composite (variables with a non-zero weight).
std::vector<std::vector<std::int32_t>> definer_lists();

}  // namespace korvex::facs
