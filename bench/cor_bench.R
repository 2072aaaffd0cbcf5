# R's cor() on the matrices that bench/cor_bench.cpp leaves (raw single precision, subject
# after subject, NaN missing), timed in memory, single-threaded: cor(X) for the complete
# data and cor(X, use = "pairwise.complete.obs") for the data with missing values.
# Each time is also written as "case seconds" to r_times.txt in the folder.
#   Rscript bench/cor_bench.R folder
args <- commandArgs(trailingOnly = TRUE)
folder <- args[1]
cases <- list(
  list(name = "cor2_400000x100", n = 400000, v = 100, use = "everything"),
  list(name = "cor2_40000x999", n = 40000, v = 999, use = "everything"),
  list(name = "cor3_400000x100", n = 400000, v = 100, use = "pairwise.complete.obs"),
  list(name = "cor3_40000x999", n = 40000, v = 999, use = "pairwise.complete.obs")
)
for (c in cases) {
  path <- file.path(folder, paste0(c$name, ".f32"))
  if (!file.exists(path)) next
  con <- file(path, "rb")
  x <- readBin(con, "numeric", n = c$n * c$v, size = 4, endian = "little")
  close(con)
  X <- matrix(x, nrow = c$n, ncol = c$v, byrow = TRUE)
  rm(x)
  t <- system.time(r <- cor(X, use = c$use))[["elapsed"]]
  cat(sprintf("%s: R cor(use = \"%s\") %.3f s (r[2,1] = %.6f)\n", c$name, c$use, t, r[2, 1]))
  cat(sprintf("%s %.4f\n", c$name, t), file = file.path(folder, "r_times.txt"), append = TRUE)
  rm(X, r)
  invisible(gc())
}
