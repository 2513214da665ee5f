# Expected outputs of the Wilcoxon signed-rank tests (one sample, matched
# pairs) and the Wilcoxon-Mann-Whitney test (two groups), by both methods:
# - A.R.E.: R's noncentral t (pt/qt with ncp) at the fractional df f N - 1
#   or f N - 2, f the efficiency of the parent;
# - normal approximation: the moments p1, p2, p3 by numerical integration of
#   the parent densities (integrate), not by their closed forms, and the
#   mean and variance of the rank statistic under H0 and H1 from them.
# A simulation of wilcox.test (20000 runs each) checks the power of the two
# standard cases; its result goes to stderr.
#
#   Rscript reference.R > cases.tsv
#
# Each row: test id, analysis type, expected status, inputs, outputs as
# space-separated key=value pairs. The keys method, cc (continuity
# correction) and parent (0 Normal, 1 Laplace, 2 Logistic, 3 min ARE) set
# the test's options and the parent input.

fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
type_names <- c("apriori", "sensitivity", "posthoc", "criterion", "compromise")
cat("# test\ttype\tstatus\tinputs\toutputs\n")
emit <- function(test, type, inputs, outputs) {
  cat(test, type_names[type + 1], -1, kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
solve <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-14, maxiter = 10000)$root
round_n <- function(n) ceiling(floor(n * 1e10 + 0.5) / 1e10)
tails_text <- function(tails) if (tails == 1) "One" else "Two"

# Parents with standard deviation 1: density and distribution function.
parents <- list(
  normal = list(d = dnorm, p = pnorm, are = 3 / pi),
  laplace = list(d = function(x) exp(-sqrt(2) * abs(x)) / sqrt(2),
                 p = function(x) ifelse(x < 0, exp(sqrt(2) * x) / 2, 1 - exp(-sqrt(2) * x) / 2),
                 are = 1.5),
  logistic = list(d = function(x) dlogis(x, scale = sqrt(3) / pi),
                  p = function(x) plogis(x, scale = sqrt(3) / pi), are = pi^2 / 9))
parent_of <- c("normal", "laplace", "logistic")
integral <- function(f) integrate(f, -Inf, Inf, rel.tol = 1e-12, abs.tol = 0)$value

# X = delta + parent. p1 = P(X > 0), p2 = P(X1 + X2 > 0),
# p3 = P(X1 + X2 > 0, X1 + X3 > 0).
one_moments <- function(delta, par) {
  g <- parents[[par]]
  list(p1 = 1 - g$p(-delta),
       p2 = integral(function(x) g$d(x) * (1 - g$p(-x - 2 * delta))),
       p3 = integral(function(x) g$d(x) * (1 - g$p(-x - 2 * delta))^2))
}
# X from the parent, Y = delta + parent. p1 = P(X < Y),
# p2 = P(X < Y1, X < Y2), p3 = P(X1 < Y, X2 < Y).
two_moments <- function(delta, par) {
  g <- parents[[par]]
  list(p1 = integral(function(x) g$d(x) * (1 - g$p(x - delta))),
       p2 = integral(function(x) g$d(x) * (1 - g$p(x - delta))^2),
       p3 = integral(function(y) g$d(y - delta) * g$p(y)^2))
}

lehmann_power <- function(m0, v0, m1, v1, alpha, tails, cc) {
  z <- qnorm(1 - alpha / tails)
  gamma <- if (cc) 0.5 else 0
  up <- m0 + gamma + z * sqrt(v0)
  lo <- m0 - gamma - z * sqrt(v0)
  p <- pnorm((up - m1) / sqrt(v1), lower.tail = FALSE)
  if (tails == 2) p <- p + pnorm((lo - m1) / sqrt(v1))
  p
}
one_lehmann <- function(delta, n, par, alpha, tails, cc) {
  m <- one_moments(abs(delta), par)
  m1 <- n * (n - 1) * m$p2 / 2 + n * m$p1
  v1 <- n * (n - 1) / 2 * (3 * m$p2 * (1 - m$p2) + 2 * (m$p1 - m$p2)^2) +
    n * (n - 1) * (n - 2) * (m$p3 - m$p2^2) + n * m$p1 * (1 - m$p1)
  c(power = lehmann_power(n * (n + 1) / 4, n * (n + 1) * (2 * n + 1) / 24, m1, v1, alpha, tails, cc),
    m)
}
two_lehmann <- function(delta, n1, n2, par, alpha, tails, cc) {
  m <- two_moments(abs(delta), par)
  m1 <- n1 * n2 * m$p1
  v1 <- n1 * n2 * (m$p1 * (1 - m$p1) + (n2 - 1) * (m$p2 - m$p1^2) + (n1 - 1) * (m$p3 - m$p1^2))
  c(power = lehmann_power(n1 * n2 / 2, n1 * n2 * (n1 + n2 + 1) / 12, m1, v1, alpha, tails, cc),
    m)
}

are_power <- function(d, f, df, ncp_factor, alpha, tails) {
  ncp <- d * ncp_factor
  if (d >= 0) {
    cv <- qt(alpha / tails, df, lower.tail = FALSE)
    p <- pt(cv, df, ncp = ncp, lower.tail = FALSE)
    if (tails == 2) p <- p + pt(-cv, df, ncp = ncp)
  } else {
    cv <- qt(alpha / tails, df)
    p <- pt(cv, df, ncp = ncp)
    if (tails == 2) p <- p + pt(-cv, df, ncp = ncp, lower.tail = FALSE)
  }
  list(power = p, crit = cv, ncp = ncp, df = df)
}
are_factor <- function(parent) if (parent == 3) 0.864 else parents[[parent_of[parent + 1]]]$are

# --------------------------------------------------------------- one sample
# test 205 (d) or 207 (dz); method 1 A.R.E., 3 normal approximation.
one_case <- function(test, type, method, tails, parent = 0, d = NA, alpha = NA, power = NA,
                     q = NA, n = NA, cc = 0) {
  key <- if (test == 205) "d" else "dz"
  tt <- tails_text(tails)
  base <- list(method = method, cc = cc, tails = tt, parent = parent)
  eff <- setNames(list(d), key)
  if (method == 1) {
    f <- are_factor(parent)
    pw <- function(e, nn, a) are_power(e, f, f * nn - 1, sqrt(f * nn), a, tails)
    head <- function(r) list(ncp = r$ncp, crit = r$crit, df = r$df)
  } else {
    par <- parent_of[parent + 1]
    pw <- function(e, nn, a) as.list(one_lehmann(e, nn, par, a, tails, cc == 1))
    head <- function(r) list(crit = qnorm(1 - alpha_used / tails))
  }
  tail_moments <- function(r) if (method == 1) list() else list(p1 = r$p1, p2 = r$p2, p3 = r$p3)
  if (type == 0) {
    g <- function(x) pw(d, x, alpha)$power - power
    hi <- 4; while (g(hi) < 0) hi <- 2 * hi
    nn <- max(round_n(solve(g, 2, hi)), 2)
    r <- pw(d, nn, alpha); alpha_used <<- alpha
    emit(test, 0, c(base, eff, list(alpha = alpha, power = power)),
         c(head(r), list(n = nn, actual = r$power), tail_moments(r)))
  } else if (type == 1) {
    e <- solve(function(x) pw(x, n, alpha)$power - power, 1e-6, 20)
    r <- pw(e, n, alpha); alpha_used <<- alpha
    emit(test, 1, c(base, list(alpha = alpha, power = power, n = n)),
         c(head(r), setNames(list(e), key), tail_moments(r)))
  } else if (type == 2) {
    r <- pw(d, n, alpha); alpha_used <<- alpha
    emit(test, 2, c(base, eff, list(alpha = alpha, n = n)),
         c(head(r), list(power = r$power), tail_moments(r)))
  } else if (type == 3) {
    a <- solve(function(x) pw(d, n, x)$power - power, 1e-10, 1 - 1e-10)
    r <- pw(d, n, a); alpha_used <<- a
    emit(test, 3, c(base, eff, list(power = power, n = n)),
         c(head(r), list(alpha = a), tail_moments(r)))
  } else {
    a <- solve(function(x) 1 - (1 - pw(d, n, x)$power) / (q * x), 1e-10, 1 - 1e-10)
    r <- pw(d, n, a); alpha_used <<- a
    emit(test, 4, c(base, eff, list(q = q, n = n)),
         c(head(r), list(alpha = a, beta = 1 - r$power, power = r$power), tail_moments(r)))
  }
}

# --------------------------------------------------------------- two groups
two_case <- function(type, method, tails, parent = 0, d = NA, alpha = NA, power = NA, q = NA,
                     n1 = NA, n2 = NA, r = NA, cc = 0) {
  tt <- tails_text(tails)
  base <- list(method = method, cc = cc, tails = tt, parent = parent)
  if (method == 1) {
    f <- are_factor(parent)
    pw <- function(e, g1, g2, a) are_power(e, f, f * (g1 + g2) - 2, sqrt(f * g1 * g2 / (g1 + g2)), a, tails)
    head <- function(r) list(ncp = r$ncp, crit = r$crit, df = r$df)
  } else {
    par <- parent_of[parent + 1]
    pw <- function(e, g1, g2, a) as.list(two_lehmann(e, g1, g2, par, a, tails, cc == 1))
    head <- function(r) list(crit = qnorm(1 - alpha_used / tails))
  }
  tail_moments <- function(r) if (method == 1) list() else list(p1 = r$p1, p2 = r$p2)
  if (type == 0) {
    g <- function(x) { g1 <- x / (r + 1); pw(d, g1, x - g1, alpha)$power - power }
    hi <- 8; while (g(hi) < 0) hi <- 2 * hi
    nn <- 2 * round_n(solve(g, 3, hi) / 2)
    repeat {
      g1 <- max(floor(nn / (r + 1) + 0.5), 1); g2 <- max(ceiling(nn - g1), 1)
      if (abs(r - 1) < 1e-8 && abs(g1 - g2) > 1e-8) if (g1 <= g2) g1 <- g1 + 1 else g2 <- g2 + 1
      res <- pw(d, g1, g2, alpha)
      if (res$power >= power) break
      nn <- nn + 1
    }
    alpha_used <<- alpha
    emit(206, 0, c(base, list(d = d, alpha = alpha, power = power, r = r)),
         c(head(res), list(n1 = g1, n2 = g2, n = g1 + g2, actual = res$power), tail_moments(res)))
  } else if (type == 1) {
    e <- solve(function(x) pw(x, n1, n2, alpha)$power - power, 1e-6, 20)
    res <- pw(e, n1, n2, alpha); alpha_used <<- alpha
    emit(206, 1, c(base, list(alpha = alpha, power = power, n1 = n1, n2 = n2)),
         c(head(res), list(d = e), tail_moments(res)))
  } else if (type == 2) {
    res <- pw(d, n1, n2, alpha); alpha_used <<- alpha
    emit(206, 2, c(base, list(d = d, alpha = alpha, n1 = n1, n2 = n2)),
         c(head(res), list(power = res$power), tail_moments(res)))
  } else if (type == 3) {
    a <- solve(function(x) pw(d, n1, n2, x)$power - power, 1e-10, 1 - 1e-10)
    res <- pw(d, n1, n2, a); alpha_used <<- a
    emit(206, 3, c(base, list(d = d, power = power, n1 = n1, n2 = n2)),
         c(head(res), list(alpha = a), tail_moments(res)))
  } else {
    a <- solve(function(x) 1 - (1 - pw(d, n1, n2, x)$power) / (q * x), 1e-10, 1 - 1e-10)
    res <- pw(d, n1, n2, a); alpha_used <<- a
    emit(206, 4, c(base, list(d = d, q = q, n1 = n1, n2 = n2)),
         c(head(res), list(alpha = a, beta = 1 - res$power, power = res$power), tail_moments(res)))
  }
}

alpha_used <- 0.05
for (test in c(205, 207)) {
  one_case(test, 2, 1, 2, d = 0.5, alpha = 0.05, n = 30)
  one_case(test, 2, 3, 2, d = 0.5, alpha = 0.05, n = 30)
}
one_case(205, 2, 1, 1, parent = 1, d = 0.3, alpha = 0.05, n = 40)
one_case(205, 2, 1, 2, parent = 2, d = -0.4, alpha = 0.01, n = 25)
one_case(205, 2, 1, 2, parent = 3, d = 0.5, alpha = 0.05, n = 30)
one_case(205, 0, 1, 2, d = 0.5, alpha = 0.05, power = 0.95)
one_case(205, 1, 1, 1, parent = 2, alpha = 0.05, power = 0.8, n = 30)
one_case(205, 3, 1, 2, d = 0.5, power = 0.8, n = 30)
one_case(205, 4, 1, 2, parent = 1, d = 0.4, q = 2, n = 30)
one_case(205, 2, 3, 1, parent = 1, d = 0.4, alpha = 0.05, n = 25)
one_case(205, 2, 3, 2, parent = 2, d = 0.3, alpha = 0.05, n = 50, cc = 1)
one_case(205, 2, 3, 2, d = 0, alpha = 0.05, n = 30)
one_case(205, 0, 3, 2, d = 0.5, alpha = 0.05, power = 0.95)
one_case(205, 1, 3, 2, alpha = 0.05, power = 0.9, n = 40)
one_case(207, 3, 3, 1, parent = 2, d = 0.4, power = 0.8, n = 30)
one_case(205, 3, 3, 2, parent = 1, d = 0.5, power = 0.9, n = 40)
one_case(205, 4, 3, 2, d = 0.5, q = 1, n = 30)

two_case(2, 1, 2, d = 0.5, alpha = 0.05, n1 = 50, n2 = 50)
two_case(2, 3, 2, d = 0.5, alpha = 0.05, n1 = 50, n2 = 50)
two_case(2, 1, 1, parent = 1, d = 0.4, alpha = 0.05, n1 = 30, n2 = 45)
two_case(2, 1, 2, parent = 3, d = -0.5, alpha = 0.05, n1 = 50, n2 = 50)
two_case(0, 1, 2, d = 0.5, alpha = 0.05, power = 0.95, r = 1)
two_case(0, 1, 2, parent = 2, d = 0.6, alpha = 0.05, power = 0.9, r = 2)
two_case(1, 1, 2, alpha = 0.05, power = 0.95, n1 = 50, n2 = 50)
two_case(3, 1, 2, d = 0.5, power = 0.8, n1 = 50, n2 = 50)
two_case(4, 1, 1, d = 0.4, q = 2, n1 = 40, n2 = 40)
two_case(2, 3, 1, parent = 1, d = 0.4, alpha = 0.05, n1 = 30, n2 = 45)
two_case(2, 3, 2, parent = 2, d = 0.5, alpha = 0.05, n1 = 40, n2 = 30, cc = 1)
two_case(2, 3, 2, d = 0, alpha = 0.05, n1 = 20, n2 = 20)
two_case(0, 3, 2, d = 0.5, alpha = 0.05, power = 0.95, r = 1)
two_case(1, 3, 2, alpha = 0.05, power = 0.9, n1 = 40, n2 = 60)
two_case(3, 3, 2, d = 0.5, power = 0.8, n1 = 50, n2 = 50)
two_case(4, 3, 2, d = 0.5, q = 1, n1 = 50, n2 = 50)

# The two standard cases by simulation.
set.seed(20261210)
runs <- 20000
sim2 <- mean(replicate(runs, wilcox.test(rnorm(50), rnorm(50, 0.5), exact = FALSE,
                                         correct = FALSE)$p.value < 0.05))
sim1 <- mean(replicate(runs, wilcox.test(rnorm(30, 0.5), exact = FALSE,
                                         correct = FALSE)$p.value < 0.05))
message(sprintf("simulated power: two groups %.4f (se %.4f), one sample %.4f (se %.4f)",
                sim2, sqrt(sim2 * (1 - sim2) / runs), sim1, sqrt(sim1 * (1 - sim1) / runs)))
