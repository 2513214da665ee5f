# Checks the logistic rows of effect_sizes.csv against R's plogis/qlogis
# (p1 = plogis(qlogis(p0) + log OR), OR = exp(qlogis(p1) - qlogis(p0))) and
# the normal signed-rank rows against pnorm.
t <- read.csv("effect_sizes.csv")
rel <- function(a, b) max(abs(a - b) / pmax(abs(b), 1e-300))
o <- t[t$kind == "odds_ratio", ]
p <- t[t$kind == "p1_from_odds", ]
s <- t[t$kind == "signed_rank_p1" & t$a == 0, ]
errs <- c(rel(exp(qlogis(o$a) - qlogis(o$b)), o$expected),
          rel(plogis(qlogis(p$b) + log(p$a)), p$expected),
          rel(pnorm(abs(s$b)), s$expected))
cat("largest relative differences:", errs, "\n")
stopifnot(all(errs < 1e-9))
