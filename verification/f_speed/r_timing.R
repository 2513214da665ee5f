# Times R's route on the works of power/f/bench/f_tests_bench.cpp, the test
# of R^2 in the fixed regression model with f^2 0.15, 3 predictors: prints
# one line per work, its name, the CPU time of one call in microseconds and
# the answer. pwr.f2.test solves Criterion by uniroot over pf with the
# noncentrality f^2 (u + v + 1) = f^2 N, and Compromise, which pwr does not
# offer, is the same uniroot over beta/alpha = q. Run by compare_with_r.py.
#
#   Rscript r_timing.R
suppressPackageStartupMessages(library(pwr))

tol <- .Machine$double.eps^0.25
u <- 3
v <- 80 - u - 1
compromise <- function(power_at, q) {
    uniroot(function(a) (1 - power_at(a)) / a - q, c(1e-10, 1 - 1e-10), tol = tol)$root
}

works <- list(
    "RegressionR2/APriori" = function() u + 1 + ceiling(pwr.f2.test(u = u, f2 = 0.15, sig.level = 0.05, power = 0.8)$v),
    "RegressionR2/PostHoc" = function() pwr.f2.test(u = u, v = v, f2 = 0.15, sig.level = 0.05)$power,
    "RegressionR2/Criterion" = function() pwr.f2.test(u = u, v = v, f2 = 0.15, power = 0.8, sig.level = NULL)$sig.level,
    "RegressionR2/Compromise" = function() compromise(function(a) pwr.f2.test(u = u, v = v, f2 = 0.15, sig.level = a)$power, 1)
)

# CPU seconds per call: enough calls for 0.2 s, the count found by doubling.
time_per_call <- function(f) {
    n <- 1
    repeat {
        t <- system.time(for (i in seq_len(n)) f())[["user.self"]]
        if (t >= 0.05) break
        n <- n * 2
    }
    n <- max(n, ceiling(n * 0.2 / t))
    system.time(for (i in seq_len(n)) f())[["user.self"]] / n
}

for (name in names(works)) {
    f <- works[[name]]
    cat(sprintf("%s\t%.3f\t%.10g\n", name, 1e6 * time_per_call(f), f()))
}
