# Expected inputs and outputs of the logistic regression test (test id 310)
# for every analysis type, covariate and option, computed independently:
#   * slope variances by R's integrate() over the covariate (sums for a
#     Poisson covariate; closed forms for a 0/1 covariate), as in
#     variances.R;
#   * the large-sample power from pnorm with those variances (Demidenko
#     2007, with and without the variance correction) and from the formulas
#     of Signorini (1991);
#   * the enumeration method by glm() on the expected data set, as in
#     enumeration.R;
#   * searches by uniroot at tolerances far below the seven digits shown,
#     and the smallest whole N that reaches the power for A priori.
# Cross-checks (stop() when they disagree): Hsieh's (1998) closed-form
# sample size for a standard normal covariate, and power.prop.test for a
# 0/1 covariate with pi = 0.5 (the Demidenko variances of a 0/1 covariate
# are those of two proportions).
#
#   Rscript reference.R > logistic_reference.tsv
#
# Each row: test id, analysis type, expected status, inputs and outputs as
# key=value pairs. The input "opt" (not an input row) names what is set on
# the test before its lists are built, joined by "+": the covariate code
# (x0 binomial ... x6 manual, as in the "X distribution" selection), enum
# (enumeration method), lr (its likelihood-ratio statistic), nocorr (no
# variance correction), signorini, p1 (Pr(Y=1|X=1) H1 as the effect). The
# input "dir" is the index of the "Effect direction" option: 0 "p2 <= p1",
# 1 "p2 >= p1".

fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(type, inputs, outputs) {
  cat("310", type, "-1", kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
root <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-14, maxiter = 10000)$root
near <- function(a, b, tol) if (abs(a - b) > tol) stop(sprintf("%.15g vs %.15g", a, b))

# ---------------------------------------------------------------- variances
w <- function(eta) { p <- plogis(eta); p * (1 - p) }
integ <- function(f, lo, hi, cuts) {
  pts <- sort(unique(c(lo, cuts[cuts > lo & cuts < hi], hi)))
  total <- 0
  for (i in seq_len(length(pts) - 1)) {
    piece <- tryCatch(
      integrate(f, pts[i], pts[i + 1], rel.tol = 1e-13, abs.tol = 1e-17, subdivisions = 10000L),
      error = function(e) integrate(f, pts[i], pts[i + 1], rel.tol = 1e-11, abs.tol = 1e-17,
                                    subdivisions = 10000L))
    total <- total + piece$value
  }
  total
}
probs <- c(1e-10, 1e-6, 0.001, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 0.999, 1 - 1e-6)

# x: list(code, a, b); codes of the "X distribution" selection.
variances <- function(x, b0, b1) {
  code <- x$code; a <- x$a; b <- x$b
  if (code == 6) return(c(a, b))
  if (code == 0) {
    pa <- plogis(b0); pb <- plogis(b0 + b1); pbar <- (1 - a) * pa + a * pb
    return(c(1 / ((1 - a) * a * pbar * (1 - pbar)),
             1 / ((1 - a) * pa * (1 - pa)) + 1 / (a * pb * (1 - pb))))
  }
  eta <- function(v) b0 + b1 * v
  m <- switch(as.character(code), "1" = 1 / a, "2" = exp(a + b^2 / 2), "3" = a, "4" = a,
              "5" = (a + b) / 2)
  vx <- switch(as.character(code), "1" = 1 / a^2, "2" = expm1(b^2) * exp(2 * a + b^2),
               "3" = b^2, "4" = a, "5" = (b - a)^2 / 12)
  if (code == 4) {
    k <- 0:(qpois(1e-16, a, lower.tail = FALSE) + 200)
    f <- dpois(k, a)
    i0 <- sum(f * w(eta(k))); i1 <- sum((k - m) * f * w(eta(k)))
    i2 <- sum((k - m)^2 * f * w(eta(k))); pbar <- sum(f * plogis(eta(k)))
  } else {
    f <- switch(as.character(code), "1" = function(v) dexp(v, a),
                "2" = function(v) dlnorm(v, a, b), "3" = function(v) dnorm(v, a, b),
                "5" = function(v) dunif(v, a, b))
    r <- switch(as.character(code), "1" = c(0, 60 / a), "2" = c(0, exp(a + 12 * b)),
                "3" = a + c(-40, 40) * b, "5" = c(a, b))
    q <- switch(as.character(code), "1" = qexp(probs, a), "2" = qlnorm(probs, a, b),
                "3" = qnorm(probs, a, b), "5" = qunif(probs, a, b))
    i0 <- integ(function(v) f(v) * w(eta(v)), r[1], r[2], q)
    i1 <- integ(function(v) (v - m) * f(v) * w(eta(v)), r[1], r[2], q)
    i2 <- integ(function(v) (v - m)^2 * f(v) * w(eta(v)), r[1], r[2], q)
    pbar <- integ(function(v) f(v) * plogis(eta(v)), r[1], r[2], q)
  }
  c(1 / (pbar * (1 - pbar) * vx), i0 / (i0 * i2 - i1^2))
}

# -------------------------------------------------------------- enumeration
enum_code <- c(0, 5, 2, 1, 4, 3)  # workspace code of each selection code
enumerate <- function(x, p0, p1, n, alpha, wald) {
  code <- enum_code[x$code + 1]; a <- x$a; b <- x$b
  b0 <- qlogis(p0); b1 <- qlogis(p1) - qlogis(p0)
  if (code == 0) {
    k <- floor(n * a + 0.5); v <- c(rep(0, n - k), rep(1, k))
  } else {
    u <- ((1:n) - 0.375) / (n + 0.25)
    v <- switch(as.character(code), "1" = qnorm(u, a, b), "2" = qlnorm(u, a, b),
                "3" = qunif(u, a, b), "4" = qpois(u, a), "5" = qexp(u, a))
  }
  p <- plogis(b0 + b1 * v)
  d <- data.frame(x = rep(v, each = 2), y = rep(c(0, 1), n))
  d$w <- ifelse(d$y == 1, p[rep(1:n, each = 2)], 1 - p[rep(1:n, each = 2)])
  ctl <- glm.control(epsilon = 1e-14, maxit = 100)
  fit <- suppressWarnings(glm(y ~ x, family = binomial, weights = w, data = d, control = ctl))
  loglik <- function(c0, c1) { e <- c0 + c1 * d$x; sum(d$w * (d$y * e - log1p(exp(e)))) }
  if (wald) {
    lambda <- b1^2 / vcov(fit)[2, 2]
  } else {
    fit0 <- suppressWarnings(glm(y ~ 1, family = binomial, weights = w, data = d, control = ctl))
    lambda <- 2 * (loglik(b0, b1) - loglik(coef(fit0)[1], 0))
  }
  crit <- qchisq(alpha, 1, lower.tail = FALSE)
  list(power = max(alpha, pchisq(crit, 1, ncp = lambda, lower.tail = FALSE)), crit = crit,
       lambda = lambda)
}

# -------------------------------------------------------------------- power
# s: the settings of a case: x (covariate), p0, r2, tails, method
# ("demidenko", "nocorr", "signorini", "wald", "lr").
power_of <- function(s, p1, alpha, n) {
  p0 <- s$p0
  if (abs(p1 - p0) < 1e-6) p1 <- if (p1 < p0) p0 - 1e-6 else p0 + 1e-6
  ne <- (1 - s$r2) * n
  side <- p1 - p0
  if (s$method %in% c("wald", "lr")) {
    level <- if (s$tails == 1) min(2 * alpha, 0.9999999) else alpha
    e <- enumerate(s$x, p0, p1, floor(ne + 0.5), level, s$method == "wald")
    return(list(power = e$power, crit = e$crit, lambda = e$lambda))
  }
  zc <- if (s$tails == 1) qnorm(alpha, lower.tail = FALSE) else qnorm(alpha / 2, lower.tail = FALSE)
  crit <- if (s$tails == 1) (if (side > 0) zc else -zc) else (if (side < 0) -zc else zc)
  b0 <- qlogis(p0); b1 <- qlogis(p1) - b0
  if (s$method == "signorini") {
    if (s$x$code == 3) return(list(power = pnorm(abs(b1) * sqrt(ne * p0 * (1 - p0)) - zc),
                                   crit = crit))
    pi <- s$x$a; pbar <- (1 - pi) * p0 + pi * p1
    a <- abs(p0 - p1) * sqrt((1 - pi) * ne); bb <- sqrt(pbar * (1 - pbar) / pi)
    d <- sqrt(p1 * (1 - p1) * (1 - pi) / pi + p0 * (1 - p0))
    return(list(power = pnorm((a - bb * zc) / d), crit = crit))
  }
  v <- variances(s$x, b0, b1)
  k <- if (s$x$code == 0) 0.85 else if (s$x$code == 2) 0.75 else 1
  sd <- if (s$method == "demidenko") sqrt(((1 - k) * v[2] + k * v[1]) / v[2]) else 1
  mean <- b1 * sqrt(ne / v[2])
  if (s$tails == 1) {
    pw <- if (side > 0) pnorm(zc, mean, sd, lower.tail = FALSE) else pnorm(-zc, mean, sd)
  } else {
    pw <- pnorm(zc, mean, sd, lower.tail = FALSE) + pnorm(-zc, mean, sd)
  }
  list(power = pw, crit = crit)
}

p1_of <- function(s, e) if (s$or) s$p0 * e / ((e - 1) * s$p0 + 1) else e
effect_of <- function(s, p) if (s$or) (p / (1 - p)) / (s$p0 / (1 - s$p0)) else p

# Inputs every row names: tails, p0, R2, the covariate and its parameters.
design_inputs <- function(s) {
  x <- s$x
  names <- c("Binomial", "Exponential", "Lognormal", "Normal", "Poisson", "Uniform", "Manual")
  l <- list(tails = if (s$tails == 1) "One" else "Two", pH0 = s$p0, R2x = s$r2,
            xdist = names[x$code + 1])
  par <- switch(as.character(x$code), "0" = list(xpi = x$a), "1" = list(xlambda = x$a),
                "2" = list(xmu = x$a, xsigma = x$b), "3" = list(xmu = x$a, xsigma = x$b),
                "4" = list(xlambda = x$a), "5" = list(xleft = x$a, xright = x$b),
                "6" = list(xvar0 = x$a, xvar1 = x$b))
  c(l, par)
}
options_of <- function(s) {
  o <- paste0("x", s$x$code)
  if (s$method == "nocorr") o <- c(o, "nocorr")
  if (s$method == "signorini") o <- c(o, "signorini")
  if (s$method == "wald") o <- c(o, "enum")
  if (s$method == "lr") o <- c(o, "enum", "lr")
  if (!s$or) o <- c(o, "p1")
  paste(o, collapse = "+")
}
effect_key <- function(s) if (s$or) "OR" else "pH1"
enum_outputs <- function(s, r) {
  if (s$method %in% c("wald", "lr")) list(lambda = r$lambda, crit = r$crit, df = 1)
  else list(crit = r$crit)
}

setting <- function(x = list(code = 3, a = 0, b = 1), p0 = 0.2, r2 = 0, tails = 2,
                    method = "demidenko", or = TRUE) {
  list(x = x, p0 = p0, r2 = r2, tails = tails, method = method, or = or)
}

apriori <- function(s, e, alpha, target) {
  p1 <- p1_of(s, e)
  f <- function(n) power_of(s, p1, alpha, n)$power
  n <- 2
  while (f(n) < target) n <- n * 2
  lo <- max(2, floor(n / 2)); hi <- n  # f(lo) < target <= f(hi) once lo > 2
  if (f(lo) >= target) hi <- lo
  while (hi - lo > 1) { mid <- floor((lo + hi) / 2); if (f(mid) >= target) hi <- mid else lo <- mid }
  r <- power_of(s, p1, alpha, hi)
  inputs <- c(list(opt = options_of(s)), setNames(list(e), effect_key(s)),
              list(alpha = alpha, power = target), design_inputs(s))
  emit("apriori", inputs, c(enum_outputs(s, r), list(N = hi, actual = r$power)))
  invisible(hi)
}
posthoc <- function(s, e, alpha, n) {
  r <- power_of(s, p1_of(s, e), alpha, n)
  inputs <- c(list(opt = options_of(s)), setNames(list(e), effect_key(s)),
              list(alpha = alpha, N = n), design_inputs(s))
  emit("posthoc", inputs, c(enum_outputs(s, r), list(power = r$power)))
  invisible(r)
}
criterion <- function(s, e, target, n) {
  p1 <- p1_of(s, e)
  a <- root(function(a) power_of(s, p1, a, n)$power - target, 1e-10, 0.9)
  r <- power_of(s, p1, a, n)
  inputs <- c(list(opt = options_of(s)), setNames(list(e), effect_key(s)),
              list(power = target, N = n), design_inputs(s))
  emit("criterion", inputs, c(enum_outputs(s, r), list(alpha = a)))
}
compromise <- function(s, e, q, n) {
  p1 <- p1_of(s, e)
  a <- root(function(a) 1 - (1 - power_of(s, p1, a, n)$power) / (q * a), 1e-10, 0.9)
  r <- power_of(s, p1, a, n)
  inputs <- c(list(opt = options_of(s)), setNames(list(e), effect_key(s)),
              list(q = q, N = n), design_inputs(s))
  emit("compromise", inputs, c(enum_outputs(s, r),
                               list(alpha = a, beta = 1 - r$power, power = r$power)))
}
sensitivity <- function(s, alpha, target, n, up) {
  f <- function(p1) power_of(s, p1, alpha, n)$power - target
  # On the rising side of the power, from p0 to where it is largest.
  top <- if (up) optimize(f, c(s$p0, 0.999), maximum = TRUE, tol = 1e-12)$maximum
         else optimize(f, c(0.001, s$p0), maximum = TRUE, tol = 1e-12)$maximum
  p1 <- if (up) root(f, s$p0 + 1e-6, top) else root(f, top, s$p0 - 1e-6)
  r <- power_of(s, p1, alpha, n)
  inputs <- c(list(opt = options_of(s), dir = if (up) 1 else 0,
                   alpha = alpha, power = target, N = n), design_inputs(s))
  emit("sensitivity", inputs, c(enum_outputs(s, r), setNames(list(effect_of(s, p1)), effect_key(s))))
}

cat("# test\ttype\tstatus\tinputs\toutputs\n")

# The standard inputs: normal covariate, p0 0.2, odds ratio 1.3, alpha
# 0.05, power 0.95, two tails.
s <- setting()
n_std <- apriori(s, 1.3, 0.05, 0.95)
stopifnot(n_std == 1188)
stopifnot(apriori(setting(method = "nocorr"), 1.3, 0.05, 0.95) == 1206)
n_hsieh <- apriori(setting(method = "signorini"), 1.3, 0.05, 0.95)
b1 <- log(1.3)
hsieh <- (qnorm(0.975) + qnorm(0.95))^2 / (0.2 * 0.8 * b1^2)
stopifnot(n_hsieh == ceiling(hsieh), n_hsieh == 1180)

# With a 0/1 covariate and pi = 0.5 the formula of Signorini is the
# comparison of two proportions in groups of N/2.
n_bin <- apriori(setting(x = list(code = 0, a = 0.5, b = 0), method = "signorini"), 1.3, 0.05,
                 0.95)
pp <- power.prop.test(p1 = 0.2, p2 = p1_of(s, 1.3), power = 0.95, sig.level = 0.05)
stopifnot(n_bin == 2 * ceiling(pp$n), n_bin == 4382)
apriori(setting(x = list(code = 0, a = 0.5, b = 0), method = "nocorr"), 1.3, 0.05, 0.95)
apriori(setting(x = list(code = 0, a = 0.5, b = 0)), 1.3, 0.05, 0.95)
apriori(setting(x = list(code = 0, a = 0.3, b = 0), method = "signorini", tails = 1), 1.5, 0.05, 0.9)

# Each covariate, both directions and tails.
apriori(setting(x = list(code = 2, a = 0, b = 1), tails = 1), 1.3, 0.05, 0.95)
apriori(setting(x = list(code = 2, a = 0.5, b = 0.5), method = "nocorr"), 0.6, 0.01, 0.8)
apriori(setting(x = list(code = 1, a = 1, b = 0)), 0.7, 0.05, 0.95)
apriori(setting(x = list(code = 5, a = 0, b = 1), tails = 1), 2, 0.05, 0.8)
apriori(setting(x = list(code = 4, a = 1, b = 0), p0 = 0.3), 1.4, 0.05, 0.9)
apriori(setting(x = list(code = 3, a = 1, b = 2), r2 = 0.3), 1.25, 0.05, 0.95)
apriori(setting(x = list(code = 6, a = 1, b = 1.5)), 1.3, 0.05, 0.95)
apriori(setting(or = FALSE, p0 = 0.5), 0.6, 0.05, 0.9)
n_enum <- apriori(setting(method = "wald"), 1.3, 0.05, 0.95)
apriori(setting(method = "lr", tails = 1), 1.3, 0.05, 0.8)

posthoc(s, 1.3, 0.05, 100)
posthoc(setting(tails = 1), 0.8, 0.05, 500)
posthoc(setting(method = "signorini", tails = 1), 0.8, 0.05, 500)
r <- posthoc(setting(method = "wald"), 1.3, 0.05, 1188)
near(r$lambda, 12.763, 5e-4); near(r$power, 0.94658, 5e-6)
r <- posthoc(setting(method = "lr"), 1.3, 0.05, 1188)
near(r$lambda, 12.977, 5e-4); near(r$power, 0.94975, 5e-6)
posthoc(setting(x = list(code = 0, a = 0.25, b = 0), method = "lr", tails = 1), 1.8, 0.05, 300)
posthoc(setting(x = list(code = 4, a = 3.5, b = 0), method = "wald", r2 = 0.2), 1.2, 0.05, 400)
posthoc(setting(x = list(code = 5, a = -1, b = 3)), 1.2, 0.05, 300)
posthoc(setting(x = list(code = 1, a = 2, b = 0), or = FALSE, p0 = 0.4), 0.25, 0.05, 250)

criterion(s, 1.3, 0.95, 1000)
criterion(setting(tails = 1, method = "nocorr"), 0.75, 0.8, 600)
criterion(setting(method = "wald"), 1.3, 0.9, 800)
compromise(s, 1.3, 1, 1000)
compromise(setting(x = list(code = 0, a = 0.5, b = 0), tails = 1), 1.5, 4, 400)
sensitivity(s, 0.05, 0.95, 1188, TRUE)
sensitivity(setting(tails = 1), 0.05, 0.8, 400, FALSE)
sensitivity(setting(or = FALSE), 0.05, 0.9, 300, TRUE)
sensitivity(setting(method = "wald"), 0.05, 0.8, 500, TRUE)
# Small samples, where the power falls again towards p1 = 0 or 1.
sensitivity(s, 0.05, 0.8, 40, TRUE)
sensitivity(setting(x = list(code = 0, a = 0.5, b = 0), tails = 1), 0.05, 0.8, 150, FALSE)
sensitivity(setting(x = list(code = 1, a = 1, b = 0), method = "nocorr"), 0.05, 0.9, 80, TRUE)
