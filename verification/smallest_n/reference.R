# A priori totals at the lower end of the search: the smallest whole total
# whose design is admissible (positive df, groups large enough) and whose
# power reaches the target, found by scanning every total from the smallest
# that could be a design upward, computed in R.
#
#   Rscript reference.R > cases.tsv
#
# - MANOVA global (114) and special effects (115), Pillai's V by the
#   O'Brien-Shieh rule:
#   s = min(m, responses) with m the predictors (k - 1 for 114),
#   df1 = m responses, df2 = s (N - k - responses + s), lambda = s f2 N;
#   a design from df2 > 0 on.
# - Two variances (105) and two correlations (302): the total split by the
#   allocation ratio N2/N1 as the program splits A priori totals (N1 rounded
#   half up, N2 the rest, equal groups for a ratio of 1); groups of at least
#   two (105, central F with N1 - 1 and N2 - 1 df, H1 a scale r) or four
#   (302, Fisher's z with standard error sqrt(1/(N1 - 3) + 1/(N2 - 3))).
#
# The cases lie at the lower end, where the real split of a total leaves the
# small group within one subject of the least it may have. Higher up, the
# program's search over real splits can still end a few totals above the
# smallest whole split that reaches the target (one tail, ratio 40, r = 3:
# 4 + 11 where 4 + 10 reaches it); the rows do not hold such cases.
#
# Rows as in ../f_designs/cases.tsv: test id, analysis type, expected status,
# inputs, outputs (key=value).
fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(test, inputs, outputs) {
  cat(test, "apriori", -1, kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
split <- function(t, r) {
  n1 <- floor(t / (r + 1) + 0.5); n2 <- ceiling(t - n1)
  if (abs(r - 1) < 1e-8 && n1 != n2) { if (n1 < n2) n1 <- n1 + 1 else n2 <- n2 + 1 }
  c(max(n1, 1), max(n2, 1))
}
# The first total from `from` on that is a design and reaches the target.
first_total <- function(from, design, pw, target) {
  t <- from
  while (!design(t) || pw(t) < target) t <- t + 1
  t
}
cat("# test\ttype\tstatus\tinputs\toutputs\n")

# 115: N 16 with power 0.7881538 (17 is the criterion's closed-form minimum).
# 114, the global test, has m = k - 1 and totals in multiples of k: N 9
# where the closed-form minimum is 12.
manova <- function(f2, a, target, k, m, p, test = 115) {
  s <- min(m, p)
  df2 <- function(N) s * (N - k - p + s)
  pw <- function(N) pf(qf(a, m * p, df2(N), lower.tail = FALSE), m * p, df2(N), ncp = s * f2 * N,
                       lower.tail = FALSE)
  design <- function(N) df2(N) > 0 && (test == 115 || N %% k == 0)
  N <- first_total(k + 1, design, pw, target)
  inputs <- list(f2v = f2, alpha = a, power = target, k = k, predictors = m, resp = p)
  if (test == 114) inputs$predictors <- NULL
  emit(test, inputs, list(N = N, actual = pw(N)))
}
manova(0.675, 0.071, 0.716, 7, 3, 6)
manova(1.5, 0.1, 0.45, 3, 2, 6, test = 114)

# 105: one or two tails, the ratio r = var1/var0 as the scale of H1.
fvar <- function(v, a, tails, n1, n2) {
  d1 <- n1 - 1; d2 <- n2 - 1
  if (tails == "One") {
    if (v > 1) return(pf(qf(a, d1, d2, lower.tail = FALSE) / v, d1, d2, lower.tail = FALSE))
    return(pf(qf(a, d1, d2) / v, d1, d2))
  }
  pf(qf(a / 2, d1, d2, lower.tail = FALSE) / v, d1, d2, lower.tail = FALSE) +
    pf(qf(a / 2, d1, d2) / v, d1, d2)
}
twovar <- function(v, a, target, tails, r) {
  g <- function(t) split(t, r)
  N <- first_total(4, function(t) all(g(t) >= 2),
                   function(t) fvar(v, a, tails, g(t)[1], g(t)[2]), target)
  n <- g(N)
  emit(105, list(tails = tails, v = v, alpha = a, power = target, r = r),
       list(n1 = n[1], n2 = n[2], actual = fvar(v, a, tails, n[1], n[2])))
}
twovar(100, 0.05, 0.8, "One", 100)
twovar(0.004, 0.05, 0.9, "Two", 0.01)

# 302: Cohen's q = z1 - z2.
zcorr <- function(q, a, tails, n1, n2) {
  m <- q / sqrt(1 / (n1 - 3) + 1 / (n2 - 3))
  cv <- qnorm(a / tails, lower.tail = FALSE)
  p <- pnorm(cv, m, lower.tail = FALSE)
  if (tails == 2) p <- p + pnorm(-cv, m)
  p
}
twocorr <- function(q, a, target, tails, r) {
  g <- function(t) split(t, r)
  N <- first_total(8, function(t) all(g(t) >= 4),
                   function(t) zcorr(q, a, tails, g(t)[1], g(t)[2]), target)
  n <- g(N)
  emit(302, list(tails = if (tails == 1) "One" else "Two", qr = q, alpha = a, power = target,
                 r = r),
       list(n1 = n[1], n2 = n[2], N = sum(n), actual = zcorr(q, a, tails, n[1], n[2])))
}
twocorr(5, 0.05, 0.95, 2, 3)
twocorr(4, 0.05, 0.9, 1, 0.25)
