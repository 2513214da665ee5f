# Poisson regression log mu = b0 + b1 X, exposure t: reference values of the
# large-sample z test (variances of the slope after Signorini 1991 and
# Demidenko 2007) and of the enumeration method (Wald and likelihood-ratio
# statistics of a weighted expected data set fitted by glm), computed in R
# independently of the program.
#
#   Rscript poisson_reference.R > poisson_reference.tsv
#
# Large-sample variances: the information moments I_k = E[X^k e^eta] of one
# subject with unit exposure, integrated by integrate() over the covariate's
# range between its 1e-12 and 1 - 1e-12 quantiles (the log-normal from its
# 1e-10 quantile), summed for a Poisson covariate, and checked against the
# closed forms of Signorini (1991) from the covariate's moment generating
# function M: I0 = e^b0 M(b1), I1 = e^b0 M'(b1), I2 = e^b0 M''(b1).
# var1 = I0/(I0 I2 - I1^2); var0 the same moments with the constant
# predictor eta0 (Signorini: b0; Demidenko: the log of the mean rate), or
# var1 when the correction is off. A two-valued covariate and the manual
# variances are closed forms themselves.
#
# Enumeration: n = round((1 - R2) N) covariate values at Blom's positions
# (two-valued: the first trunc(n pi) are 1), every count between the Poisson
# quantiles 1e-5 at the smallest and 0.99999 at the largest rate with its
# probability as prior weight; glm(family = poisson) fits the model, whose
# information at the maximum gives the slope's variance V (Wald: b1^2/V) and the intercept-only model with log t as
# offset (likelihood ratio: twice the log-likelihood at the true (b0, b1)
# less that at the intercept-only fit, at least 0). Power is the noncentral chi-square
# tail beyond the 1 - alpha' quantile of df 1, alpha' = 2 alpha with one
# tail, and never below alpha'.
#
# Rows: test id, analysis type, status, inputs, outputs (key=value); the
# pseudo-input "method" names the options: signorini, demidenko,
# demidenko-nc (without variance correction), signorini-nc, wald, lr.

fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(type, inputs, outputs) {
  cat(308, type, -1, kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
root <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-14, maxiter = 10000)$root

# ---------------------------------------------------------------- covariates
# A covariate: its density or mass, quantile, range of the moments, and the
# closed-form moment generating function with two derivatives (NULL where
# there is none).
covariate <- function(kind, a = NA, b = NA) {
  switch(kind,
    Normal = list(d = function(x) dnorm(x, a, b), q = function(p) qnorm(p, a, b),
                  range = qnorm(c(1e-12, 1 - 1e-12), a, b),
                  M = function(t) exp(a * t + b^2 * t^2 / 2) * c(1, a + b^2 * t, (a + b^2 * t)^2 + b^2)),
    Exponential = list(d = function(x) dexp(x, a), q = function(p) qexp(p, a),
                       range = qexp(c(1e-12, 1 - 1e-12), a),
                       M = function(t) c(a / (a - t), a / (a - t)^2, 2 * a / (a - t)^3)),
    Uniform = list(d = function(x) dunif(x, a, b), q = function(p) qunif(p, a, b),
                   range = qunif(c(1e-12, 1 - 1e-12), a, b),
                   M = function(t) {
                     w <- b - a
                     e <- function(x) exp(t * x)
                     c((e(b) - e(a)) / (t * w),
                       ((b * e(b) - a * e(a)) * t - (e(b) - e(a))) / (t^2 * w),
                       ((b^2 * e(b) - a^2 * e(a)) * t^2 - 2 * t * (b * e(b) - a * e(a)) +
                          2 * (e(b) - e(a))) / (t^3 * w))
                   }),
    Lognormal = list(d = function(x) dlnorm(x, a, b), q = function(p) qlnorm(p, a, b),
                     range = c(qlnorm(1e-10, a, b), qlnorm(1 - 1e-12, a, b)), M = NULL),
    Poisson = list(d = function(x) dpois(x, a), q = function(p) qpois(p, a),
                   range = qpois(c(1e-12, 1 - 1e-12), a), discrete = TRUE,
                   M = function(t) {
                     m <- exp(a * (exp(t) - 1))
                     c(m, a * exp(t) * m, (a * exp(t) + a^2 * exp(2 * t)) * m)
                   }))
}

# E[X^k g(X)] over the covariate's range, k = 0, 1, 2.
moments <- function(cv, g) {
  if (isTRUE(cv$discrete)) {
    x <- seq(trunc(cv$range[1]), cv$range[2])
    return(sapply(0:2, function(k) sum(x^k * cv$d(x) * g(x))))
  }
  sapply(0:2, function(k) integrate(function(x) x^k * cv$d(x) * g(x), cv$range[1], cv$range[2],
                                    rel.tol = 1e-12, abs.tol = 1e-13, subdivisions = 2000)$value)
}
slopeVar <- function(I) I[1] / (I[1] * I[3] - I[2]^2)

# (var0, var1) of one subject with unit exposure.
variances <- function(x, b0, b1, method) {
  demidenko <- method %in% c("demidenko", "demidenko-nc")
  corr <- method %in% c("demidenko", "signorini")
  if (x$kind == "Binomial") {
    p <- x$a
    mu0 <- if (demidenko) (1 - p) * exp(b0) + p * exp(b0 + b1) else exp(b0)
    return(c(1 / (p * (1 - p) * mu0), 1 / ((1 - p) * exp(b0)) + 1 / (p * exp(b0 + b1))))
  }
  if (x$kind == "Manual") return(c(x$a, x$b))
  cv <- covariate(x$kind, x$a, x$b)
  I <- moments(cv, function(z) exp(b0 + b1 * z))
  if (!is.null(cv$M) && abs(b1) > 1e-4) {
    closed <- exp(b0) * cv$M(b1)
    # Signorini's closed forms cover the whole range; the truncated
    # integrals agree with them to far more than the shown digits where the
    # rate falls off well inside the range (a search may pass elsewhere).
    if (!all(abs(closed - I) <= 1e-7 * abs(closed) + 1e-12))
      message(sprintf("%s b1 = %g: closed form and integral differ by %g", x$kind, b1,
                      max(abs(closed / I - 1))))
  }
  var1 <- slopeVar(I)
  if (!corr) return(c(var1, var1))
  eta0 <- if (demidenko) log(I[1]) else b0
  c(slopeVar(exp(eta0) * moments(cv, function(z) 1)), var1)
}

# Power of the large-sample test at rate ratio e, and the shown critical z.
zpower <- function(e, alpha, n, d) {
  b0 <- log(d$base); b1 <- log(e)
  v <- variances(d$x, b0, b1, d$method)
  nn <- (1 - d$r2) * n * d$t
  corr <- d$method %in% c("demidenko", "signorini")
  if (d$method %in% c("demidenko", "demidenko-nc")) {
    # The corrected spread weighs var0 by 0.75 for a log-normal covariate.
    k <- if (d$x$kind == "Lognormal") 0.75 else 1
    m <- b1 * sqrt(nn / v[2])
    s <- if (corr) sqrt(((1 - k) * v[2] + k * v[1]) / v[2]) else 1
  } else {
    m <- b1 * sqrt(nn / v[1])
    s <- sqrt(v[2] / v[1])
  }
  if (d$tails == 1) {
    c <- if (e > 1) qnorm(alpha, lower.tail = FALSE) else qnorm(alpha)
    p <- if (e > 1) pnorm((c - m) / s, lower.tail = FALSE) else pnorm((c - m) / s)
  } else {
    c <- qnorm(alpha / 2, lower.tail = FALSE)
    p <- pnorm((c - m) / s, lower.tail = FALSE) + pnorm((-c - m) / s)
    if (e < 1) c <- -c
  }
  list(power = p, crit = c, var0 = v[1], var1 = v[2])
}

# ---------------------------------------------------------------- enumeration
blom <- function(x, n) {
  if (x$kind == "Binomial") return(as.numeric(seq_len(n) <= trunc(n * x$a)))
  covariate(x$kind, x$a, x$b)$q((seq_len(n) - 0.375) / (n + 0.25))
}
enumerate <- function(e, alpha, n, d) {
  b0 <- log(d$base); b1 <- log(e)
  n <- round((1 - d$r2) * n)
  a2 <- if (d$tails == 1) 2 * alpha else alpha
  xs <- blom(d$x, n)
  mu <- d$t * exp(b0 + b1 * xs)
  ys <- qpois(1e-5, min(mu)):qpois(0.99999, max(mu))
  x <- rep(xs, each = length(ys)); y <- rep(ys, times = n)
  w <- dpois(y, rep(mu, each = length(ys)))
  ctl <- glm.control(epsilon = 1e-15, maxit = 100)
  if (d$method == "wald") {
    fit <- suppressWarnings(glm(y ~ x, family = poisson, weights = w, control = ctl))
    # vcov() takes the weights of the iteration before the last update; a
    # few Newton steps from glm's estimates and the information at the
    # maximum itself leave no error of the convergence tolerance.
    b <- coef(fit)
    info <- function(b) {
      m <- exp(b[1] + b[2] * x)
      matrix(c(sum(w * m), sum(w * m * x), sum(w * m * x), sum(w * m * x^2)), 2)
    }
    for (k in 1:5) {
      m <- exp(b[1] + b[2] * x)
      b <- b + solve(info(b), c(sum(w * (y - m)), sum(w * x * (y - m))))
    }
    l <- b1^2 / solve(info(b))[2, 2]
  } else {
    ll <- function(m) sum(w * (y * log(m) - m - lgamma(y + 1)))
    fit0 <- suppressWarnings(glm(y ~ 1, family = poisson, weights = w, offset = rep(log(d$t), length(y)),
                                 control = ctl))
    # Near b1 = 0 the difference can fall an ulp or so below 0, which no
    # noncentrality can.
    l <- max(0, 2 * (ll(d$t * exp(b0 + b1 * x)) - ll(d$t * exp(rep(coef(fit0)[1], length(y))))))
  }
  crit <- qchisq(a2, 1, lower.tail = FALSE)
  list(power = max(a2, pchisq(crit, 1, ncp = l, lower.tail = FALSE)), crit = crit, lambda = l)
}

# ---------------------------------------------------------------- analyses
design <- function(method = "demidenko", tails = 2, base = 0.85, t = 1, r2 = 0,
                   x = list(kind = "Normal", a = 0, b = 1)) {
  list(method = method, tails = tails, base = base, t = t, r2 = r2, x = x)
}
params <- list(Binomial = c("xpi"), Exponential = c("xlambda"), Lognormal = c("xmu", "xsigma"),
               Normal = c("xmu", "xsigma"), Poisson = c("xlambda"), Uniform = c("xleft", "xright"),
               Manual = c("xvar0", "xvar1"))
inputsOf <- function(d, head) {
  x <- list(xdist = d$x$kind)
  vals <- c(d$x$a, d$x$b)
  for (i in seq_along(params[[d$x$kind]])) x[[params[[d$x$kind]][i]]] <- vals[i]
  c(list(method = d$method, tails = if (d$tails == 1) "One" else "Two"), head,
    list(baserate = d$base, exposure = d$t, R2x = d$r2), x)
}
powerOf <- function(d) if (d$method %in% c("wald", "lr")) enumerate else zpower
head0 <- function(d, r) if (d$method %in% c("wald", "lr")) list(lambda = r$lambda, crit = r$crit, df = 1) else list(crit = r$crit)

posthoc <- function(d, e, alpha, n) {
  r <- powerOf(d)(e, alpha, n, d)
  emit("posthoc", inputsOf(d, list(expb1 = e, alpha = alpha, N = n)), c(head0(d, r), list(power = r$power)))
}
apriori <- function(d, e, alpha, target) {
  f <- function(n) powerOf(d)(e, alpha, n, d)$power
  if (d$method %in% c("wald", "lr")) {
    # The power steps with the rounded n: the smallest whole N that reaches it.
    n <- 2
    while (f(n) < target) n <- n * 2
    lo <- n / 2
    while (n - lo > 1) { mid <- floor((lo + n) / 2); if (f(mid) >= target) n <- mid else lo <- mid }
  } else {
    n <- ceiling(root(function(n) f(n) - target, 2, 1e7) - 1e-9)
  }
  r <- powerOf(d)(e, alpha, n, d)
  emit("apriori", inputsOf(d, list(expb1 = e, alpha = alpha, power = target)),
       c(head0(d, r), list(N = n, actual = r$power)))
}
sensitivity <- function(d, alpha, target, n, dir) {
  f <- function(e) powerOf(d)(e, alpha, n, d)$power - target
  if (dir > 0) {
    e <- root(f, 1 + 1e-9, 20)
  } else {
    # Down from 1/2 to the first ratio whose power reaches the target: the
    # root nearest to 1 (a two-valued X loses power again towards 0).
    lo <- 0.5; hi <- 1 - 1e-9
    while (f(lo) < 0) { hi <- lo; lo <- lo / 2 }
    e <- root(f, lo, hi)
  }
  r <- powerOf(d)(e, alpha, n, d)
  # dir: the index of the direction's option, 1 for "b1 >= 0".
  emit("sensitivity", inputsOf(d, list(dir = if (dir > 0) 1 else 0,
                                       alpha = alpha, power = target, N = n)),
       c(head0(d, r), list(expb1 = e)))
}
criterion <- function(d, e, target, n) {
  la <- root(function(la) powerOf(d)(e, exp(la), n, d)$power - target, log(1e-12), log(0.5))
  r <- powerOf(d)(e, exp(la), n, d)
  emit("criterion", inputsOf(d, list(expb1 = e, power = target, N = n)),
       c(head0(d, r), list(alpha = exp(la))))
}
compromise <- function(d, e, q, n) {
  g <- function(la) log(1 - powerOf(d)(e, exp(la), n, d)$power) - la - log(q)
  la <- root(g, log(1e-12), log(0.999))
  r <- powerOf(d)(e, exp(la), n, d)
  emit("compromise", inputsOf(d, list(expb1 = e, q = q, N = n)),
       c(head0(d, r), list(alpha = exp(la), beta = 1 - r$power, power = r$power)))
}

cat("# test\ttype\tstatus\tinputs\toutputs\n")

# The standard design (base rate 0.85, Exp(b1) 1.3, X ~ N(0, 1)): Signorini
# N 219, Demidenko with correction 215 (var0 = var1 = 1.136668).
apriori(design("signorini"), 1.3, 0.05, 0.95)
apriori(design("demidenko"), 1.3, 0.05, 0.95)
apriori(design("demidenko-nc"), 1.3, 0.05, 0.95)
apriori(design("signorini-nc"), 1.3, 0.05, 0.95)
# Two-valued X, pi 0.5, base rate 1, Exp(b1) 2: var1 3, var0 4 (Signorini).
apriori(design("signorini", base = 1, x = list(kind = "Binomial", a = 0.5)), 2, 0.05, 0.95)
apriori(design("demidenko", base = 1, x = list(kind = "Binomial", a = 0.3)), 0.6, 0.01, 0.8)
# R2 other X 0.5 with exposure 2, one tail.
apriori(design("demidenko", tails = 1, t = 2, r2 = 0.5), 1.3, 0.05, 0.9)
# Every covariate through the other analysis types.
posthoc(design("demidenko", x = list(kind = "Exponential", a = 2)), 1.5, 0.05, 150)
posthoc(design("signorini", tails = 1, x = list(kind = "Exponential", a = 1)), 0.7, 0.05, 200)
posthoc(design("demidenko", x = list(kind = "Lognormal", a = 0, b = 0.5)), 0.8, 0.05, 300)
posthoc(design("signorini", base = 2, x = list(kind = "Poisson", a = 1)), 1.2, 0.05, 100)
posthoc(design("demidenko", base = 0.5, x = list(kind = "Poisson", a = 4)), 0.9, 0.01, 500)
posthoc(design("demidenko", x = list(kind = "Uniform", a = -1, b = 2)), 1.4, 0.05, 80)
posthoc(design("signorini", t = 0.5, x = list(kind = "Uniform", a = 0, b = 1)), 0.5, 0.1, 120)
posthoc(design("demidenko", x = list(kind = "Manual", a = 1, b = 1.5)), 1.3, 0.05, 200)
posthoc(design("signorini", x = list(kind = "Manual", a = 2, b = 1)), 0.7, 0.05, 100)
posthoc(design("demidenko"), 1, 0.05, 100)
posthoc(design("demidenko", tails = 1), 1, 0.05, 100)
sensitivity(design("demidenko"), 0.05, 0.95, 219, 1)
sensitivity(design("signorini", x = list(kind = "Uniform", a = 0, b = 1)), 0.05, 0.8, 300, -1)
sensitivity(design("demidenko", tails = 1, x = list(kind = "Binomial", a = 0.4)), 0.05, 0.9, 150, -1)
criterion(design("demidenko", x = list(kind = "Exponential", a = 1)), 1.2, 0.8, 400)
criterion(design("signorini", tails = 1, x = list(kind = "Lognormal", a = 0, b = 1)), 0.85, 0.9, 500)
compromise(design("demidenko"), 1.3, 1, 150)
compromise(design("signorini", x = list(kind = "Poisson", a = 2)), 0.8, 4, 250)

# Enumeration on n = 200 of the standard design: Wald 11.835 (power
# 0.93059), likelihood ratio 11.865 (0.93117).
posthoc(design("wald"), 1.3, 0.05, 200)
posthoc(design("lr"), 1.3, 0.05, 200)
posthoc(design("wald", tails = 1), 1.3, 0.05, 200)
posthoc(design("lr", base = 1, x = list(kind = "Binomial", a = 0.5)), 2, 0.05, 15)
posthoc(design("wald", base = 1, x = list(kind = "Binomial", a = 0.3)), 0.6, 0.05, 101)
posthoc(design("lr", t = 2.5, x = list(kind = "Exponential", a = 1)), 1.4, 0.05, 60)
posthoc(design("wald", t = 2.5, x = list(kind = "Exponential", a = 1)), 1.4, 0.05, 60)
posthoc(design("lr", x = list(kind = "Lognormal", a = 0, b = 0.5)), 0.7, 0.05, 90)
posthoc(design("wald", base = 3, x = list(kind = "Poisson", a = 1.5)), 1.2, 0.05, 70)
posthoc(design("lr", r2 = 0.3, x = list(kind = "Uniform", a = 0, b = 2)), 1.5, 0.05, 101)
posthoc(design("wald"), 1, 0.05, 100)
apriori(design("wald"), 1.3, 0.05, 0.9)
apriori(design("lr", base = 2, x = list(kind = "Binomial", a = 0.5)), 1.5, 0.05, 0.8)
sensitivity(design("lr"), 0.05, 0.8, 100, -1)
criterion(design("wald"), 1.3, 0.9, 200)
compromise(design("lr"), 1.4, 2, 100)
