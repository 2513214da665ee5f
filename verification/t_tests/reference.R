# Expected inputs and outputs of the generic t test, the two-sample t test,
# the one-sample t test and the matched-pairs t test, for every analysis type.
# Power comes from R's noncentral t (pt/qt with ncp); the searches are solved
# with uniroot at a tolerance far below the seven displayed digits, and the
# results of the pwr package are compared where it computes the same thing.
#
#   Rscript reference.R > t_tests_reference.tsv
#
# One line per case: test id, analysis type (0 A priori, 1 Sensitivity,
# 2 Post hoc, 3 Criterion, 4 Compromise), the inputs and the expected outputs
# as key=value lists. power/t/t_reference_cases_test.cpp maps the keys to the
# parameter labels.
suppressMessages(library(pwr))

# Power of the t family with critical value on the side of the effect.
power_t <- function(delta, df, alpha, tails, sign = 1) {
  if (sign >= 0) {
    cv <- qt(1 - alpha / tails, df)
    if (tails == 1) return(pt(cv, df, ncp = delta, lower.tail = FALSE))
    return(pt(cv, df, ncp = delta, lower.tail = FALSE) + pt(-cv, df, ncp = delta))
  }
  cv <- qt(alpha / tails, df)
  if (tails == 1) return(pt(cv, df, ncp = delta))
  pt(cv, df, ncp = delta) + pt(-cv, df, ncp = delta, lower.tail = FALSE)
}
crit_t <- function(df, alpha, tails, sign = 1) {
  if (sign >= 0) qt(1 - alpha / tails, df) else qt(alpha / tails, df)
}

root <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-15, maxiter = 1000)$root

fmt <- function(x) sprintf("%.15g", x)
tails_text <- function(tails) if (tails == 1) "One" else "Two"
kv <- function(...) {
  x <- list(...)
  paste(paste0(names(x), "=", vapply(x, function(v) if (is.character(v)) v else fmt(v), "")),
        collapse = ";")
}
line <- function(test, type, inputs, outputs) cat(test, type, inputs, paste0(outputs, "\n"), sep = "\t")
near <- function(a, b, tol) stopifnot(abs(a - b) <= tol)

# ---------------------------------------------------------------- generic t
generic <- function(type, tails, df, delta = NA, alpha = NA, power = NA, q = NA) {
  s <- if (!is.na(delta) && delta < 0) -1 else 1
  tt <- tails_text(tails)
  if (type == 1) {
    d <- root(function(x) power_t(x, df, alpha, tails) - power, 1e-6, 100)
    line(200, 1, kv(tails = tt, alpha = alpha, power = power, df = df),
         kv(crit = crit_t(df, alpha, tails), ncp = d))
  } else if (type == 2) {
    p <- power_t(delta, df, alpha, tails, s)
    line(200, 2, kv(tails = tt, delta = delta, alpha = alpha, df = df),
         kv(crit = crit_t(df, alpha, tails, s), beta = 1 - p, power = p))
  } else if (type == 3) {
    a <- root(function(x) power_t(delta, df, x, tails, s) - power, 1e-12, 1 - 1e-12)
    line(200, 3, kv(tails = tt, delta = delta, power = power, df = df),
         kv(crit = crit_t(df, a, tails, s), alpha = a))
  } else if (type == 4) {
    a <- root(function(x) 1 - (1 - power_t(delta, df, x, tails, s)) / (q * x), 1e-12, 1 - 1e-12)
    p <- power_t(delta, df, a, tails, s)
    line(200, 4, kv(tails = tt, delta = delta, q = q, df = df),
         kv(crit = crit_t(df, a, tails, s), alpha = a, beta = 1 - p, power = p))
  }
}

generic(2, 2, 30, delta = 2.5, alpha = 0.05)
generic(2, 1, 30, delta = 2.5, alpha = 0.05)
generic(2, 1, 30, delta = -2.5, alpha = 0.05)
generic(2, 2, 30, delta = -2.5, alpha = 0.05)
generic(2, 2, 30, delta = 0, alpha = 0.05)
generic(2, 2, 4.5, delta = 1.5, alpha = 0.01)
generic(2, 1, 200, delta = 4, alpha = 1e-4)
generic(1, 2, 30, alpha = 0.05, power = 0.95)
generic(1, 1, 10, alpha = 0.01, power = 0.8)
generic(3, 2, 30, delta = 3, power = 0.8)
generic(3, 1, 30, delta = -3, power = 0.8)
generic(4, 2, 30, delta = 3, q = 1)
generic(4, 1, 12, delta = 2, q = 4)

