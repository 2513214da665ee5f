# Reference values for the MANOVA and repeated-measures tests by the
# multivariate approach, from R's noncentral F and the published df and
# noncentrality rules of the criteria (Muller & Peterson 1984; O'Brien &
# Shieh), computed here independently of the C++ code.
pw <- function(df1, df2, ncp, alpha = 0.05) {
  pf(qf(1 - alpha, df1, df2), df1, df2, ncp = ncp, lower.tail = FALSE)
}
rao <- function(p, q) if (p * q < 4) 1 else sqrt((p^2 * q^2 - 4) / (p^2 + q^2 - 5))
# df2 and lambda of each criterion for effect f2 at N (k groups, hypothesis
# df p, q responses).
crit <- function(id, f2, N, k, p, q) {
  s <- min(p, q)
  if (id %in% c(100, 101)) {
    g <- rao(p, q); df2 <- g * (N - ((q - p + 1) / 2 + k)) - (p * q - 2) / 2
    ncp <- if (id == 100) df2 * f2 else g * f2 * N
  } else if (id %in% c(102, 103)) {
    df2 <- s * (N - k - q - 1) + 2
    ncp <- if (id == 102) df2 * f2 else s * f2 * N
  } else {
    df2 <- s * (N - k - q + s)
    ncp <- if (id == 106) df2 * f2 else s * f2 * N
  }
  c(p * q, df2, ncp)
}
power_at <- function(id, f2, N, k, p, q) { x <- crit(id, f2, N, k, p, q); pw(x[1], x[2], x[3]) }
smallest <- function(id, f2, k, p, q, step = k, target = 0.95) {
  N <- step * ceiling((k + 2) / step)
  while (crit(id, f2, N, k, p, q)[2] <= 0 || power_at(id, f2, N, k, p, q) < target) N <- N + step
  N
}
options(digits = 10)
cat("MANOVA global, 3 groups, 2 responses, f2 0.0625: A priori N by criterion\n")
for (id in c(100, 101, 103, 106, 107)) cat(id, smallest(id, 0.0625, 3, 2, 2), "\n")
cat("Pillai OS power at 153:", power_at(107, 0.0625, 153, 3, 2, 2), "\n")
cat("Pillai OS Post hoc N = 100:", power_at(107, 0.0625, 100, 3, 2, 2),
    " V =", 2 * 0.0625 / 1.0625, "\n")
cat("One response equals one-way ANOVA, 3 groups, f 0.25:", smallest(107, 0.0625, 3, 2, 1), "\n")
# Two groups, p = 3 responses, Delta = 0.8, 30 + 30: Hotelling's T2 has
# F(3, 56) with lambda = n1 n2 / N Delta^2.
cat("Hotelling T2, 30 + 30, Delta 0.8:", pw(3, 56, 30 * 30 / 60 * 0.64),
    " MANOVA with f2 = Delta^2 n1 n2 / N^2:", power_at(107, 0.64 * 900 / 3600, 60, 2, 1, 3), "\n")
# MANOVA special: 6 groups, 3 predictors (hypothesis df), 2 responses.
cat("MANOVA special:", smallest(107, 0.0625, 6, 3, 2, step = 1), "\n")
# Repeated measures, mean correlation rho, f = 0.25 (f2 0.0625), m = 4.
# Between (h = k - 1, t = 1): lambda = f2 N m / ((m - 1) rho + 1).
rm_power <- function(N, k, h, t, f2eff) {
  s <- min(h, t); pw(h * t, s * (N - k - t + s), f2eff * N)
}
rm_smallest <- function(k, h, t, f2eff, step) {
  N <- step * ceiling((k + t + min(h, t) + 1) / step)
  while (rm_power(N, k, h, t, f2eff) < 0.95) N <- N + step
  N
}
cat("111, rho 0:", rm_smallest(2, 1, 1, 0.0625 * 4, 2), "\n")
cat("111, rho 0.5:", rm_smallest(2, 1, 1, 0.0625 * 4 / 2.5, 2), "\n")
cat("112, rho 0:", rm_smallest(2, 1, 3, 0.0625 * 4, 2), "\n")
cat("113, rho 0:", rm_smallest(2, 1, 3, 0.0625 * 4, 1), "\n")
# Interaction with s = min(2, 3) = 2: the converted multivariate effect is
# f'2 = f2 m / ((1 - rho) s), and lambda = s f'2 N = f2 m N / (1 - rho).
cat("113, k 3, m 4, rho 0.5, f 0.25, N 45: lambda", 0.0625 * 4 * 45 / 0.5,
    " power", pw(6, 2 * (45 - 3 - 3 + 2), 0.0625 * 4 * 45 / 0.5), "\n")
