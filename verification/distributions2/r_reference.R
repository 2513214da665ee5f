# Reference values from R for the hypergeometric distribution (phyper,
# qhyper, dhyper) and the log-normal and exponential distributions.
# Run: Rscript r_reference.R   (writes r_reference.csv beside this file)
# Columns: family,function,p0,p1,p2,arg,expected with the parameters in the
# order the classes hold them (hyper: sample size n, successes K, population
# N; lnorm: mu, sigma; exp: lambda). R's phyper(q, m, n, k) takes m = K
# white, n = N - K black and k = n drawn.
args <- commandArgs(trailingOnly = FALSE)
here <- dirname(normalizePath(sub("--file=", "", args[grep("--file=", args)])))
rows <- list()
add <- function(family, fn, p0, p1, p2, arg, v) {
  rows[[length(rows) + 1]] <<- sprintf("%s,%s,%.17g,%.17g,%.17g,%.17g,%.17g", family, fn, p0, p1, p2, arg, v)
}

hyper <- list(c(10, 5, 20), c(50, 30, 100), c(7, 40, 60), c(500, 2000, 10000), c(3, 3, 6),
              c(120, 15, 1000), c(900, 950, 1000), c(25, 600, 1000))
for (h in hyper) {
  n <- h[1]; K <- h[2]; N <- h[3]
  lo <- max(0, n + K - N); hi <- min(n, K); mu <- n * K / N; s <- sqrt(n * K / N * (1 - K / N) * (N - n) / (N - 1))
  xs <- unique(round(c(lo, lo + 1, mu - 3 * s, mu - s, mu, mu + s, mu + 3 * s, hi - 1)))
  xs <- xs[xs >= lo & xs < hi]
  for (x in xs) {
    add("hyper", "cdf", n, K, N, x, phyper(x, K, N - K, n))
    add("hyper", "pdf", n, K, N, x, dhyper(x, K, N - K, n))
  }
  for (p in c(1e-40, 1e-12, 0.001, 0.05, 0.3, 0.5, 0.77, 0.95, 0.999, 1 - 1e-9)) {
    add("hyper", "quantile", n, K, N, p, qhyper(p, K, N - K, n))
  }
}

for (c in list(c(0, 1, 0.5), c(0, 1, 3), c(-1.5, 0.4, 0.1), c(2, 0.25, 9), c(-0.3, 2, 1e-5))) {
  add("lnorm", "cdf", c[1], c[2], 0, c[3], plnorm(c[3], c[1], c[2]))
  add("lnorm", "pdf", c[1], c[2], 0, c[3], dlnorm(c[3], c[1], c[2]))
}
for (c in list(c(0, 1, 0.5), c(-1.5, 0.4, 0.025), c(2, 0.25, 0.999), c(-0.3, 2, 1e-10))) {
  add("lnorm", "quantile", c[1], c[2], 0, c[3], qlnorm(c[3], c[1], c[2]))
}
for (c in list(c(2, 0.1), c(0.5, 7), c(3, 1e-9))) {
  add("exp", "cdf", c[1], 0, 0, c[2], pexp(c[2], c[1]))
  add("exp", "pdf", c[1], 0, 0, c[2], dexp(c[2], c[1]))
}
for (c in list(c(2, 0.3), c(0.5, 1e-12), c(3, 0.999999))) {
  add("exp", "quantile", c[1], 0, 0, c[2], qexp(c[2], c[1]))
}

writeLines(c("family,function,p0,p1,p2,arg,expected", unlist(rows)), file.path(here, "r_reference.csv"))