# ---------------------------------------------------------- two groups (201)
means_power <- function(d, n1, n2, alpha, tails) {
  power_t(d * sqrt(n1 * n2 / (n1 + n2)), n1 + n2 - 2, alpha, tails, sign(d))
}
means_common <- function(d, n1, n2, alpha, tails) {
  list(ncp = d * sqrt(n1 * n2 / (n1 + n2)), crit = crit_t(n1 + n2 - 2, alpha, tails, sign(d)),
       df = n1 + n2 - 2)
}
round_n <- function(n) ceiling(floor(n * 1e10 + 0.5) / 1e10)

means <- function(type, tails, d = NA, alpha = NA, power = NA, q = NA, n1 = NA, n2 = NA, r = NA) {
  tt <- tails_text(tails)
  if (type == 0) {
    f <- function(n) { g1 <- n / (r + 1); means_power(d, g1, n - g1, alpha, tails) - power }
    n <- 2 * round_n(root(f, 3, 1e7) / 2)
    g1 <- floor(n / (r + 1) + 0.5)
    g2 <- ceiling(n - g1)
    if (abs(r - 1) < 1e-8 && abs(g1 - g2) > 1e-8) if (g1 <= g2) g1 <- g1 + 1 else g2 <- g2 + 1
    actual <- means_power(d, g1, g2, alpha, tails)
    if (r == 1) {
      p <- pwr.t.test(d = abs(d), sig.level = alpha, power = power, type = "two.sample",
                      alternative = if (tails == 1) "greater" else "two.sided")
      stopifnot(ceiling(p$n) == g1)
    }
    m <- means_common(d, g1, g2, alpha, tails)
    line(201, 0, kv(tails = tt, d = d, alpha = alpha, power = power, r = r),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, n1 = g1, n2 = g2, n = g1 + g2, actual = actual))
  } else if (type == 1) {
    e <- root(function(x) means_power(x, n1, n2, alpha, tails) - power, 1e-6, 100)
    p <- pwr.t2n.test(n1 = n1, n2 = n2, sig.level = alpha, power = power,
                      alternative = if (tails == 1) "greater" else "two.sided")
    near(p$d, e, 1e-4)  # pwr's own root tolerance is loose
    m <- means_common(e, n1, n2, alpha, tails)
    line(201, 1, kv(tails = tt, alpha = alpha, power = power, n1 = n1, n2 = n2),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, d = e))
  } else if (type == 2) {
    pw <- means_power(d, n1, n2, alpha, tails)
    alt <- if (tails == 2) "two.sided" else if (d >= 0) "greater" else "less"
    if (min(n1, n2) >= 2) {  # pwr wants two subjects per group
      near(pwr.t2n.test(n1 = n1, n2 = n2, d = d, sig.level = alpha, alternative = alt)$power, pw, 1e-12)
    }
    m <- means_common(d, n1, n2, alpha, tails)
    line(201, 2, kv(tails = tt, d = d, alpha = alpha, n1 = n1, n2 = n2),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, power = pw))
  } else if (type == 3) {
    a <- root(function(x) means_power(d, n1, n2, x, tails) - power, 1e-12, 1 - 1e-12)
    m <- means_common(d, n1, n2, a, tails)
    line(201, 3, kv(tails = tt, d = d, power = power, n1 = n1, n2 = n2),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, alpha = a))
  } else if (type == 4) {
    a <- root(function(x) 1 - (1 - means_power(d, n1, n2, x, tails)) / (q * x), 1e-12, 1 - 1e-12)
    pw <- means_power(d, n1, n2, a, tails)
    m <- means_common(d, n1, n2, a, tails)
    line(201, 4, kv(tails = tt, d = d, q = q, n1 = n1, n2 = n2),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, alpha = a, beta = 1 - pw, power = pw))
  }
}

