# R's Lloyd k-means on the objects and starting means that bench/otype_bench.cpp leaves.
args <- commandArgs(trailingOnly = TRUE)
dir <- if (length(args) > 0) args[1] else file.path(tempdir(), "korvex-otype-bench")
x <- matrix(readBin(file.path(dir, "scores.f32"), "numeric", n = 4e6, size = 4), ncol = 10, byrow = TRUE)
c0 <- matrix(readBin(file.path(dir, "start.f32"), "numeric", n = 400, size = 4), ncol = 10, byrow = TRUE)
t <- system.time(k <- kmeans(x, centers = c0, algorithm = "Lloyd", iter.max = 20))
cat(sprintf("R kmeans Lloyd: %.2f s, %d iterations\n", t[["elapsed"]], k$iter))
