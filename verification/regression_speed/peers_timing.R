# Times a plain R route for the logistic and the Poisson regression test
# with one covariate X (large-sample z test, Demidenko's variances with the
# H0 correction, two tails) on the works of
# power/z/bench/regression_peers_bench.cpp: the slope variances by
# integrate() over the covariate's whole support (sums for a count
# covariate), then the power in closed form; A priori finds the smallest N
# over the whole numbers (doubling, then halving), the other searches use
# uniroot. Prints one line per work: its name, the time of one
# call in microseconds, the answer and (A priori) the power at that N.
# Run by compare_with_peers.py, which passes the works as a file of lines
# "name <tab> N".
#
#   Rscript peers_timing.R works.tsv

args <- commandArgs(trailingOnly = TRUE)
works <- read.delim(args[1], header = FALSE, col.names = c("name", "n"),
                    stringsAsFactors = FALSE)

tol <- 1e-10
alpha <- 0.05

# E[h(X) exp(lw(X))] for the covariate at its standard parameters, the
# log density and lw joined in one exponent so that neither overflows where
# the other vanishes.
logd <- list(Exponential = function(x) dexp(x, log = TRUE),
             Lognormal = function(x) dlnorm(x, log = TRUE),
             Normal = function(x) dnorm(x, log = TRUE), Uniform = function(x) 0 * x)
expect <- function(cov, h, lw = function(x) 0 * x) {
    if (cov == "Poisson") {
        k <- 0:40
        return(sum(h(k) * exp(dpois(k, 1, log = TRUE) + lw(k))))
    }
    f <- function(x) h(x) * exp(logd[[cov]](x) + lw(x))
    switch(cov,
        Normal = integrate(f, -Inf, Inf, rel.tol = tol)$value,
        Uniform = integrate(f, 0, 1, rel.tol = tol)$value,
        integrate(f, 0, Inf, rel.tol = tol)$value)
}
mean_x <- c(Exponential = 1, Lognormal = exp(0.5), Normal = 0, Uniform = 0.5, Poisson = 1)
var_x <- c(Exponential = 1, Lognormal = (exp(1) - 1) * exp(1), Normal = 1, Uniform = 1 / 12,
           Poisson = 1)

# The slope variances var0, var1 and the weight k of var0 in the variance
# of the statistic under H1.
logistic_model <- function(cov, p0, or) {
    b0 <- qlogis(p0)
    b1 <- log(or)
    if (cov == "Binomial") {
        pa <- plogis(b0); pb <- plogis(b0 + b1); pbar <- (pa + pb) / 2
        return(list(b1 = b1, var0 = 1 / (0.25 * pbar * (1 - pbar)),
                    var1 = 1 / (0.5 * pa * (1 - pa)) + 1 / (0.5 * pb * (1 - pb)), k = 0.85))
    }
    w <- function(x) { p <- plogis(b0 + b1 * x); p * (1 - p) }
    m <- mean_x[[cov]]
    i0 <- expect(cov, w)
    i1 <- expect(cov, function(x) (x - m) * w(x))
    i2 <- expect(cov, function(x) (x - m)^2 * w(x))
    pbar <- expect(cov, function(x) plogis(b0 + b1 * x))
    list(b1 = b1, var0 = 1 / (pbar * (1 - pbar) * var_x[[cov]]), var1 = i0 / (i0 * i2 - i1^2),
         k = if (cov == "Lognormal") 0.75 else 1)
}
poisson_model <- function(cov, rate0, ratio) {
    b0 <- log(rate0)
    b1 <- log(ratio)
    if (cov == "Binomial") {
        return(list(b1 = b1, var0 = exp(-b0) / (0.25 * (0.5 + 0.5 * ratio)),
                    var1 = exp(-b0) * (2 + 2 / ratio), k = 1))
    }
    eta <- function(x) b0 + b1 * x
    m <- mean_x[[cov]]
    i0 <- expect(cov, function(x) 1, eta)
    i1 <- expect(cov, function(x) x - m, eta)
    i2 <- expect(cov, function(x) (x - m)^2, eta)
    list(b1 = b1, var0 = 1 / (i0 * var_x[[cov]]), var1 = i0 / (i0 * i2 - i1^2),
         k = if (cov == "Lognormal") 0.75 else 1)
}

# Power and beta of the two-tailed z test at N (a vector) and alpha a.
shift <- function(v, n) v$b1 * sqrt(n / v$var1)
spread <- function(v) sqrt((1 - v$k) + v$k * v$var0 / v$var1)
power_of <- function(v, n, a) {
    z <- qnorm(a / 2, lower.tail = FALSE)
    pnorm(z, shift(v, n), spread(v), lower.tail = FALSE) + pnorm(-z, shift(v, n), spread(v))
}
beta_of <- function(v, n, a) {
    z <- qnorm(a / 2, lower.tail = FALSE)
    pnorm(z, shift(v, n), spread(v)) - pnorm(-z, shift(v, n), spread(v))
}

# The smallest N from 2 up whose power reaches `target`: doubling to a
# bracket, then halving it over the whole numbers.
scan_n <- function(v, target) {
    lo <- 1
    hi <- 2
    while (power_of(v, hi, alpha) < target) { lo <- hi; hi <- 2 * hi }
    while (hi - lo > 1) {
        mid <- (lo + hi) %/% 2
        if (power_of(v, mid, alpha) >= target) hi <- mid else lo <- mid
    }
    hi
}

work <- function(name, n) {
    parts <- strsplit(name, "/")[[1]]
    family <- parts[1]; type <- parts[2]; cov <- parts[3]
    model <- if (family == "Logistic") function(e) logistic_model(cov, 0.2, e)
             else function(e) poisson_model(cov, 0.85, e)
    effect <- if (family == "Logistic") 1.3 else 0.9
    switch(type,
        APriori = function() { v <- model(effect); m <- scan_n(v, 0.95); c(m, power_of(v, m, alpha)) },
        PostHoc = function() power_of(model(effect), n, alpha),
        Criterion = function() { v <- model(effect)
            uniroot(function(a) power_of(v, n, a) - 0.8, c(1e-12, 1 - 1e-12), tol = 1e-14)$root },
        Compromise = function() { v <- model(effect)
            uniroot(function(a) beta_of(v, n, a) / a - 1, c(1e-12, 1 - 1e-12), tol = 1e-14)$root },
        Sensitivity = function() {
            range <- if (family == "Logistic") c(1 + 1e-6, 10) else c(0.2, 1 - 1e-6)
            uniroot(function(e) power_of(model(e), n, alpha) - 0.95, range, tol = 1e-12)$root
        })
}

# Seconds per call: enough calls for 0.2 s, the count found by doubling.
time_per_call <- function(f) {
    n <- 1
    repeat {
        t <- system.time(for (i in seq_len(n)) f())[["elapsed"]]
        if (t >= 0.05) break
        n <- n * 2
    }
    n <- max(n, ceiling(n * 0.2 / t))
    system.time(for (i in seq_len(n)) f())[["elapsed"]] / n
}

for (i in seq_len(nrow(works))) {
    f <- work(works$name[i], works$n[i])
    answer <- f()
    cat(sprintf("%s\t%.3f\t%s\n", works$name[i], 1e6 * time_per_call(f),
                paste(sprintf("%.12g", answer), collapse = "\t")))
}
