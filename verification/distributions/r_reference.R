# Reference values from R's p/q/d functions for the normal, beta, binomial,
# Poisson, central chi-square, F and t distributions, and the noncentral
# ones at moderate noncentrality (R's noncentral t is good to about 1e-12
# only up to delta near 37; boost_reference.cpp covers the rest).
# Run: Rscript r_reference.R   (writes r_reference.csv beside this file)
# Columns: family,function,p0,p1,p2,arg,expected with the parameters in the
# order the classes hold them (normal: mean, sd; beta: a, b; binomial: n, pi;
# poisson: lambda; chi: lambda, df; F: lambda, df1, df2; t: delta, nu).
args <- commandArgs(trailingOnly = FALSE)
here <- dirname(normalizePath(sub("--file=", "", args[grep("--file=", args)])))
rows <- list()
add <- function(family, fn, p0, p1, p2, arg, v) {
  rows[[length(rows) + 1]] <<- sprintf("%s,%s,%.17g,%.17g,%.17g,%.17g,%.17g", family, fn, p0, p1, p2, arg, v)
}

for (c in list(c(0, 1, 0.3), c(0, 1, -7.1), c(0, 1, 7.1), c(2, 0.5, 1.2), c(-3, 4, 10), c(0, 1, -30))) {
  add("normal", "cdf", c[1], c[2], 0, c[3], pnorm(c[3], c[1], c[2]))
  add("normal", "pdf", c[1], c[2], 0, c[3], dnorm(c[3], c[1], c[2]))
}
for (c in list(c(0, 1, 0.975), c(0, 1, 1e-12), c(2, 0.5, 0.3), c(-3, 4, 0.999999))) {
  add("normal", "quantile", c[1], c[2], 0, c[3], qnorm(c[3], c[1], c[2]))
}

for (c in list(c(2, 3, 0.2), c(0.3, 0.5, 0.01), c(0.3, 0.5, 0.99), c(20, 30, 0.35), c(1, 1, 0.7), c(150, 5, 0.9))) {
  add("beta", "cdf", c[1], c[2], 0, c[3], pbeta(c[3], c[1], c[2]))
  add("beta", "pdf", c[1], c[2], 0, c[3], dbeta(c[3], c[1], c[2]))
}
for (c in list(c(2, 3, 0.5), c(0.3, 0.5, 0.1), c(20, 30, 1e-10), c(150, 5, 0.95))) {
  add("beta", "quantile", c[1], c[2], 0, c[3], qbeta(c[3], c[1], c[2]))
}

for (c in list(c(10, 0.5, 3), c(10, 0.5, 9), c(40, 0.1, 0), c(200, 0.3, 40), c(1000, 0.02, 5), c(25, 0.999, 24))) {
  add("binomial", "cdf", c[1], c[2], 0, c[3], pbinom(c[3], c[1], c[2]))
  add("binomial", "pdf", c[1], c[2], 0, c[3], dbinom(c[3], c[1], c[2]))
}
# The continuation to real counts and trials: P(X <= s) = I_{1-pi}(n - s, s + 1).
for (c in list(c(10, 0.5, 3.4), c(37.6, 0.3, 12.25), c(12.5, 0.8, 0.5))) {
  add("binomial", "cdf", c[1], c[2], 0, c[3], pbeta(1 - c[2], c[1] - c[3], c[3] + 1))
}

for (c in list(c(2.5, 2), c(2.5, 0), c(0.01, 1), c(40, 20), c(40, 65), c(1000, 900), c(1e-3, 0))) {
  add("poisson", "cdf", c[1], 0, 0, c[2], ppois(c[2], c[1]))
  add("poisson", "pdf", c[1], 0, 0, c[2], dpois(c[2], c[1]))
}
for (c in list(c(2.5, 0.5), c(40, 0.999), c(40, 1e-9), c(0.3, 0.75))) {
  add("poisson", "quantile", c[1], 0, 0, c[2], qpois(c[2], c[1]))
}

for (c in list(c(0, 3, 2.5), c(0, 0.3, 1e-4), c(0, 0.3, 5), c(0, 40, 80), c(0, 1, 50), c(0, 200, 150),
               c(2, 3, 4), c(15, 5, 10), c(0.5, 0.3, 2), c(60, 1, 60))) {
  add("chi", "cdf", c[1], c[2], 0, c[3], pchisq(c[3], c[2], ncp = c[1]))
  add("chi", "pdf", c[1], c[2], 0, c[3], dchisq(c[3], c[2], ncp = c[1]))
}
for (c in list(c(0, 3, 0.95), c(0, 0.3, 0.5), c(0, 40, 1e-12), c(0, 1, 0.999999), c(15, 5, 0.95), c(2, 3, 0.5))) {
  add("chi", "quantile", c[1], c[2], 0, c[3], qchisq(c[3], c[2], ncp = c[1]))
}

for (c in list(c(0, 3, 20, 2), c(0, 0.5, 0.7, 1), c(0, 1, 1, 100), c(0, 10, 100, 0.1), c(0, 40, 40, 1),
               c(3, 3, 20, 2), c(20, 5, 40, 4))) {
  add("F", "cdf", c[1], c[2], c[3], c[4], pf(c[4], c[2], c[3], ncp = c[1]))
  add("F", "pdf", c[1], c[2], c[3], c[4], df(c[4], c[2], c[3], ncp = c[1]))
}
for (c in list(c(0, 3, 20, 0.95), c(0, 0.5, 0.7, 0.5), c(0, 10, 100, 1e-9), c(3, 3, 20, 0.95))) {
  add("F", "quantile", c[1], c[2], c[3], c[4], qf(c[4], c[2], c[3], ncp = c[1]))
}

for (c in list(c(0, 10, 2.228), c(0, 0.5, -3), c(0, 3, 40), c(0, 1e6, 1.5), c(0, 1, -1e5),
               c(1, 10, 0.5), c(2.5, 3, 6), c(-2, 5, -1), c(8, 30, 8.2))) {
  add("t", "cdf", c[1], c[2], 0, c[3], pt(c[3], c[2], ncp = c[1]))
  add("t", "pdf", c[1], c[2], 0, c[3], dt(c[3], c[2], ncp = c[1]))
}
for (c in list(c(0, 10, 0.975), c(0, 0.5, 0.1), c(0, 3, 1e-12), c(1, 10, 0.95), c(-2, 5, 0.2))) {
  add("t", "quantile", c[1], c[2], 0, c[3], qt(c[3], c[2], ncp = c[1]))
}

writeLines(c("family,function,p0,p1,p2,arg,expected", unlist(rows)), file.path(here, "r_reference.csv"))
