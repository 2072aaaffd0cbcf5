# Reference for the single-pivot (diagonal) analysis of the CC5 unit tests: with unit
# communalities, dimensions chosen by the highest residual communality are the columns of
# the pivoted Cholesky factor. Computed independently by R's LAPACK-based chol().
#
# Run:  Rscript tests/reference/cc5_pivot_cholesky.R > tests/reference/cc5_pivot_cholesky.out
#
# The matrix is a three-factor model rounded to three decimals; the residual diagonals of
# the first three steps are printed to show the gaps between the largest and the next
# (float and double arithmetic must choose the same pivots).
lower <- c(0.252, 0.572, 0.14, 0.495, 0.332, 0.428, 0.439, 0.252, 0.215, 0.562, 0.382,
           0.202, 0.406, 0.461, 0.439, 0.423, 0.4, 0.258, 0.353, 0.355, 0.415)
n <- 7
R <- diag(n)
R[lower.tri(R)] <- lower
R <- R + t(R) - diag(n)

U <- chol(R, pivot = TRUE)
piv <- attr(U, "pivot")
L <- matrix(0, n, n)
L[piv, ] <- t(U)            # rows back in the original order
cat("pivots:", piv[1:3], "\n")

res <- R
for (k in 1:3) {
  d <- diag(res)
  cat(sprintf("step %d residual diagonal: %s\n", k, paste(sprintf("%.4f", d), collapse = " ")))
  p <- which.max(d)
  a <- res[, p] / sqrt(res[p, p])
  res <- res - outer(a, a)
}

cat("first three columns of the factor, rows in original order:\n")
for (i in 1:n) cat(sprintf("  {%.7ff, %.7ff, %.7ff},\n", L[i, 1], L[i, 2], L[i, 3]))
cat("row sums of squares:\n")
cat(sprintf("  %.7ff,", rowSums(L[, 1:3]^2)), "\n")
