# Times R's peers on the works of power/exact/bench/exact_peers_bench.cpp,
# two tails each: prints one line per work and peer, the work's name, the
# peer and the time of one call in microseconds, then the answers, so that
# the works can be seen to be the same. Run by compare_with_peers.py.
#
#   Rscript peers_timing.R
#
# Needs r-cran-pwr and r-cran-suppdists.
suppressPackageStartupMessages({
    library(pwr)
    library(SuppDists)
})

tol <- .Machine$double.eps^0.25

# The exact correlation test with SuppDists' distribution of r: critical
# values under rho = 0, their tails under rho. Its quantile stops on an
# alpha below about 1e-6, so its searches over alpha start from 1e-4.
r_power <- function(n, rho, a) {
    pPearson(qPearson(a / 2, n, 0), n, rho) +
        pPearson(qPearson(1 - a / 2, n, 0), n, rho, lower.tail = FALSE)
}
# pwr solves nothing for the compromise analysis; its own way is a root of
# beta/alpha = q over alpha with the power function.
compromise <- function(power_at, q, interval = c(1e-10, 1 - 1e-10)) {
    uniroot(function(a) (1 - power_at(a)) / a - q, interval, tol = tol)$root
}

# McNemar's test with the exact power: the conditional binomial test on d
# discordant pairs (p = 1/2 under H0, OR/(OR + 1) under H1, alpha/2 on each
# side), weighted by P(D = d), D ~ Bin(N, pd), over the d where D has mass
# above 1e-20 in either tail.
mcnemar_exact <- function(n, or, pd, a) {
    d <- max(1, qbinom(1e-20, n, pd)):qbinom(1e-20, n, pd, lower.tail = FALSE)
    p2 <- or / (or + 1)
    upper <- qbinom(a / 2, d, 0.5, lower.tail = FALSE) + 1  # first count with P(X >= c) <= a/2
    lower <- qbinom(a / 2, d, 0.5) - 1                      # last count with P(X <= c) < a/2
    sum(dbinom(d, n, pd) * (pbinom(lower, d, p2) + pbinom(upper - 1, d, p2, lower.tail = FALSE)))
}

# A plain binomial scan over N for the binomial test of two tails (alpha/2
# on each side, H0 p 1/2): the critical counts of each N by qbinom, the
# power by pbinom, the first N (or number of discordant pairs) whose power
# reaches the target, in blocks of N.
binomial_scan <- function(p2, a, target, first = 1) {
    repeat {
        n <- first:(first + 511)
        upper <- qbinom(a / 2, n, 0.5, lower.tail = FALSE) + 1
        lower <- qbinom(a / 2, n, 0.5) - 1
        power <- pbinom(lower, n, p2) + pbinom(upper - 1, n, p2, lower.tail = FALSE)
        hit <- which(power >= target)
        if (length(hit) > 0) return(n[hit[1]])
        first <- first + 512
    }
}
# McNemar's approximation: the pairs d = ceil(N pd) the scan finds, and the
# smallest N that gives them.
mcnemar_approx <- function(or, pd, a, target) {
    d <- binomial_scan(or / (or + 1), a, target)
    n <- floor((d - 1) / pd) + 1
    while (ceiling(n * pd) < d) n <- n + 1
    n
}

works <- list(
    list("Correlation/APriori", "pwr", function() pwr.r.test(r = 0.1, sig.level = 0.05, power = 0.8)$n),
    list("Correlation/APriori", "SuppDists", function()
        ceiling(uniroot(function(n) r_power(n, 0.1, 0.05) - 0.8, c(4, 1e4), tol = tol, extendInt = "upX")$root)),
    list("Correlation/Sensitivity", "pwr", function() pwr.r.test(n = 782, sig.level = 0.05, power = 0.8)$r),
    list("Correlation/Sensitivity", "SuppDists", function()
        uniroot(function(r) r_power(782, r, 0.05) - 0.8, c(1e-6, 0.999999), tol = tol)$root),
    list("Correlation/PostHoc", "pwr", function() pwr.r.test(n = 2000, r = 0.1, sig.level = 0.05)$power),
    list("Correlation/PostHoc", "SuppDists", function() r_power(2000, 0.1, 0.05)),
    list("Correlation/Criterion", "pwr", function()
        pwr.r.test(n = 85, r = 0.3, power = 0.8, sig.level = NULL)$sig.level),
    list("Correlation/Criterion", "SuppDists", function()
        uniroot(function(a) r_power(85, 0.3, a) - 0.8, c(1e-4, 0.5), tol = tol)$root),
    list("Correlation/Compromise", "pwr", function()
        compromise(function(a) pwr.r.test(n = 85, r = 0.3, sig.level = a)$power, 1)),
    list("Correlation/Compromise", "SuppDists", function()
        compromise(function(a) r_power(85, 0.3, a), 1, c(1e-4, 0.5))),
    list("McNemar/PostHoc/200", "R sum", function() mcnemar_exact(200, 2, 0.3, 0.05)),
    list("McNemar/PostHoc/20000", "R sum", function() mcnemar_exact(20000, 2, 0.3, 0.05)),
    list("McNemarApprox/APriori", "R scan", function() mcnemar_approx(2, 0.3, 0.05, 0.8)),
    list("Sign/APriori", "R scan", function() binomial_scan(0.65, 0.05, 0.8))
)

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

for (w in works) {
    cat(sprintf("%s\t%s\t%.3f\t%.10g\n", w[[1]], w[[2]], 1e6 * time_per_call(w[[3]]), w[[3]]()))
}
