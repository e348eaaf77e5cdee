# gstat's experimental variograms and weighted least-squares fits of the
# four models, for tests/grid/variogram_fit_test.cpp:
#
#     Rscript tests/grid/variogram_gstat.R > tests/fixtures/variogram_gstat.txt
#
# (r-cran-gstat; not installed by the test command.) The sets are those of
# variogram_reference.py: examples/wells.dat (the wells that have a head)
# and tests/fixtures/variogram_spherical.dat. variogram() runs with its
# defaults (cut-off a third of the diagonal, 15 bins); fit.variogram() with
# its default fit.method = 7 (weights N_j / h_j^2), fitting nugget, partial
# sill and range, starting from nugget = the first bin's semivariance,
# partial sill = the last bin's minus that, range = a third of the cut-off.
#
# gstat's "Exp" and "Gau" ranges are scale parameters: their practical
# ranges, the ones Gridova's kriging takes, are 3 r and sqrt(3) r. They are
# written as practical ranges here.
suppressMessages(library(gstat))
suppressMessages(library(sp))

args <- commandArgs(trailingOnly = FALSE)
script <- sub("--file=", "", args[grep("--file=", args)])
here <- dirname(normalizePath(script))

wells <- function() {
  lines <- readLines(file.path(here, "..", "..", "examples", "wells.dat"), encoding = "UTF-8")[-(1:2)]
  rows <- lapply(lines, function(l) {
    cells <- if (grepl(",", l)) strsplit(l, ",")[[1]] else strsplit(trimws(l), "[ \t]+")[[1]]
    if (length(cells) < 3 || cells[3] == "") return(NULL)
    as.numeric(cells[1:3])
  })
  m <- do.call(rbind, rows[!sapply(rows, is.null)])
  data.frame(x = m[, 1], y = m[, 2], z = m[, 3])
}

spherical <- function() {
  d <- read.table(file.path(here, "..", "fixtures", "variogram_spherical.dat"), skip = 1)
  data.frame(x = d[, 1], y = d[, 2], z = d[, 3])
}

cat(sprintf("# gstat %s: tests/grid/variogram_gstat.R\n", packageVersion("gstat")))
models <- c("Lin", "Sph", "Exp", "Gau")
practical <- c(1, 1, 3, sqrt(3))
for (name in c("wells", "spherical")) {
  d <- if (name == "wells") wells() else spherical()
  coordinates(d) <- ~ x + y
  v <- variogram(z ~ 1, d)
  cat(sprintf("set %s bins %d\n", name, nrow(v)))
  for (i in seq_len(nrow(v))) {
    cat(sprintf("bin %.17g %.17g %d\n", v$dist[i], v$gamma[i], v$np[i]))
  }
  cutoff <- max(v$dist) * 15 / 14.5
  for (k in seq_along(models)) {
    start <- vgm(psill = v$gamma[nrow(v)] - v$gamma[1], model = models[k],
                 range = cutoff / 3 / practical[k], nugget = v$gamma[1])
    warned <- FALSE
    f <- withCallingHandlers(fit.variogram(v, start, fit.method = 7),
                             warning = function(w) {
                               warned <<- TRUE
                               invokeRestart("muffleWarning")
                             })
    # "converged 0": gstat warned (no convergence, a singular model); such
    # fits are not compared.
    cat(sprintf("fit %d %s nugget %.17g psill %.17g range %.17g converged %d\n", k - 1,
                models[k], f$psill[1], f$psill[2], f$range[2] * practical[k],
                as.integer(!warned && !isTRUE(attr(f, "singular")))))
  }
}
