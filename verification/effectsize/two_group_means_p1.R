# The normal parent's p1 = pnorm(d / sqrt(2)); compare with the rows of
# parent_index 0 in two_group_means_p1.csv.
t <- read.csv("two_group_means_p1.csv")
n <- t[t$parent_index == 0, ]
err <- max(abs(n$p1 - pnorm(n$d / sqrt(2))))
cat("largest difference to pnorm:", err, "\n")
stopifnot(err < 1e-12)
