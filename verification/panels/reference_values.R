# Reference values of the proportion and goodness-of-fit panels, from R alone
# (pwr's ES.w1 for Cohen's w, plogis/qlogis for odds ratios), independent of
# the program's formulas. Run: Rscript reference_values.R  (writes the CSVs
# beside this script).
library(pwr)

fmt <- function(x) trimws(formatC(x, digits = 17, format = "g"))

# Proportions: the derived proportion from a base and a value, and the value
# from a base and a derived proportion, by mode (0 difference, 1 ratio, 2 odds
# ratio). The odds ratio works on the logit scale here.
derive <- function(mode, base, value) {
  switch(mode + 1, base + value, base * value, plogis(qlogis(base) + log(value)))
}
value_of <- function(mode, base, derived) {
  switch(mode + 1, derived - base, derived / base, exp(qlogis(derived) - qlogis(base)))
}
cases <- rbind(
  c(0, 0.5, 0.05), c(0, 0.2, -0.15), c(0, 0.9, 0.1),
  c(1, 0.5, 1.1), c(1, 0.25, 3), c(1, 0.8, 0.125),
  c(2, 0.5, 1.5), c(2, 0.5, 11 / 9), c(2, 0.1, 4), c(2, 0.95, 0.2), c(2, 0.3, 1e-3),
  c(2, 1e-4, 250))
rows <- apply(cases, 1, function(r) {
  d <- derive(r[1], r[2], r[3])
  c(r[1], fmt(r[2]), fmt(r[3]), fmt(d), fmt(value_of(r[1], r[2], d)))
})
write.table(t(rows), "proportions.csv", sep = ",", quote = FALSE, row.names = FALSE,
            col.names = c("mode", "base", "value", "derived", "value_back"))

# Goodness of fit: w of p(H0) and p(H1) grids; "normalize" rows hold columns
# that do not sum to 1, which the panel divides by their sums first.
set.seed(20261210)
grid <- list(
  list(mode = 2, p0 = c(0.5, 0.5), p1 = c(0.6, 0.4)),
  list(mode = 2, p0 = rep(0.25, 4), p1 = rep(0.25, 4)),
  list(mode = 2, p0 = c(0.1, 0.2, 0.3, 0.4), p1 = c(0.25, 0.25, 0.25, 0.25)),
  list(mode = 2, p0 = c(0.7, 0.2, 0.1), p1 = c(0.5, 0.5, 0)),
  list(mode = 0, p0 = c(1, 2, 3, 4), p1 = c(5, 5, 5, 5)),
  list(mode = 0, p0 = c(30, 30, 40), p1 = c(10, 0, 15)))
for (k in c(6, 50)) {
  p0 <- rgamma(k, 2); p1 <- rgamma(k, 2)
  grid[[length(grid) + 1]] <- list(mode = 2, p0 = p0 / sum(p0), p1 = p1 / sum(p1))
  grid[[length(grid) + 1]] <- list(mode = 0, p0 = p0 * 7, p1 = p1 * 3)
}
lines <- sapply(grid, function(g) {
  w <- ES.w1(g$p0 / sum(g$p0), g$p1 / sum(g$p1))
  paste(g$mode, paste(fmt(g$p0), collapse = " "), paste(fmt(g$p1), collapse = " "), fmt(w),
        sep = ",")
})
writeLines(c("mode,p0,p1,w", lines), "goodness_of_fit_w.csv")
