# Expected inputs and outputs of the generic z test, the z test of two
# independent proportions and the z test of two independent correlations,
# for every analysis type. Normal probabilities and quantiles are R's pnorm
# and qnorm; the searches are solved with uniroot at a tolerance far below
# the seven displayed digits (by bisection where the power is a step function
# of N). The pwr package (pwr.norm.test, pwr.2p.test, pwr.2p2n.test) and
# power.prop.test are compared where they compute the same thing.
#
#   Rscript reference.R > z_tests_reference.tsv
#
# Each row: test id, analysis type, expected calculation status, the inputs
# and the expected outputs as space-separated key=value pairs. The input
# "opt" lists the options of the two-proportion test that are on, joined by
# "+": arcsin (arcsin transform), cc (continuity correction), plot (statistic
# on the scale of the difference) and h (effect size h as input instead of
# p2); it is not an input row. Keys:
#   mu sigma p1 p2 h qr tails alpha power q n1 n2 r   (inputs)
#   crit beta power alpha mu p2 h qr n1 n2 N actual   (outputs)
# qr is the effect size q of two correlations; q is the beta/alpha ratio.

suppressPackageStartupMessages(library(pwr))

fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(test, type, status, inputs, outputs) {
  cat(test, type, status, kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
root <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-15, maxiter = 10000)$root
near <- function(a, b, tol) if (abs(a - b) > tol) stop(sprintf("%.15g vs %.15g", a, b))
tails_text <- function(tails) if (tails == 1) "One" else "Two"

# The rejection region of a z statistic that is N(0, s0) under H0 and
# N(m, s1) under H1: critical values of H0 on the side of the effect (the
# lower tail for an effect <= 0 with one tail), power under H1. The
# critical values are reported with the sign of the effect (side: its sign).
zpower <- function(m, s0, s1, alpha, tails, side) {
  if (tails == 1) {
    if (side > 0) {
      cv <- qnorm(alpha, sd = s0, lower.tail = FALSE)
      return(list(power = pnorm(cv, m, s1, lower.tail = FALSE), crit = cv))
    }
    cv <- qnorm(alpha, sd = s0)
    return(list(power = pnorm(cv, m, s1), crit = cv))
  }
  hi <- qnorm(alpha / 2, sd = s0, lower.tail = FALSE)
  p <- pnorm(hi, m, s1, lower.tail = FALSE) + pnorm(-hi, m, s1)
  list(power = p, crit = if (side < 0) -hi else hi)
}

cat("# test\ttype\tstatus\tinputs\toutputs\n")

# ================================================= generic z test (300)
# H0: N(0, 1); H1: N(mu, sigma); N is fixed, mu is the noncentrality.
gz <- function(mu, sigma, alpha, tails) zpower(mu, 1, sigma, alpha, tails, sign(mu))
for (c in list(list(3, 1, 0.05, 2), list(3, 1, 0.05, 1), list(3, 2, 0.05, 2),
               list(-2, 1.5, 0.05, 1), list(-2, 1.5, 0.01, 2), list(0, 1, 0.05, 2),
               list(0, 1, 0.05, 1), list(1.2, 0.4, 0.2, 2))) {
  r <- gz(c[[1]], c[[2]], c[[3]], c[[4]])
  emit(300, "posthoc", -1,
       list(tails = tails_text(c[[4]]), mu = c[[1]], sigma = c[[2]], alpha = c[[3]]),
       list(crit = r$crit, beta = 1 - r$power, power = r$power))
}
# pwr.norm.test: mean d*sqrt(n) with sd 1.
near(gz(3, 1, 0.05, 2)$power, pwr.norm.test(d = 0.3, n = 100, sig.level = 0.05)$power, 1e-12)
near(gz(3, 1, 0.05, 1)$power,
     pwr.norm.test(d = 0.3, n = 100, sig.level = 0.05, alternative = "greater")$power, 1e-12)
for (c in list(list(1, 0.05, 0.95, 2), list(2, 0.01, 0.8, 1))) {
  mu <- root(function(x) gz(x, c[[1]], c[[2]], c[[4]])$power - c[[3]], 1e-6, 100)
  emit(300, "sensitivity", -1,
       list(tails = tails_text(c[[4]]), sigma = c[[1]], alpha = c[[2]], power = c[[3]]),
       list(crit = gz(mu, c[[1]], c[[2]], c[[4]])$crit, mu = mu))
}
for (c in list(list(3, 1, 0.95, 2), list(-2.5, 0.8, 0.9, 1), list(-2.5, 0.8, 0.9, 2))) {
  a <- root(function(x) gz(c[[1]], c[[2]], x, c[[4]])$power - c[[3]], 1e-12, 1 - 1e-12)
  emit(300, "criterion", -1,
       list(tails = tails_text(c[[4]]), mu = c[[1]], sigma = c[[2]], power = c[[3]]),
       list(crit = gz(c[[1]], c[[2]], a, c[[4]])$crit, alpha = a))
}
for (c in list(list(3, 1, 1, 2), list(2, 1.5, 4, 1))) {
  a <- root(function(x) 1 - (1 - gz(c[[1]], c[[2]], x, c[[4]])$power) / (c[[3]] * x),
            1e-12, 1 - 1e-12)
  r <- gz(c[[1]], c[[2]], a, c[[4]])
  emit(300, "compromise", -1,
       list(tails = tails_text(c[[4]]), mu = c[[1]], sigma = c[[2]], q = c[[3]]),
       list(crit = r$crit, alpha = a, beta = 1 - r$power, power = r$power))
}

# ======================================== two independent proportions (301)
p2_of_h <- function(p1, h) sin(asin(sqrt(p1)) + h / 2)^2
h_of_p2 <- function(p1, p2) 2 * (asin(sqrt(p2)) - asin(sqrt(p1)))

# The group sizes the standard errors use: with the continuity correction,
# the uncorrected sizes n, r n that the corrected sizes n1, n2 = r n1 stand
# for by Fleiss's formula n1 = (n/4) (1 + sqrt(1 + 2 (r + 1)/(n r |D|)))^2,
# never below a first group of one; a difference the correction takes up
# whole (n1 r |D| <= (r + 1)/2) stands for that smallest group too. Both
# sizes are then rounded up to whole subjects.
effective <- function(n1, n2, p1, p2, cc) {
  if (!cc) return(c(n1, n2))
  r <- n2 / n1
  D <- p1 - p2
  x <- if (2 * n1 * r * abs(D) <= r + 1) 0 else (r + 1 - 2 * n1 * r * abs(D))^2 / (4 * n1 * (r * D)^2)
  x <- max(1, x)
  # Whole subjects: both sizes rounded up.
  c(ceiling(x), ceiling(r * x))
}
# Power and critical value of the two-proportion test; `e` is p2 or h.
prop <- function(e, p1, alpha, n1, n2, tails, o) {
  p2 <- if (o$h) p2_of_h(p1, e) else e
  E <- effective(n1, n2, p1, p2, o$cc)
  if (o$arcsin) {
    d <- h_of_p2(p1, p2)
    s0 <- s1 <- sqrt(1 / E[1] + 1 / E[2])
  } else {
    d <- p2 - p1
    pb <- (p1 * E[1] + p2 * E[2]) / (E[1] + E[2])
    s0 <- sqrt(pb * (1 - pb) * (1 / E[1] + 1 / E[2]))
    s1 <- sqrt(p1 * (1 - p1) / E[1] + p2 * (1 - p2) / E[2])
  }
  side <- sign(p2 - p1)
  if (abs(d) < 1e-12) {
    # Power alpha; the critical values as for a difference in the lower tail.
    cv <- if (tails == 1) qnorm(alpha) else qnorm(alpha / 2, lower.tail = FALSE)
    return(list(power = alpha, crit = if (o$plot) cv * s0 else cv, p2 = p2))
  }
  r <- zpower(d, s0, s1, alpha, tails, side)
  list(power = r$power, crit = if (o$plot) r$crit else r$crit / s0, p2 = p2)
}
opts <- function(s) {
  on <- strsplit(s, "+", fixed = TRUE)[[1]]
  list(arcsin = "arcsin" %in% on, cc = "cc" %in% on, plot = "plot" %in% on, h = "h" %in% on,
       text = s)
}
effect_inputs <- function(o, e) if (o$h) list(h = e) else list(p2 = e)
with_opt <- function(o, l) if (o$text == "") l else c(list(opt = o$text), l)

# Smallest total whose power reaches the target.
total_for <- function(f) {
  hi <- 100
  while (f(hi) < 0) hi <- hi * 1.6
  if (f(3) >= 0) return(3)
  root(f, 3, hi)
}
# The whole groups of an A priori total: N1 the nearest whole number to
# N/(r + 1), N2 the rest, equal groups for r = 1; where rounding N1 costs the
# power its target, the next totals are split the same way until one
# reaches it. `pw` gives the power of two groups.
split_total <- function(N, r, pw, target) {
  for (extra in 0:1000) {
    t <- N + extra
    n1 <- floor(t / (r + 1) + 0.5)
    n2 <- ceiling(t - n1)
    if (abs(r - 1) < 1e-8 && abs(n1 - n2) > 1e-8) {
      if (n1 > n2) n2 <- n2 + 1 else n1 <- n1 + 1
    }
    n1 <- max(n1, 1)
    n2 <- max(n2, 1)
    if (pw(n1, n2) >= target) return(c(n1, n2))
  }
  stop("no split reaches the target")
}

prop_apriori <- function(os, e, p1, alpha, power, r, tails) {
  o <- opts(os)
  f <- function(x) prop(e, p1, alpha, x / (r + 1), x - x / (r + 1), tails, o)$power - power
  N <- ceiling(total_for(f) - 1e-9)
  g <- split_total(N, r, function(a, b) prop(e, p1, alpha, a, b, tails, o)$power, power)
  res <- prop(e, p1, alpha, g[1], g[2], tails, o)
  out <- list(crit = res$crit, n1 = g[1], n2 = g[2], N = g[1] + g[2], actual = res$power)
  if (o$h) out$p2 <- res$p2
  emit(301, "apriori", -1,
       with_opt(o, c(list(tails = tails_text(tails)), effect_inputs(o, e),
                     list(p1 = p1, alpha = alpha, power = power, r = r))), out)
  invisible(g)
}
prop_posthoc <- function(os, e, p1, alpha, n1, n2, tails) {
  o <- opts(os)
  res <- prop(e, p1, alpha, n1, n2, tails, o)
  out <- list(crit = res$crit, power = res$power)
  if (o$h) out$p2 <- res$p2
  emit(301, "posthoc", -1,
       with_opt(o, c(list(tails = tails_text(tails)), effect_inputs(o, e),
                     list(p1 = p1, alpha = alpha, n1 = n1, n2 = n2))), out)
  invisible(res$power)
}
prop_sensitivity <- function(os, p1, alpha, power, n1, n2, tails) {
  o <- opts(os)
  f <- function(x) prop(x, p1, alpha, n1, n2, tails, o)$power - power
  e <- if (o$h) root(f, 1e-6, pi - 2 * asin(sqrt(p1))) else root(f, p1 + 1e-10, 1 - 1e-10)
  res <- prop(e, p1, alpha, n1, n2, tails, o)
  out <- c(list(crit = res$crit), if (o$h) list(h = e) else list(p2 = e))
  if (o$h) out$p2 <- res$p2
  emit(301, "sensitivity", -1,
       with_opt(o, list(tails = tails_text(tails), p1 = p1, alpha = alpha, power = power,
                        n1 = n1, n2 = n2)), out)
  invisible(e)
}
prop_criterion <- function(os, e, p1, power, n1, n2, tails) {
  o <- opts(os)
  a <- root(function(x) prop(e, p1, x, n1, n2, tails, o)$power - power, 1e-12, 1 - 1e-12)
  res <- prop(e, p1, a, n1, n2, tails, o)
  out <- list(crit = res$crit, alpha = a)
  if (o$h) out$p2 <- res$p2
  emit(301, "criterion", -1,
       with_opt(o, c(list(tails = tails_text(tails)), effect_inputs(o, e),
                     list(p1 = p1, power = power, n1 = n1, n2 = n2))), out)
}
prop_compromise <- function(os, e, p1, q, n1, n2, tails) {
  o <- opts(os)
  a <- root(function(x) 1 - (1 - prop(e, p1, x, n1, n2, tails, o)$power) / (q * x),
            1e-12, 1 - 1e-12)
  res <- prop(e, p1, a, n1, n2, tails, o)
  out <- list(crit = res$crit, alpha = a, beta = 1 - res$power, power = res$power)
  if (o$h) out$p2 <- res$p2
  emit(301, "compromise", -1,
       with_opt(o, c(list(tails = tails_text(tails)), effect_inputs(o, e),
                     list(p1 = p1, q = q, n1 = n1, n2 = n2))), out)
}

plain <- opts("")
# The standard case: 641 + 641; power.prop.test (pooled H0, both tails with
# strict) gives the same power for equal groups.
g <- prop_apriori("", 0.6, 0.5, 0.05, 0.95, 1, 2)
stopifnot(all(g == c(641, 641)))
near(prop(0.6, 0.5, 0.05, 641, 641, 2, plain)$power,
     power.prop.test(n = 641, p1 = 0.5, p2 = 0.6, strict = TRUE)$power, 1e-12)
near(power.prop.test(p1 = 0.5, p2 = 0.6, power = 0.95)$n, 640.1, 1)
prop_apriori("", 0.6, 0.5, 0.05, 0.95, 2.5, 2)
prop_apriori("", 0.3, 0.45, 0.01, 0.8, 0.5, 1)
prop_apriori("", 0.9, 0.5, 0.05, 0.95, 1, 2)
# Arcsin transform, h input: pwr.2p.test gives n = 392.44 per group.
g <- prop_apriori("arcsin+h", 0.2, 0.5, 0.05, 0.8, 1, 2)
stopifnot(all(g == c(393, 393)))
near(pwr.2p.test(h = 0.2, power = 0.8)$n, 392.4430, 1e-3)
prop_apriori("arcsin", 0.6, 0.5, 0.05, 0.95, 1, 2)
# Continuity correction: Fleiss's corrected size for the 640.27 per group
# that power.prop.test finds uncorrected is 660.12; with the effective
# sizes rounded up to whole subjects, 660 per group already stand for 641.
g <- prop_apriori("cc", 0.6, 0.5, 0.05, 0.95, 1, 2)
stopifnot(all(g == c(660, 660)))
n <- power.prop.test(p1 = 0.5, p2 = 0.6, power = 0.95, strict = TRUE, tol = 1e-12)$n
near(n / 4 * (1 + sqrt(1 + 4 / (n * 0.1)))^2, 660.1178, 1e-4)
prop_apriori("cc", 0.35, 0.2, 0.05, 0.9, 2, 2)
prop_apriori("arcsin+cc", 0.6, 0.5, 0.05, 0.95, 1, 1)
prop_apriori("cc", 0.8, 0.2, 0.05, 0.95, 1, 2)
prop_apriori("plot", 0.6, 0.5, 0.05, 0.95, 1, 2)
# Post hoc, two tails, p1 0.3, p2 0.5, 100 + 100: the corrected sizes
# stand for 90.25, that is 91 whole subjects per group.
near(prop_posthoc("cc", 0.5, 0.3, 0.05, 100, 100, 2), 0.7912877, 5e-8)
prop_apriori("h", 0.2, 0.5, 0.05, 0.8, 1, 2)

p <- prop_posthoc("", 0.6, 0.5, 0.05, 50, 50, 2)
near(p, 0.1700223, 5e-8)
near(p, power.prop.test(n = 50, p1 = 0.5, p2 = 0.6, strict = TRUE)$power, 1e-12)
prop_posthoc("", 0.6, 0.5, 0.05, 50, 50, 1)
prop_posthoc("", 0.4, 0.5, 0.05, 50, 50, 1)
prop_posthoc("", 0.4, 0.5, 0.05, 80, 50, 2)
prop_posthoc("", 0.5, 0.5, 0.05, 50, 50, 2)
prop_posthoc("plot", 0.6, 0.5, 0.05, 50, 50, 2)
prop_posthoc("plot", 0.4, 0.5, 0.05, 80, 50, 2)
prop_posthoc("h", -0.3, 0.5, 0.05, 60, 90, 2)
prop_posthoc("", 1, 0.5, 0.05, 30, 30, 2)
prop_posthoc("", 0, 0.5, 0.05, 30, 30, 1)
# With the arcsin transform and the h input, d is h and pwr.2p2n.test holds.
p <- prop_posthoc("arcsin+h", 0.3, 0.4, 0.05, 60, 90, 2)
near(p, pwr.2p2n.test(h = 0.3, n1 = 60, n2 = 90)$power, 1e-12)
prop_posthoc("arcsin", 0.4, 0.5, 0.05, 60, 90, 1)
prop_posthoc("cc", 0.6, 0.5, 0.05, 200, 300, 2)
prop_posthoc("cc", 0.6, 0.5, 0.05, 5, 5, 2)
prop_posthoc("cc", 0.6, 0.5, 0.05, 12, 12, 2)
prop_posthoc("arcsin+cc+plot", 0.3, 0.5, 0.05, 100, 100, 2)

prop_sensitivity("", 0.5, 0.05, 0.95, 50, 50, 2)
prop_sensitivity("", 0.2, 0.01, 0.8, 100, 40, 1)
prop_sensitivity("h", 0.5, 0.05, 0.95, 50, 50, 2)
prop_sensitivity("arcsin+h", 0.5, 0.05, 0.8, 100, 100, 2)
prop_sensitivity("cc", 0.5, 0.05, 0.8, 200, 200, 2)

prop_criterion("", 0.6, 0.5, 0.95, 641, 641, 2)
prop_criterion("", 0.4, 0.5, 0.8, 300, 200, 1)
prop_criterion("plot", 0.6, 0.5, 0.95, 641, 641, 2)
prop_criterion("arcsin+h", 0.25, 0.3, 0.9, 200, 200, 2)

prop_compromise("", 0.6, 0.5, 1, 300, 300, 2)
prop_compromise("h", 0.3, 0.5, 2, 100, 150, 1)
prop_compromise("arcsin+cc", 0.65, 0.5, 1, 200, 200, 2)

# ======================================= two independent correlations (302)
# Fisher z difference q over sqrt(1/(N1 - 3) + 1/(N2 - 3)).
corr <- function(q, alpha, n1, n2, tails) {
  se <- sqrt(1 / (n1 - 3) + 1 / (n2 - 3))
  zpower(q / se, 1, 1, alpha, tails, sign(q))
}
corr_apriori <- function(q, alpha, power, r, tails) {
  f <- function(x) corr(q, alpha, x / (r + 1), x - x / (r + 1), tails)$power - power
  lo <- 4 * (r + 1) / min(1, r)
  N <- if (f(lo) >= 0) lo else ceiling(root(f, lo, 1e7) - 1e-9)
  g <- split_total(N, r, function(a, b) corr(q, alpha, a, b, tails)$power, power)
  res <- corr(q, alpha, g[1], g[2], tails)
  emit(302, "apriori", -1,
       list(tails = tails_text(tails), qr = q, alpha = alpha, power = power, r = r),
       list(crit = res$crit, n1 = g[1], n2 = g[2], N = g[1] + g[2], actual = res$power))
  invisible(c(g, res$power))
}
g <- corr_apriori(0.3, 0.05, 0.8, 1, 2)
stopifnot(all(g[1:2] == c(178, 178)))
g <- corr_apriori(0.6, 0.05, 0.95, 1, 2)
stopifnot(all(g[1:2] == c(76, 76)))
near(g[3], 0.9520386, 5e-8)
corr_apriori(-0.4, 0.01, 0.9, 3, 1)
corr_apriori(0.2, 0.05, 0.8, 0.25, 2)
corr_apriori(0.5, 0.05, 0.95, 100, 2)
corr_apriori(8, 0.05, 0.95, 1, 2)
for (c in list(list(0.3, 0.05, 100, 100, 2), list(0.3, 0.05, 100, 100, 1),
               list(-0.3, 0.05, 100, 100, 2), list(-0.3, 0.05, 40, 70, 1),
               list(0, 0.05, 50, 50, 1), list(0.5, 0.01, 4, 4, 2))) {
  r <- corr(c[[1]], c[[2]], c[[3]], c[[4]], c[[5]])
  emit(302, "posthoc", -1,
       list(tails = tails_text(c[[5]]), qr = c[[1]], alpha = c[[2]], n1 = c[[3]], n2 = c[[4]]),
       list(crit = r$crit, power = r$power))
}
for (c in list(list(0.05, 0.95, 100, 100, 2), list(0.01, 0.8, 30, 90, 1))) {
  q <- root(function(x) corr(x, c[[1]], c[[3]], c[[4]], c[[5]])$power - c[[2]], 1e-6, 10)
  emit(302, "sensitivity", -1,
       list(tails = tails_text(c[[5]]), alpha = c[[1]], power = c[[2]], n1 = c[[3]], n2 = c[[4]]),
       list(crit = corr(q, c[[1]], c[[3]], c[[4]], c[[5]])$crit, qr = q))
}
for (c in list(list(0.3, 0.8, 150, 150, 2), list(-0.3, 0.8, 150, 100, 1))) {
  a <- root(function(x) corr(c[[1]], x, c[[3]], c[[4]], c[[5]])$power - c[[2]], 1e-12, 1 - 1e-12)
  emit(302, "criterion", -1,
       list(tails = tails_text(c[[5]]), qr = c[[1]], power = c[[2]], n1 = c[[3]], n2 = c[[4]]),
       list(crit = corr(c[[1]], a, c[[3]], c[[4]], c[[5]])$crit, alpha = a))
}
for (c in list(list(0.3, 1, 100, 100, 2), list(0.5, 3, 20, 40, 1))) {
  a <- root(function(x) 1 - (1 - corr(c[[1]], x, c[[3]], c[[4]], c[[5]])$power) / (c[[2]] * x),
            1e-12, 1 - 1e-12)
  r <- corr(c[[1]], a, c[[3]], c[[4]], c[[5]])
  emit(302, "compromise", -1,
       list(tails = tails_text(c[[5]]), qr = c[[1]], q = c[[2]], n1 = c[[3]], n2 = c[[4]]),
       list(crit = r$crit, alpha = a, beta = 1 - r$power, power = r$power))
}