means(0, 2, d = 0.5, alpha = 0.05, power = 0.95, r = 1)
means(0, 2, d = 0.5, alpha = 0.05, power = 0.8, r = 1)
means(0, 2, d = 0.5, alpha = 0.05, power = 0.95, r = 2)
means(0, 2, d = 0.5, alpha = 0.05, power = 0.95, r = 0.5)
means(0, 1, d = 0.5, alpha = 0.05, power = 0.95, r = 1)
means(0, 2, d = -0.5, alpha = 0.05, power = 0.95, r = 1)
means(0, 2, d = 1.2, alpha = 0.01, power = 0.9, r = 3)
means(1, 2, alpha = 0.05, power = 0.95, n1 = 50, n2 = 50)
means(1, 1, alpha = 0.05, power = 0.8, n1 = 30, n2 = 60)
means(2, 2, d = 0.5, alpha = 0.05, n1 = 50, n2 = 50)
means(2, 1, d = 0.5, alpha = 0.05, n1 = 50, n2 = 50)
means(2, 1, d = -0.5, alpha = 0.05, n1 = 50, n2 = 50)
means(2, 2, d = 0, alpha = 0.05, n1 = 50, n2 = 50)
means(2, 2, d = 0.8, alpha = 0.05, n1 = 12, n2 = 7)
means(2, 2, d = 2, alpha = 0.05, n1 = 1, n2 = 2)
means(3, 2, d = 0.5, power = 0.95, n1 = 50, n2 = 50)
means(3, 1, d = -0.4, power = 0.8, n1 = 40, n2 = 80)
means(4, 2, d = 0.5, q = 1, n1 = 50, n2 = 50)
means(4, 1, d = 0.3, q = 2, n1 = 20, n2 = 35)

# ------------------------------------------- one group (203) and pairs (204)
one_power <- function(d, n, alpha, tails) power_t(d * sqrt(n), n - 1, alpha, tails, sign(d))
one_common <- function(d, n, alpha, tails) {
  list(ncp = d * sqrt(n), crit = crit_t(n - 1, alpha, tails, sign(d)), df = n - 1)
}

one <- function(test, type, tails, d = NA, alpha = NA, power = NA, q = NA, n = NA) {
  tt <- tails_text(tails)
  alt <- if (tails == 2) "two.sided" else if (is.na(d) || d >= 0) "greater" else "less"
  kind <- if (test == 203) "one.sample" else "paired"
  e <- if (test == 203) "d" else "dz"
  with_effect <- function(prefix, value, rest) {
    x <- c(prefix, setNames(list(value), e), rest)
    do.call(kv, x)
  }
  if (type == 0) {
    # The smallest admissible N (3: every analysis type refuses 2) is the
    # answer when it already has the power.
    f <- function(x) one_power(d, x, alpha, tails) - power
    nn <- if (f(3) >= 0) 3 else max(round_n(root(f, 3, 1e7)), 3)
    if (nn > 3) {
      stopifnot(ceiling(pwr.t.test(d = d, sig.level = alpha, power = power, type = kind,
                                   alternative = alt)$n) == nn)
    }
    m <- one_common(d, nn, alpha, tails)
    line(test, 0, with_effect(list(tails = tt), d, list(alpha = alpha, power = power)),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, n = nn, actual = one_power(d, nn, alpha, tails)))
  } else if (type == 1) {
    x <- root(function(x) one_power(x, n, alpha, tails) - power, 1e-6, 100)
    near(pwr.t.test(n = n, sig.level = alpha, power = power, type = kind, alternative = alt)$d, x, 1e-4)
    m <- one_common(x, n, alpha, tails)
    line(test, 1, kv(tails = tt, alpha = alpha, power = power, n = n),
         do.call(kv, c(list(ncp = m$ncp, crit = m$crit, df = m$df), setNames(list(x), e))))
  } else if (type == 2) {
    pw <- one_power(d, n, alpha, tails)
    near(pwr.t.test(n = n, d = d, sig.level = alpha, type = kind, alternative = alt)$power, pw, 1e-12)
    m <- one_common(d, n, alpha, tails)
    line(test, 2, with_effect(list(tails = tt), d, list(alpha = alpha, n = n)),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, power = pw))
  } else if (type == 3) {
    a <- root(function(x) one_power(d, n, x, tails) - power, 1e-12, 1 - 1e-12)
    m <- one_common(d, n, a, tails)
    line(test, 3, with_effect(list(tails = tt), d, list(power = power, n = n)),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, alpha = a))
  } else if (type == 4) {
    a <- root(function(x) 1 - (1 - one_power(d, n, x, tails)) / (q * x), 1e-12, 1 - 1e-12)
    pw <- one_power(d, n, a, tails)
    m <- one_common(d, n, a, tails)
    line(test, 4, with_effect(list(tails = tt), d, list(q = q, n = n)),
         kv(ncp = m$ncp, crit = m$crit, df = m$df, alpha = a, beta = 1 - pw, power = pw))
  }
}

