# Times R's pwr on the works of the t-test benchmark (power/t/bench), two
# tails each: prints one line per work, its name and the time of one call
# in microseconds. Run by compare_with_pwr.py, which pairs the lines with
# the benchmark's own timings.
#
#   Rscript pwr_timing.R
suppressPackageStartupMessages(library(pwr))

# pwr solves nothing for the compromise analysis; its own way is a root of
# beta/alpha = q over alpha with the power function, at pwr's own default
# tolerance.
compromise <- function(power_at, q) {
    uniroot(function(a) (1 - power_at(a)) / a - q, c(1e-10, 1 - 1e-10),
            tol = .Machine$double.eps^0.25)$root
}

# The generic test with df 30 is the two-sample test with 16 + 16, where
# delta = d sqrt(8).
works <- list(
    "Generic/Sensitivity" = function() pwr.t2n.test(n1 = 16, n2 = 16, sig.level = 0.05, power = 0.95),
    "Generic/PostHoc" = function() pwr.t2n.test(n1 = 16, n2 = 16, d = 2.5 / sqrt(8), sig.level = 0.05),
    "Generic/Criterion" = function() pwr.t2n.test(n1 = 16, n2 = 16, d = 3 / sqrt(8), power = 0.8, sig.level = NULL),
    "Generic/Compromise" = function() compromise(function(a) pwr.t2n.test(n1 = 16, n2 = 16, d = 3 / sqrt(8), sig.level = a)$power, 1),
    "Means/APriori" = function() pwr.t.test(d = 0.5, sig.level = 0.05, power = 0.95),
    # Allocation N2/N1 = 2: pwr.t2n.test solves for n2 with n1 given only,
    # so the root over n1 is taken with its power function.
    "Means/APriori/SmallEffect" = function() uniroot(function(n1) pwr.t2n.test(n1 = n1, n2 = 2 * n1, d = 0.05, sig.level = 0.05)$power - 0.95,
                                                      c(2, 1e7), tol = .Machine$double.eps^0.25, extendInt = "upX")$root,
    "Means/Sensitivity" = function() pwr.t.test(n = 50, sig.level = 0.05, power = 0.95),
    "Means/PostHoc" = function() pwr.t.test(n = 50, d = 0.5, sig.level = 0.05),
    "Means/Criterion" = function() pwr.t.test(n = 50, d = 0.5, power = 0.95, sig.level = NULL),
    "Means/Compromise" = function() compromise(function(a) pwr.t.test(n = 50, d = 0.5, sig.level = a)$power, 1),
    "OneMean/APriori" = function() pwr.t.test(d = 0.5, sig.level = 0.05, power = 0.95, type = "one.sample"),
    "OneMean/Sensitivity" = function() pwr.t.test(n = 30, sig.level = 0.05, power = 0.95, type = "one.sample"),
    "OneMean/PostHoc" = function() pwr.t.test(n = 30, d = 0.5, sig.level = 0.05, type = "one.sample"),
    "OneMean/Criterion" = function() pwr.t.test(n = 30, d = 0.5, power = 0.8, sig.level = NULL, type = "one.sample"),
    "OneMean/Compromise" = function() compromise(function(a) pwr.t.test(n = 30, d = 0.5, sig.level = a, type = "one.sample")$power, 1)
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

for (name in names(works)) {
    cat(sprintf("%s\t%.3f\n", name, 1e6 * time_per_call(works[[name]])))
}
