// Single-precision vector and square-matrix routines shared by the factoring, selection and
// cluster components: sums and moments, copies and fills, diagonals, the largest element,
// a descending index sort and the k largest elements. Which variable becomes a pivot and in
// which order factors are listed follow from the exact order of the sums and from the tie
// behaviour of the sort and the selection, so both are fixed here step by step.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

namespace korvex {

// Conventions: vectors are 0-based spans addressed with 1-based positions (element i is
// v[i - 1]); positions handed back (idx, top, imax) are 1-based. A square matrix is stored
// column by column with leading dimension 999: element (j, k) is a[(k - 1) * 999 + (j - 1)];
// routines of order n touch only j, k <= n. Arithmetic is single precision and accumulates
// in index order, one addition at a time. n <= 0 runs no loop. Spans must be long enough
// for n (checked in debug builds).

inline constexpr std::int32_t matrix_ld = 999;

// Index of element (j, k), both 1-based, in a matrix of leading dimension 999.
constexpr std::size_t mat_index(std::int32_t j, std::int32_t k) {
  return static_cast<std::size_t>(k - 1) * matrix_ld + static_cast<std::size_t>(j - 1);
}

// Element i (1-based) of a 0-based vector; the position is checked in debug builds.
inline std::size_t at(std::int32_t i) {
  assert(i >= 1);
  return static_cast<std::size_t>(i - 1);
}
// Element i (0-based) of a vector, or a count i as a size; i is checked in debug builds.
// Code that counts from 0 uses this one, so that at() keeps one meaning everywhere.
inline std::size_t at0(std::int32_t i) {
  assert(i >= 0);
  return static_cast<std::size_t>(i);
}
// mat_index with the row and column checked in debug builds: rows 1..999, columns from 1.
inline std::size_t rc(std::int32_t i, std::int32_t j) {
  assert(i >= 1 && i <= matrix_ld && j >= 1);
  return mat_index(i, j);
}

// c(i) = a(i) + b(i).
void vec_add(std::span<const float> a, std::span<const float> b, std::span<float> c,
             std::int32_t n);

// x(1) + ... + x(n); 0 for n < 1.
float vec_sum(std::span<const float> x, std::int32_t n);

// Population variance (n*q - s*s) / (n*n) from the plain sum s and the sum of squares q.
// n = 0 gives NaN (0/0).
void vec_variance(std::span<const float> x, float& var, std::int32_t n);

// Largest element and its position; the first of equal maxima wins and a NaN never replaces
// the current value (a NaN in v(1) stays the result). Requires n >= 1.
void vec_max_index(std::span<const float> v, std::int32_t n, float& vmax, std::int32_t& imax);

// Smallest element and its position; the first of equal minima wins, but any element that
// is not >= the current value replaces it, so a NaN does replace it (and is replaced by the
// next element). Requires n >= 1.
void vec_min_index(std::span<const float> v, std::int32_t n, float& vmin, std::int32_t& imin);

// a(1)b(1) + ... + a(n)b(n).
float dot_columns(std::span<const float> a, std::span<const float> b, std::int32_t n);

// colss(j) = a(1, j)^2 + ... + a(n, j)^2 for the columns j = 1..n (diagonal included), each
// sum in index order as dot_columns forms it.
void column_sums_of_squares(std::span<const float> a, std::span<float> colss, std::int32_t n);

// PSQ row of variable j: psq(i) = (a(1, i) a(1, j) + ... + a(n, i) a(n, j))^2 /
// (colss(i) colss(j)) for i = 1..n, the squared cosine of columns i and j of the symmetric
// matrix a as it stands (diagonal included); 0 where either column has no length. colss
// holds the column sums of squares of a (column_sums_of_squares). psq(j) is left as it
// comes out of the formula. Each cross product sums over the rows in index order.
void psq_row(std::int32_t j, std::span<const float> a, std::span<const float> colss,
             std::span<float> psq, std::int32_t n);

// Mean square of the elements below the diagonal, summed column by column, each column top
// down; divided by (n*n - n) * 0.5. n = 1 gives NaN (0/0).
void mean_sq_offdiag(std::span<const float> a, std::int32_t n, float& result);

void copy_real(std::span<const float> src, std::span<float> dst, std::int32_t n);
void copy_int(std::span<const std::int32_t> src, std::span<std::int32_t> dst, std::int32_t n);
void copy_int_to_real(std::span<const std::int32_t> src, std::span<float> dst, std::int32_t n);
// Truncates toward zero; a NaN becomes 0 and values outside the int32 range are clamped to
// its ends.
void copy_real_to_int(std::span<const float> src, std::span<std::int32_t> dst, std::int32_t n);

// v(i) = i.
void fill_index(std::span<std::int32_t> v, std::int32_t n);
void fill_int(std::span<std::int32_t> v, std::int32_t n, std::int32_t c);
void fill_real(std::span<float> v, std::int32_t n, float c);

// d(i) = a(i, i) and a(i, i) = v(i); nothing off the diagonal is touched.
void get_diagonal(std::span<const float> a, std::span<float> d, std::int32_t n);
void put_diagonal(std::span<const float> v, std::span<float> a, std::int32_t n);

// dst = src in descending order, idx(i) = the position in src of dst(i). Shell sort with
// gaps n/2, n/4, ..., 1; a pair is exchanged when the later value is greater or either is
// NaN, never when equal, so equal values end in the order this procedure leaves them
// ((1,1,1,2) gives idx (4,1,3,2)).
void sort_desc_index(std::span<const float> src, std::span<float> dst,
                     std::span<std::int32_t> idx, std::int32_t n);

// top(1..k) = positions of the k largest v(i), largest first, position skip left out.
// The first k candidates (1..k, or 1..k+1 without skip when 1 <= skip <= k) are ordered by
// a selection sort that may leave equal values out of position order; the scan of the rest
// uses strict comparisons, so a later position never passes an equal value and a NaN never
// enters. Nothing happens for k < 1. Requires k <= n, and k < n when 1 <= skip <= k.
void top_k_indices(std::span<const float> v, std::int32_t n, std::span<std::int32_t> top,
                   std::int32_t k, std::int32_t skip);

}  // namespace korvex
