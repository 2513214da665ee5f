#pragma once

// P(X <= x, Y <= y) for a bivariate normal pair with means mu1, mu2,
// standard deviations sigma1, sigma2 and correlation rho. The probability is
// reduced to one-dimensional normal distribution functions and one integral
// over an angle, integrated by AdaptiveLobatto with the absolute tolerance
// eps. Nothing is kept between calls.
double BivariateNormalCdf(double x, double y, double mu1, double mu2, double sigma1, double sigma2,
                          double rho, double eps);