for (test in c(203, 204)) {
  one(test, 0, 2, d = 0.5, alpha = 0.05, power = 0.95)
  one(test, 0, 1, d = 0.5, alpha = 0.05, power = 0.95)
  one(test, 1, 2, alpha = 0.05, power = 0.95, n = 30)
  one(test, 2, 2, d = 0.5, alpha = 0.05, n = 30)
  one(test, 2, 1, d = -0.5, alpha = 0.05, n = 30)
  one(test, 3, 2, d = 0.5, power = 0.8, n = 30)
  one(test, 4, 2, d = 0.5, q = 1, n = 30)
}
one(203, 0, 2, d = -0.3, alpha = 0.01, power = 0.9)
one(203, 0, 1, d = 20, alpha = 0.05, power = 0.8)
one(203, 1, 1, alpha = 0.01, power = 0.8, n = 12)
one(203, 2, 2, d = 0, alpha = 0.05, n = 30)
one(203, 2, 2, d = 0.5, alpha = 0.05, n = 3)
one(203, 2, 1, d = 0.2, alpha = 0.05, n = 1000)
one(203, 3, 1, d = -0.7, power = 0.9, n = 15)
one(203, 4, 1, d = 0.4, q = 3, n = 25)

# R's pt with ncp above 37.62 is an approximation; no case here goes there.
# Extremes: the smallest alpha, allocation ratios at their bounds, large N,
# beta/alpha ratios at their bounds, Criterion answers near alpha = 1.
generic(2, 1, 1e6, delta = 6, alpha = 1e-7)
generic(2, 2, 2, delta = -8, alpha = 0.2)
generic(3, 2, 5, delta = 0.5, power = 0.99)
generic(3, 1, 100, delta = 6, power = 0.999)
generic(4, 2, 5, delta = -1, q = 100)
generic(4, 1, 50, delta = 5, q = 0.01)
means(0, 2, d = 0.5, alpha = 0.05, power = 0.95, r = 0.01)
means(0, 2, d = 0.5, alpha = 0.05, power = 0.95, r = 100)
means(0, 1, d = -1.2, alpha = 0.001, power = 0.99, r = 1)
means(0, 2, d = 5, alpha = 0.05, power = 0.8, r = 1)
means(0, 2, d = 0.05, alpha = 0.05, power = 0.95, r = 1)
means(1, 2, alpha = 0.001, power = 0.99, n1 = 5, n2 = 500)
means(2, 2, d = -3, alpha = 1e-6, n1 = 5, n2 = 500)
means(3, 2, d = 0.2, power = 0.99, n1 = 10, n2 = 10)
means(4, 2, d = -0.8, q = 100, n1 = 10, n2 = 30)
one(203, 0, 2, d = 3, alpha = 0.05, power = 0.8)
one(204, 0, 2, d = 0.01, alpha = 0.05, power = 0.9)
one(203, 1, 2, alpha = 1e-5, power = 0.99, n = 100000)
one(204, 2, 2, d = -0.1, alpha = 0.05, n = 5000)
one(204, 3, 1, d = 0.1, power = 0.999, n = 10)
one(203, 4, 2, d = -0.5, q = 0.01, n = 40)
