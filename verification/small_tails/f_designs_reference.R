# Criterion and Compromise of the F tests of designs and of the two
# variance tests at alpha and beta far below 1e-12, computed in R.
#
#   Rscript f_designs_reference.R > f_designs_reference.tsv
#
# Critical values are R's central upper quantiles (qf, qchisq with
# lower.tail = FALSE), which keep their digits where 1 - alpha rounds to 1.
# The power of a noncentral F is its upper tail and beta its lower tail,
# each written as a Poisson mixture of central beta tails on its own side,
# so that neither is formed as the complement of the other. The variance
# tests need only central distributions, the alternative being a scale;
# their beta is the acceptance region summed from the side away from the
# bulk of the H1 distribution. Alpha is solved in its logarithm between
# 1e-99 and 0.5; Compromise solves log(beta) = log(q alpha).
#
# Rows as in ../f_designs/cases.tsv: test id, analysis type, expected
# status, inputs, outputs (key=value); "none" where no alpha down to 1e-99
# meets the target. Named cases first, then seeded random ones.

fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) if (length(l) == 0) "" else paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(test, type, status, inputs, outputs) {
  cat(test, type, status, kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
solve <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-15, maxiter = 10000)$root
terms <- function(m) {
  j <- seq(max(0, floor(m - 40 * sqrt(m) - 40)), ceiling(m + 40 * sqrt(m) + 40))
  list(j = j, w = dpois(j, m))
}
fcrit <- function(a, d1, d2) qf(a, d1, d2, lower.tail = FALSE)
ftail <- function(x, d1, d2, l, upper) {
  t <- terms(l / 2)
  sum(t$w * pbeta(d1 * x / (d1 * x + d2), d1 / 2 + t$j, d2 / 2, lower.tail = !upper))
}
fpow <- function(l, a, d1, d2) ftail(fcrit(a, d1, d2), d1, d2, l, TRUE)
fbeta <- function(l, a, d1, d2) ftail(fcrit(a, d1, d2), d1, d2, l, FALSE)
# Criterion searches alpha up to 1, Compromise up to 0.5.
la_lo <- log(1e-99); la_hi <- log(0.5); la_top <- log(1 - 1e-12)

cat("# test\ttype\tstatus\tinputs\toutputs\n")

# A design: df1(N), df2(N), lambda(e, N); `inputs` the design's own keys.
fdesign <- function(id, key, inputs, df1, df2, lambda, shown = c("df1", "df2")) {
  outs <- function(e, a, N) {
    o <- list(lambda = lambda(e, N), crit = fcrit(a, df1(N), df2(N)))
    if ("df1" %in% shown) o$df1 <- df1(N)
    if ("df2" %in% shown) o$df2 <- df2(N)
    o
  }
  pw <- function(e, a, N) fpow(lambda(e, N), a, df1(N), df2(N))
  bt <- function(e, a, N) fbeta(lambda(e, N), a, df1(N), df2(N))
  given <- function(e, extra) c(setNames(list(e), key), extra, inputs)
  list(
    criterion = function(e, p, N) {
      f <- function(la) pw(e, exp(la), N) - p
      if (f(la_lo) > 0) {
        emit(id, "criterion", "none", given(e, list(power = p, N = N)), list())
        return(invisible(NA))
      }
      a <- exp(solve(f, la_lo, la_top))
      emit(id, "criterion", -1, given(e, list(power = p, N = N)), c(outs(e, a, N), list(alpha = a)))
      invisible(a)
    },
    compromise = function(e, q, N) {
      f <- function(la) log(bt(e, exp(la), N)) - log(q) - la
      if (f(la_lo) < 0) {
        emit(id, "compromise", "none", given(e, list(q = q, N = N)), list())
        return(invisible(NA))
      }
      a <- exp(solve(f, la_lo, la_hi))
      emit(id, "compromise", -1, given(e, list(q = q, N = N)),
           c(outs(e, a, N), list(alpha = a, beta = bt(e, a, N), power = pw(e, a, N))))
      invisible(a)
    })
}
anova <- function(u, k, cov = NA) {
  c0 <- if (is.na(cov)) 0 else cov
  inputs <- list(df1 = u, k = k)
  if (!is.na(cov)) inputs$cov <- cov
  fdesign(if (is.na(cov)) 102 else 116, "f", inputs, function(N) u, function(N) N - k - c0,
          function(f, N) f^2 * N, "df2")
}
mrc <- function(p) fdesign(103, "f2", list(predictors = p), function(N) p, function(N) N - p - 1,
                           function(f2, N) f2 * N)
mrc_inc <- function(q, p) fdesign(104, "f2", list(ptested = q, ptotal = p), function(N) q,
                                  function(N) N - p - 1, function(f2, N) f2 * N)
hot1 <- function(p) fdesign(106, "D", list(resp = p), function(N) p, function(N) N - p,
                            function(d, N) d^2 * N)
rm <- function(test, k, m, rho, eps) {
  if (test == 108) eps <- 1
  u <- if (test == 108) m / (1 + (m - 1) * rho) else m / (1 - rho)
  d1 <- switch(as.character(test), "108" = (k - 1) * eps, "109" = (m - 1) * eps,
               "110" = (k - 1) * (m - 1) * eps)
  d2 <- function(N) if (test == 108) (N - k) * eps else (N - k) * (m - 1) * eps
  inputs <- list(k = k, m = m, rho = rho)
  if (test != 108) inputs$eps <- eps
  fdesign(test, "f", inputs, function(N) d1, d2, function(f, N) f^2 * u * N * eps)
}

# Regression, R^2 against zero: alpha 7.374938e-24, critical F 56.21366.
mrc(2)$criterion(0.15, 0.95, 1000)
# One-way design with numerator df 4: alpha near 1e-14, critical F 20.32486.
anova(4, 4)$criterion(0.101, 0.609, 8168)

# Hotelling's T^2 for two groups: lambda = D^2 n1 n2 / (n1 + n2).
hot2 <- function(d, n1, n2, p) {
  l <- d^2 * n1 * n2 / (n1 + n2); d1 <- p; d2 <- n1 + n2 - p - 1
  outs <- function(a) list(lambda = l, crit = fcrit(a, d1, d2), df1 = d1, df2 = d2)
  inputs <- list(D = d, n1 = n1, n2 = n2, resp = p)
  list(
    criterion = function(target) {
      a <- exp(solve(function(la) fpow(l, exp(la), d1, d2) - target, la_lo, la_top))
      emit(107, "criterion", -1, c(inputs, list(power = target)), c(outs(a), list(alpha = a)))
    },
    compromise = function(q) {
      a <- exp(solve(function(la) log(fbeta(l, exp(la), d1, d2)) - log(q) - la, la_lo, la_hi))
      emit(107, "compromise", -1, c(inputs, list(q = q)),
           c(outs(a), list(alpha = a, beta = fbeta(l, a, d1, d2), power = fpow(l, a, d1, d2))))
    })
}

# The variance tests: the H0 distribution by its tails and quantiles.
var_tails <- function(r, a, tails, qlow, qup, plow, pup) {
  if (tails == "One") {
    if (r > 1) {
      x0 <- qup(a)
      return(list(power = pup(x0 / r), beta = plow(x0 / r), lo = x0, hi = x0))
    }
    x0 <- qlow(a)
    return(list(power = plow(x0 / r), beta = pup(x0 / r), lo = x0, hi = x0))
  }
  cu <- qup(a / 2); cl <- qlow(a / 2)
  beta <- if (r > 1) plow(cu / r) - plow(cl / r) else pup(cl / r) - pup(cu / r)
  list(power = pup(cu / r) + plow(cl / r), beta = beta, lo = cl, hi = cu)
}
fvar <- function(r, a, tails, n1, n2) {
  d1 <- n1 - 1; d2 <- n2 - 1
  var_tails(r, a, tails, function(p) qf(p, d1, d2), function(p) qf(p, d1, d2, lower.tail = FALSE),
            function(x) pf(x, d1, d2), function(x) pf(x, d1, d2, lower.tail = FALSE))
}
cvar <- function(r, a, tails, N) {
  d <- N - 1
  var_tails(r, a, tails, function(p) qchisq(p, d), function(p) qchisq(p, d, lower.tail = FALSE),
            function(x) pchisq(x, d), function(x) pchisq(x, d, lower.tail = FALSE))
}
var_case <- function(id, type, tails, r, target, sizes, tailsOf, outs) {
  v <- function(a) do.call(tailsOf, c(list(r, a, tails), sizes))
  inputs <- c(list(tails = tails, v = r), sizes)
  if (type == "criterion") {
    f <- function(la) v(exp(la))$power - target
    if (f(la_lo) > 0) {
      emit(id, type, "none", c(inputs, list(power = target)), list())
      return(invisible(NULL))
    }
    a <- exp(solve(f, la_lo, la_top))
    emit(id, type, -1, c(inputs, list(power = target)), c(outs(v(a)), list(alpha = a)))
  } else {
    f <- function(la) log(v(exp(la))$beta) - log(target) - la
    if (f(la_lo) < 0) {
      emit(id, type, "none", c(inputs, list(q = target)), list())
      return(invisible(NULL))
    }
    a <- exp(solve(f, la_lo, la_hi))
    w <- v(a)
    emit(id, type, -1, c(inputs, list(q = target)),
         c(outs(w), list(alpha = a, beta = w$beta, power = w$power)))
  }
}
fvar_case <- function(type, tails, r, target, n1, n2)
  var_case(105, type, tails, r, target, list(n1 = n1, n2 = n2), fvar,
           function(w) list(lowF = w$lo, upF = w$hi, df1 = n1 - 1, df2 = n2 - 1))
cvar_case <- function(type, tails, r, target, N)
  var_case(402, type, tails, r, target, list(N = N), cvar,
           function(w) list(lowchi = w$lo, upchi = w$hi, df = N - 1))

# Named: a ratio below 1, two tails, where 1 - power has no digits of beta.
cvar_case("compromise", "Two", 0.3, 1, 600)
cvar_case("compromise", "One", 0.3, 0.5, 500)
cvar_case("criterion", "One", 3, 0.9, 200)
fvar_case("compromise", "Two", 3, 1, 400, 400)
fvar_case("compromise", "One", 0.3, 2, 300, 320)
fvar_case("criterion", "Two", 0.25, 0.95, 200, 180)
hot2(1.2, 150, 100, 3)$criterion(0.9)
hot2(1.5, 220, 240, 2)$compromise(1)
anova(3, 4, 2)$compromise(0.6, 1, 1200)
mrc(2)$compromise(0.4, 0.5, 800)

# Seeded random cases with large effects, so that alpha falls far below
# 1e-12; a case without an answer down to 1e-99 is written as "none".
set.seed(53)
for (i in 1:4) {
  k <- sample(2:6, 1); u <- sample(1:4, 1); N <- k * sample(60:400, 1)
  f <- round(runif(1, 0.3, 0.7), 3); p <- round(runif(1, 0.6, 0.99), 3)
  anova(u, k)$criterion(f, p, N)
  anova(u, k)$compromise(f, round(runif(1, 0.2, 4), 3), N)
  cv <- sample(1:3, 1)
  anova(u, k, cv)$criterion(f, p, N)
  anova(u, k, cv)$compromise(f, round(runif(1, 0.2, 4), 3), N)
}
for (i in 1:3) {
  pt <- sample(2:8, 1); q <- sample(1:pt, 1); N <- sample(200:1500, 1)
  f2 <- round(runif(1, 0.1, 0.4), 3); p <- round(runif(1, 0.6, 0.99), 3)
  mrc(pt)$criterion(f2, p, N)
  mrc(pt)$compromise(f2, round(runif(1, 0.2, 4), 3), N)
  mrc_inc(q, pt)$criterion(f2, p, N)
  mrc_inc(q, pt)$compromise(f2, round(runif(1, 0.2, 4), 3), N)
}
for (i in 1:3) {
  p <- sample(2:5, 1); N <- sample(100:600, 1); d <- round(runif(1, 0.6, 1.2), 3)
  hot1(p)$criterion(d, round(runif(1, 0.6, 0.99), 3), N)
  hot1(p)$compromise(d, round(runif(1, 0.2, 4), 3), N)
  n1 <- sample(60:300, 1); n2 <- sample(60:300, 1)
  hot2(d, n1, n2, p)$criterion(round(runif(1, 0.6, 0.99), 3))
  hot2(d, n1, n2, p)$compromise(round(runif(1, 0.2, 4), 3))
}
for (test in c(108, 109, 110)) {
  k <- sample(2:4, 1); m <- sample(2:5, 1); N <- k * sample(40:200, 1)
  rho <- round(runif(1, 0.1, 0.7), 2); eps <- if (test == 108) 1 else round(runif(1, 1 / (m - 1), 1), 2)
  f <- round(runif(1, 0.3, 0.6), 3)
  rm(test, k, m, rho, eps)$criterion(f, round(runif(1, 0.6, 0.99), 3), N)
  rm(test, k, m, rho, eps)$compromise(f, round(runif(1, 0.2, 4), 3), N)
}
for (i in 1:4) {
  tails <- sample(c("One", "Two"), 1); r <- round(exp(runif(1, -1.5, 1.5)), 3)
  if (abs(r - 1) < 0.2) r <- r + 0.5
  n1 <- sample(100:800, 1); n2 <- sample(100:800, 1); N <- sample(100:1500, 1)
  fvar_case("criterion", tails, r, round(runif(1, 0.6, 0.99), 3), n1, n2)
  fvar_case("compromise", tails, r, round(runif(1, 0.2, 4), 3), n1, n2)
  cvar_case("criterion", tails, r, round(runif(1, 0.6, 0.99), 3), N)
  cvar_case("compromise", tails, r, round(runif(1, 0.2, 4), 3), N)
}
