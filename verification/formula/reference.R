# Reference values of the formula functions that call distributions.
# Run: Rscript reference.R > distribution_functions.tsv
# Columns: formula text, expected value (17 significant digits), relative
# tolerance. The formula texts use the evaluator's own argument order.
rows <- list()
add <- function(text, value, tol = 1e-9) {
  rows[[length(rows) + 1]] <<- sprintf("%s\t%.17g\t%g", text, value, tol)
}

# Standard normal and normal.
add("zcdf(1.96)", pnorm(1.96))
add("zcdf(-3.5)", pnorm(-3.5))
add("zinv(0.975)", qnorm(0.975))
add("zinv(1e-10)", qnorm(1e-10))
add("zpdf(0.5)", dnorm(0.5))
add("normcdf(12,10,2)", pnorm(12, 10, 2))
add("norminv(0.05,100,15)", qnorm(0.05, 100, 15))
add("normpdf(-1,0.5,3)", dnorm(-1, 0.5, 3))

# Central chi-square, F and t.
add("chi2cdf(3.84,1)", pchisq(3.84, 1))
add("chi2cdf(20,12.5)", pchisq(20, 12.5))
add("chi2inv(0.95,4)", qchisq(0.95, 4))
add("chi2inv(0.01,30)", qchisq(0.01, 30))
add("chi2pdf(2.5,3)", dchisq(2.5, 3))
add("fcdf(3,2,20)", pf(3, 2, 20))
add("fcdf(0.5,10,7.5)", pf(0.5, 10, 7.5))
add("finv(0.95,3,36)", qf(0.95, 3, 36))
add("fpdf(1.2,4,12)", df(1.2, 4, 12))
add("tcdf(2.086,20)", pt(2.086, 20))
add("tcdf(-1.5,3.5)", pt(-1.5, 3.5))
add("tinv(0.975,20)", qt(0.975, 20))
add("tinv(0.001,5)", qt(0.001, 5))
add("tpdf(0.7,8)", dt(0.7, 8))

# Noncentral chi-square, F and t: noncentrality last.
add("ncx2cdf(10,3,4.5)", pchisq(10, 3, ncp = 4.5))
add("ncx2cdf(3.84,1,7.85)", pchisq(3.84, 1, ncp = 7.85))
add("ncx2inv(0.2,5,10)", qchisq(0.2, 5, ncp = 10), 1e-8)
add("ncx2pdf(6,4,2)", dchisq(6, 4, ncp = 2))
add("ncfcdf(2.5,3,40,8)", pf(2.5, 3, 40, ncp = 8))
add("ncfinv(0.5,2,30,5)", qf(0.5, 2, 30, ncp = 5), 1e-8)
add("ncfpdf(1.5,4,20,3)", df(1.5, 4, 20, ncp = 3))
add("nctcdf(2,10,1.5)", pt(2, 10, ncp = 1.5))
add("nctcdf(-1,25,-0.5)", pt(-1, 25, ncp = -0.5))
add("nctinv(0.8,15,2)", qt(0.8, 15, ncp = 2), 1e-8)
add("nctpdf(1,12,0.8)", dt(1, 12, ncp = 0.8))

# Beta.
add("betacdf(0.3,2,5)", pbeta(0.3, 2, 5))
add("betainv(0.9,0.5,3)", qbeta(0.9, 0.5, 3))
add("betapdf(0.6,3,2.5)", dbeta(0.6, 3, 2.5))

# Poisson: distribution function at whole counts, smallest count reaching p.
add("poisscdf(4,3.2)", ppois(4, 3.2))
add("poisscdf(4.5,3.2)", ppois(4, 3.2))
add("poissinv(0.9,3.2)", qpois(0.9, 3.2))
add("poisspdf(2,0.7)", dpois(2, 0.7))

# Binomial: the number of trials is rounded; the distribution function is
# continued to real counts as I_{1-pi}(n - x, x + 1), and the quantile is the
# real count at which it reaches p.
binom_cont <- function(x, n, pi) pbeta(1 - pi, n - x, x + 1)
binom_inv <- function(p, n, pi) uniroot(function(s) binom_cont(s, n, pi) - p, c(0, n - 1e-9), tol = 1e-14)$root
add("binocdf(3,10,0.4)", pbinom(3, 10, 0.4))
add("binocdf(3,9.5,0.4)", pbinom(3, 10, 0.4))
add("binocdf(2.5,12,0.3)", binom_cont(2.5, 12, 0.3))
add("binoinv(0.5,20,0.25)", binom_inv(0.5, 20, 0.25), 1e-7)
add("binopdf(7,15,0.5)", dbinom(7, 15, 0.5))
add("binopdf(7,14.6,0.5)", dbinom(7, 15, 0.5))

# Hypergeometric: sample size n, successes K, population N, all rounded.
add("hygecdf(2,10,8,40)", phyper(2, 8, 32, 10))
add("hygecdf(2.4,9.6,8.4,39.5)", phyper(2, 8, 32, 10))
add("hygeinv(0.5,10,8,40)", qhyper(0.5, 8, 32, 10))
add("hygeinv(0.99,20,30,60)", qhyper(0.99, 30, 30, 20))
add("hygepdf(3,10,8,40)", dhyper(3, 8, 32, 10))

# Log-normal (mean and sigma of the logarithm), uniform, exponential (rate)
# and Laplace (location, scale) in closed form.
add("logncdf(2,0.5,0.8)", plnorm(2, 0.5, 0.8))
add("logninv(0.3,0.2,1.5)", qlnorm(0.3, 0.2, 1.5))
add("lognpdf(1.5,0.1,0.6)", dlnorm(1.5, 0.1, 0.6))
add("unicdf(1.5,-1,3)", punif(1.5, -1, 3))
add("uniinv(0.2,2,7)", qunif(0.2, 2, 7))
add("unipdf(0.5,0,4)", dunif(0.5, 0, 4))
add("expcdf(0.7,2)", pexp(0.7, 2))
add("expinv(0.95,0.5)", qexp(0.95, 0.5))
add("exppdf(1.2,3)", dexp(1.2, 3))
plapl <- function(x, m, b) ifelse(x < m, 0.5 * exp((x - m) / b), 1 - 0.5 * exp(-(x - m) / b))
qlapl <- function(p, m, b) ifelse(p < 0.5, m + b * log(2 * p), m - b * log(2 * (1 - p)))
add("laplcdf(-0.5,1,2)", plapl(-0.5, 1, 2))
add("laplcdf(3,1,2)", plapl(3, 1, 2))
add("laplinv(0.1,1,2)", qlapl(0.1, 1, 2))
add("laplinv(0.9,-2,0.5)", qlapl(0.9, -2, 0.5))
add("laplpdf(0.3,0,1.5)", exp(-abs(0.3) / 1.5) / 3)

cat(unlist(rows), sep = "\n")
cat("\n")
