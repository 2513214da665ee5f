#pragma once

// Tail probabilities and critical counts of a binomial variable X with n
// trials (a whole number) and success probability p, for the exact tests.
//
// Both tails are computed as quantities of their own, never the upper one as
// one minus the lower, so that the size of a far tail keeps its digits. The
// counts are whole numbers found by a search over the tails themselves; an
// approximation only gives the first guess, so that a count never depends on
// how good that guess was. Counts are doubles, because N may exceed the range
// of an int.
class BinomialTails {
  public:
    BinomialTails(double n, double p) : n_(n), p_(p) {}

    double Trials() const { return n_; }
    double Probability() const { return p_; }

    // P(X <= k): 0 below 0, 1 from n on.
    double AtMost(double k) const;
    // P(X >= k): 1 at or below 0, 0 above n.
    double AtLeast(double k) const;
    // P(X = k); 0 outside 0..n.
    double Exactly(double k) const;

    // Whether a tail is at most, or below, a size a. A tail that holds
    // exactly a (8/128 = 1/16 for 7 trials at 1/2) comes from the
    // incomplete beta ratio some ulps off; within a few ulps of a it counts
    // as a, so that a region of size exactly alpha is one of size alpha.
    static bool WithinSize(double tail, double a);
    static bool BelowSize(double tail, double a);

    // The smallest count k in 0..n+1 with P(X >= k) <= a: the first count of
    // an upper rejection region of size at most a (n + 1: no region fits).
    double UpperCount(double a) const;
    // The largest count k in -1..n with P(X <= k) <= a: the last count of a
    // lower rejection region of size at most a (-1: no region fits).
    double LowerCount(double a) const;
    // The largest count k in 0..n with P(X >= k) >= t.
    double UpperCountReaching(double t) const;
    // The smallest count k in 0..n with P(X <= k) >= t.
    double LowerCountReaching(double t) const;

  private:
    // A whole count near the first at which the lower tail reaches prob.
    double Guess(double prob) const;

    double n_;
    double p_;
};

// The tails of X ~ Bin(k, p) at one count c, carried from k trials to k + 1
// and from c to its neighbours by the recurrences of the probabilities:
// a few operations a step, where a fresh tail costs an incomplete beta
// ratio. Made for sums over consecutive numbers of trials whose counts of
// interest move by a step or two at a time (the exact power of McNemar's
// test). Both tails are kept as quantities of their own; every 1024 trials,
// and whenever the probability of c has underflowed on the way, they are
// computed afresh, so that the rounding of the steps stays near 1e-13 of
// each tail. Where even the fresh probability of c underflows, c lies so
// far out that its tails are 0 and 1 to the last digit, and they are kept
// so until the next fresh start (the counts of McNemar's test move away
// from the bulk of H1 there, at 1/2 a pair against p2).
class BinomialLadder {
  public:
    explicit BinomialLadder(double p) : p_(p), q_(1.0 - p) {}

    // Fresh tails of k trials at count c (clamped to 0..k).
    void Start(double k, double c);
    // From k trials to k + 1 at the same count.
    void AddTrial();

    double Trials() const { return k_; }
    // P(X >= c) and P(X <= c) for any whole c, moving to it (clamped to
    // 0..k) by single counts.
    double AtLeast(double c);
    double AtMost(double c);

  private:
    void MoveTo(double c);

    double p_;
    double q_;
    double k_ = 0.0;
    double c_ = 0.0;
    double mass_ = 1.0;   // P(X = c)
    double upper_ = 1.0;  // P(X >= c)
    double lower_ = 1.0;  // P(X <= c)
    int sinceStart_ = 0;
    bool saturated_ = false;  // P(X = c) underflows even when fresh
};
