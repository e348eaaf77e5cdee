# Times gstat's kriging on the points and nodes of bench_kriging and compares
# the estimates with ours.
#
#     Rscript bench/kriging_gstat.R DIR [NODE_ROWS]
#
# DIR is what bench_kriging wrote with GRIDOVA_BENCH_KRIGING_OUT: the points
# (ordinary-x.f64 ... with 1,000 points, block-x.f64 ... with 100,000), the
# 500 node X and Y values, our estimates at the 500 x 500 nodes (row 0, the
# lowest, first) and the ranges (the diagonals of the points' extents).
#
# Ordinary kriging: krige(z ~ 1) with every point (global neighbourhood) and
# vgm(psill = 1, "Sph", range, nugget = 0), the variogram bench_kriging stores
# (gstat's spherical model has the same form: 1.5 h/a - 0.5 (h/a)^3 below the
# range). Ours runs on the same system, so the estimates are compared: the
# largest difference relative to the largest |value|, and the largest
# difference relative to the node's own value over the nodes whose |value| is
# at least 1 % of the largest.
#
# Block kriging: ours solves one small system per block (b = n div 80 blocks
# per side, 1250 for 100,000 points; each block's window holds a few points
# and its own range); gstat here is local kriging with its 64 nearest points
# (nmax = 64) and the same spherical variogram with the data diagonal as range.
# The neighbourhoods differ, so only the times are compared, and the mean
# absolute difference is printed for orientation.
#
# gstat's estimates are written to DIR as gstat-ordinary.f64 and
# gstat-block.f64 (raw doubles, the nodes in the same order).
#
# With NODE_ROWS (1 .. 500) gstat runs on the first NODE_ROWS rows of nodes
# only and its time is scaled to 500 rows (per-node cost is the same for every
# row); the comparison of values then uses those rows.
suppressPackageStartupMessages(library(gstat))

args <- commandArgs(trailingOnly = TRUE)
if (length(args) < 1) stop("usage: Rscript kriging_gstat.R DIR [NODE_ROWS]")
dir <- args[1]
rows <- if (length(args) >= 2) as.integer(args[2]) else 500L
nodes <- 500L

f64 <- function(name) {
  path <- file.path(dir, name)
  readBin(path, "double", n = file.size(path) / 8, size = 8, endian = "little")
}

nx <- f64("nodes-x.f64")
ny <- f64("nodes-y.f64")
grid <- data.frame(x = rep(nx, times = rows), y = rep(ny[seq_len(rows)], each = nodes))

run <- function(name, nmax) {
  pts <- data.frame(x = f64(paste0(name, "-x.f64")), y = f64(paste0(name, "-y.f64")),
                    z = f64(paste0(name, "-v.f64")))
  range <- as.numeric(readLines(file.path(dir, paste0(name, "-range.txt"))))
  model <- vgm(psill = 1, model = "Sph", range = range, nugget = 0)
  seconds <- system.time(
    k <- krige(z ~ 1, locations = ~x + y, data = pts, newdata = grid, model = model,
               nmax = nmax, debug.level = 0)
  )[["elapsed"]]
  ours <- f64(paste0(name, ".f64"))[seq_len(rows * nodes)]
  theirs <- k$var1.pred
  writeBin(theirs, file.path(dir, paste0("gstat-", name, ".f64")), size = 8, endian = "little")
  # Per node relative to the node's value, over the nodes whose value is at
  # least 1 % of the largest (values cross 0, where a quotient means nothing).
  sizable <- abs(theirs) >= 0.01 * max(abs(theirs))
  list(points = nrow(pts), seconds = seconds * nodes / rows, measured = seconds,
       largest = max(abs(theirs - ours)) / max(abs(theirs)),
       relative = max(abs(theirs - ours)[sizable] / abs(theirs)[sizable]),
       meanAbs = mean(abs(theirs - ours)))
}

cat(sprintf("gstat %s, R %s; nodes: %d rows of %d\n", packageVersion("gstat"),
            getRversion(), rows, nodes))
o <- run("ordinary", Inf)
cat(sprintf(paste0("ordinary kriging, %d points, global: %.1f s for 500 x 500 nodes",
                   " (measured %.1f s)\n"), o$points, o$seconds, o$measured))
cat(sprintf(paste0("  difference from ours: largest %.3g of the largest |value|;",
                   " largest relative to the node's value %.3g\n"), o$largest, o$relative))
b <- run("block", 64)
cat(sprintf(paste0("local kriging, %d points, 64 nearest: %.1f s for 500 x 500 nodes",
                   " (measured %.1f s)\n"), b$points, b$seconds, b$measured))
cat(sprintf("  mean absolute difference from our block kriging: %.3g (other neighbourhoods)\n",
            b$meanAbs))
