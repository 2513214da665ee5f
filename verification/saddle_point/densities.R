# Reference values for numerics/saddle_point_test.cpp, from R's own density
# functions. Run: Rscript densities.R > densities.tsv
# Columns: function, four arguments (unused ones NA), log flag, value.
rows <- list()
add <- function(f, a, lg, v) {
  a <- c(a, rep(NA, 4 - length(a)))
  rows[[length(rows) + 1]] <<- sprintf("%s\t%s\t%d\t%.17g", f,
    paste(sprintf("%.17g", a), collapse = "\t"), lg, v)
}
for (lg in c(0, 1)) {
  for (a in list(c(3, 10, 0.5), c(0, 20, 0.05), c(0, 20, 0.5), c(20, 20, 0.97),
                 c(20, 20, 0.5), c(1, 1000, 0.001), c(500, 1000, 0.5),
                 c(4900, 10000, 0.5), c(37, 1e6, 4e-5), c(123456, 1e7, 0.0123)))
    add("dbinom", a, lg, dbinom(a[1], a[2], a[3], log = lg == 1))
  for (a in list(c(0, 2), c(1, 0.5), c(7, 3.25), c(30, 40), c(1000, 1010.5),
                 c(2, 1e-3), c(250, 1e5)))
    add("dpois", a, lg, dpois(a[1], a[2], log = lg == 1))
  for (a in list(c(0.5, 1, 1), c(2.5, 1, 30), c(1.7, 2, 5), c(0.3, 3, 12),
                 c(4.2, 5, 7.5), c(1.01, 100, 200), c(12, 4, 1000), c(1e-3, 7, 9)))
    add("df", a, lg, df(a[1], a[2], a[3], log = lg == 1))
  for (a in list(c(0.2, 0.5, 2), c(3, 1, 1), c(3, 2.5, 2), c(17.5, 10, 2),
                 c(1e-4, 0.3, 1), c(250, 200, 1.2)))
    add("dgamma", a, lg, dgamma(a[1], shape = a[2], scale = a[3], log = lg == 1))
  for (a in list(c(3, 10, 7, 8), c(0, 5, 5, 3), c(99, 1000, 1000, 999),
                 c(10, 30, 20, 25), c(500, 1000, 3000, 2000), c(0, 0, 7, 4)))
    add("dhyper", a, lg, dhyper(a[1], a[2], a[3], a[4], log = lg == 1))
  for (a in list(c(0, 1), c(1.5, 1), c(-2.2, 3), c(0.7, 10), c(3.1, 10),
                 c(-40, 4.5), c(0.05, 200), c(5, 1e5)))
    add("dt", a, lg, dt(a[1], a[2], log = lg == 1))
}
writeLines(unlist(rows))
