# Compromise of logistic (310) and Poisson (308) regression where alpha and
# beta lie far below 1e-16: beta from the acceptance region on its own side
# (pnorm with lower.tail), never as 1 - power, and alpha solving
# log(beta / (q alpha)) = 0 on log alpha.
#
#   Rscript covariate_compromise_reference.R > covariate_compromise_reference.tsv
#
# The slope variances and the mean and spread of the z statistic come from
# the function definitions of ../logistic/reference.R and
# ../poisson/poisson_reference.R (their `name <- function` assignments and
# the constant vectors those functions read, each file in an environment of
# its own; their tables are not re-emitted). Rows in the format of their
# tables.

here <- local({
  f <- sub("^--file=", "", grep("^--file=", commandArgs(FALSE), value = TRUE))
  if (length(f) == 1) dirname(normalizePath(f)) else "."
})

definitions <- function(path) {
  env <- new.env(parent = globalenv())
  for (e in parse(path)) {
    if (is.call(e) && identical(e[[1]], as.name("<-")) && is.call(e[[3]])) {
      head <- e[[3]][[1]]
      if (identical(head, as.name("function")) || identical(head, as.name("c")) ||
          identical(head, as.name("list"))) {
        eval(e, env)
      }
    }
  }
  env
}
logistic <- definitions(file.path(here, "..", "logistic", "reference.R"))
poisson <- definitions(file.path(here, "..", "poisson", "poisson_reference.R"))
# Its glm() calls name the family `poisson`, which here is that environment.
poisson$poisson <- stats::poisson

fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(id, inputs, outputs) {
  cat(id, "compromise", "-1", kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}

# beta of a statistic N(m, s) against the critical value(s) zc, on the side
# away from the bulk: upper = TRUE tests the upper tail.
beta_of <- function(m, s, zc, tails, upper) {
  if (tails == 1) {
    return(if (upper) pnorm(zc, m, s) else pnorm(-zc, m, s, lower.tail = FALSE))
  }
  if (m >= 0) pnorm(zc, m, s) - pnorm(-zc, m, s)
  else pnorm(-zc, m, s, lower.tail = FALSE) - pnorm(zc, m, s, lower.tail = FALSE)
}
critical <- function(alpha, tails) qnorm(alpha / tails, lower.tail = FALSE)

# Logistic regression: the large-sample z of power_of in reference.R.
logistic_beta <- function(s, p1, alpha, n) {
  local({
    p0 <- s$p0; ne <- (1 - s$r2) * n; zc <- critical(alpha, s$tails)
    b0 <- qlogis(p0); b1 <- qlogis(p1) - b0
    if (s$method == "signorini") {
      if (s$x$code == 3) return(pnorm(abs(b1) * sqrt(ne * p0 * (1 - p0)) - zc, lower.tail = FALSE))
      pi <- s$x$a; pbar <- (1 - pi) * p0 + pi * p1
      a <- abs(p0 - p1) * sqrt((1 - pi) * ne); bb <- sqrt(pbar * (1 - pbar) / pi)
      d <- sqrt(p1 * (1 - p1) * (1 - pi) / pi + p0 * (1 - p0))
      return(pnorm((a - bb * zc) / d, lower.tail = FALSE))
    }
    v <- logistic$variances(s$x, b0, b1)
    k <- if (s$x$code == 0) 0.85 else if (s$x$code == 2) 0.75 else 1
    sd <- if (s$method == "demidenko") sqrt(((1 - k) * v[2] + k * v[1]) / v[2]) else 1
    beta_of(b1 * sqrt(ne / v[2]), sd, zc, s$tails, p1 > p0)
  })
}

# Poisson regression: the z of zpower in poisson_reference.R.
poisson_beta <- function(d, e, alpha, n) {
  local({
    b0 <- log(d$base); b1 <- log(e)
    v <- poisson$variances(d$x, b0, b1, d$method)
    nn <- (1 - d$r2) * n * d$t
    if (d$method %in% c("demidenko", "demidenko-nc")) {
      k <- if (d$x$kind == "Lognormal") 0.75 else 1
      m <- b1 * sqrt(nn / v[2])
      s <- if (d$method == "demidenko") sqrt(((1 - k) * v[2] + k * v[1]) / v[2]) else 1
    } else {
      m <- b1 * sqrt(nn / v[1])
      s <- sqrt(v[2] / v[1])
    }
    beta_of(m, s, critical(alpha, d$tails), d$tails, e > 1)
  })
}

# alpha with beta(alpha) = q alpha, on log alpha.
solve_alpha <- function(beta, q) {
  g <- function(la) log(beta(exp(la))) - la - log(q)
  exp(uniroot(g, c(log(1e-99), log(0.5)), tol = 1e-14, maxiter = 10000)$root)
}

logistic_row <- function(s, e, q, n) {
  p1 <- logistic$p1_of(s, e)
  a <- solve_alpha(function(a) logistic_beta(s, p1, a, n), q)
  r <- logistic$power_of(s, p1, a, n)
  b <- logistic_beta(s, p1, a, n)
  inputs <- c(list(opt = logistic$options_of(s)), setNames(list(e), logistic$effect_key(s)),
              list(q = q, N = n), logistic$design_inputs(s))
  emit("310", inputs, list(crit = r$crit, alpha = a, beta = b, power = 1 - b))
}

# The enumeration method: the one-df chi-square statistic with the
# noncentrality of the expected data set (enumerate in reference.R, which
# does not depend on alpha); beta is N(sqrt(lambda), 1) inside +-z, z the
# upper level/2 point, a one-tailed level doubled.
logistic_enum_row <- function(s, e, q, n) {
  p1 <- logistic$p1_of(s, e)
  ne <- floor((1 - s$r2) * n + 0.5)
  lambda <- logistic$enumerate(s$x, s$p0, p1, ne, 0.05, s$method == "wald")$lambda
  level <- function(a) if (s$tails == 1) 2 * a else a
  beta <- function(a) {
    z <- qnorm(level(a) / 2, lower.tail = FALSE)
    pnorm(z - sqrt(lambda)) - pnorm(-z - sqrt(lambda))
  }
  a <- solve_alpha(beta, q)
  inputs <- c(list(opt = logistic$options_of(s)), setNames(list(e), logistic$effect_key(s)),
              list(q = q, N = n), logistic$design_inputs(s))
  emit("310", inputs, list(lambda = lambda, crit = qchisq(level(a), 1, lower.tail = FALSE),
                           df = 1, alpha = a, beta = beta(a)))
}

poisson_row <- function(d, e, q, n) {
  a <- solve_alpha(function(a) poisson_beta(d, e, a, n), q)
  r <- poisson$zpower(e, a, n, d)
  b <- poisson_beta(d, e, a, n)
  emit("308", poisson$inputsOf(d, list(expb1 = e, q = q, N = n)),
       list(crit = r$crit, alpha = a, beta = b, power = 1 - b))
}

# The same for the Poisson regression's enumeration (enumerate in
# poisson_reference.R: every subject with every count of the range, the
# null model fitted by glm).
poisson_enum_row <- function(d, e, q, n) {
  lambda <- poisson$enumerate(e, 0.05, n, d)$lambda
  level <- function(a) if (d$tails == 1) 2 * a else a
  beta <- function(a) {
    z <- qnorm(level(a) / 2, lower.tail = FALSE)
    pnorm(z - sqrt(lambda)) - pnorm(-z - sqrt(lambda))
  }
  a <- solve_alpha(beta, q)
  emit("308", poisson$inputsOf(d, list(expb1 = e, q = q, N = n)),
       list(lambda = lambda, crit = qchisq(level(a), 1, lower.tail = FALSE), df = 1, alpha = a,
            beta = beta(a)))
}

cat("# test\ttype\tstatus\tinputs\toutputs\n")
cat("# written by covariate_compromise_reference.R: beta on its own side, alpha far below 1e-16\n")
# The standard logistic design at N 40000: alpha = beta near 1e-17.
logistic_row(logistic$setting(), 1.3, 1, 40000)
logistic_row(logistic$setting(tails = 1, method = "nocorr"), 0.75, 4, 30000)
logistic_row(logistic$setting(x = list(code = 0, a = 0.5, b = 0), method = "signorini"), 1.5, 0.5,
             60000)
logistic_enum_row(logistic$setting(x = list(code = 0, a = 0.5, b = 0), method = "wald"), 3, 1,
                  6000)
poisson_row(poisson$design("demidenko"), 1.3, 1, 8000)
poisson_row(poisson$design("signorini", tails = 1, x = list(kind = "Poisson", a = 2)), 0.8, 2,
            6000)
# A Poisson covariate at N 3720 with the likelihood-ratio statistic (its
# search took minutes when it enumerated at every alpha).
poisson_enum_row(poisson$design("lr", x = list(kind = "Poisson", a = 1)), 1.3, 1, 3720)
poisson_enum_row(poisson$design("wald", tails = 1, x = list(kind = "Poisson", a = 1)), 1.2, 3,
                 3720)
