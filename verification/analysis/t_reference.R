# Reference values for the analysis solvers on a one-sample t statistic
# (one-tailed, df = N - 1, noncentrality d sqrt(N)), from R's noncentral t
# and the pwr package. analysis/t_statistic_test.cpp holds the numbers;
# t_reference.txt is this script's output.
suppressMessages(library(pwr))
p <- function(d, a, n) pt(qt(1 - a, n - 1), n - 1, ncp = d * sqrt(n), lower.tail = FALSE)
show <- function(name, x) cat(name, format(x, digits = 17), "\n")
r <- pwr.t.test(d = 0.5, sig.level = 0.05, power = 0.95, type = "one.sample",
                alternative = "greater")
show("pwr_apriori_n", r$n)
show("apriori_n", uniroot(function(n) p(0.5, 0.05, n) - 0.95, c(2, 200), tol = 1e-13)$root)
show("actual_power_45", p(0.5, 0.05, 45))
show("posthoc_30", p(0.5, 0.05, 30))
show("critical_t_30", qt(0.95, 29))
show("sensitivity_30", uniroot(function(d) p(d, 0.05, 30) - 0.95, c(1e-6, 10), tol = 1e-14)$root)
show("criterion_30_power.8",
     uniroot(function(a) p(0.5, a, 30) - 0.8, c(1e-10, 0.99), tol = 1e-15)$root)
show("compromise_30_q1",
     uniroot(function(a) 1 - (1 - p(0.5, a, 30)) / a, c(1e-10, 0.99), tol = 1e-15)$root)
