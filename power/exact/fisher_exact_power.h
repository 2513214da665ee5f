#pragma once

#include <vector>

// The conditional test of a 2x2 table and its unconditional power.
//
// Two independent groups, the reference group a with na subjects and the
// other group b with nb, N = na + nb. Given the total number of successes m
// (the margin), the reference group's count X is hypergeometric under H0,
// whatever the common proportion; the conditional test rejects some counts
// of each margin. The power is the probability of the rejected tables when
// the groups have the proportions pa and pb, the size their probability
// when both have p0:
//
//   power = sum over m and rejected x of b(x; na, pa) b(m - x; nb, pb)
//   size  = sum over m of b(m; N, p0) P0(rejected | m)
//
// Both are sums of the rejected terms themselves, never one minus an
// acceptance probability, so that a size of 1e-19 keeps its digits.
//
// Cost: the rejected counts of a margin depend on the design only; they are
// found once per margin, by the hypergeometric terms from one saddle-point
// value and the ratio of consecutive terms, and kept while the design stays
// the same (the Sensitivity search moves only the proportions). The margins
// are walked outward from the most probable one until their whole weight is
// negligible against the sum, and within a margin the rejected terms are
// summed outward from the largest, so an evaluation costs about N terms
// where the tables have mass.
class FisherExactPower {
  public:
    // How the two-sided test orders the tables when it widens its
    // acceptance interval.
    enum Statistic : int { kFisher = 0, kLikelihoodRatio = 1, kPearson = 2 };
    // How the two-sided test shares alpha between the tails.
    enum Balancing : int { kSymmetrical = 0, kMaximizeAlpha = 1 };

    struct Design {
        int referenceSize = 1;  // na
        int otherSize = 1;      // nb
        double alpha = 0.05;
        bool oneTailed = true;
        int statistic = kFisher;
        int balancing = kSymmetrical;
        bool operator==(const Design&) const = default;
    };

    // The counts x < lower and x > upper of a margin are rejected; size is
    // their probability under H0 given the margin.
    struct Region {
        int lower = 0;
        int upper = 0;
        double size = 0.0;
    };

    // beta, the probability of the accepted tables under H1, is summed only
    // when asked for (Compromise); the margins are then walked until their
    // weight is negligible against the smaller of power and beta.
    struct Result {
        double power = 0.0;
        double size = 0.0;
        double beta = 0.0;
    };

    // Something to call now and then; it leaves by an exception when the
    // computation is to stop.
    class Poll {
      public:
        virtual ~Poll() = default;
        virtual void operator()() = 0;
    };

    // One tail rejects the small counts of the reference group: the
    // counts whose lower tail probability stays below alpha (at most alpha
    // when the counts below the rounded mean already hold alpha or more).
    // Two tails reject outside the acceptance interval that grows from the
    // mean by the more probable neighbour (the lower one on a tie) until it
    // holds 1 - alpha; the symmetrical balancing then widens the side whose
    // end has the smaller statistic by the counts whose statistic does not
    // exceed the other end's.
    Region RegionOf(const Design& design, int m);

    Result Compute(const Design& design, double pa, double pb, double p0, Poll& poll,
                   bool withBeta = false);

    // Whether the power of Compute (summed to its own rounding) reaches
    // `target`, told from part of the margins where they settle it: +1 it
    // does, -1 it does not, 0 it lies too near the target to tell without
    // them all. The margins are taken from the most probable one outward,
    // the heavier end first; each adds its rejected mass to a lower bound
    // of the power and its whole mass to what is known to lie outside the
    // rest, so that the power lies below the rejected mass so far plus the
    // mass of the margins not yet taken.
    int Reaches(const Design& design, double pa, double pb, double target, Poll& poll);

  private:
    void UseDesign(const Design& design);
    // The hypergeometric terms of margin m in window_, from windowLow_ on;
    // without `above`, those up to the mean only.
    void FillTerms(int m, bool above);
    void FillTermsAbove(int m);
    double Term(int x) const;
    double Statistic(int x, int m) const;
    Region Build(int m);
    Region OneSided(int m, int first, int last);
    Region TwoSided(int m, int first, int last);

    // Sums over x in [s, t] of b(x; na, pa) b(m - x; nb, pb), outward from
    // the largest term.
    double SegmentSum(int m, int s, int t);
    int LargestTermAt(int m, int first, int last) const;
    // The largest term of margin m, b(x; na, pa) b(m - x; nb, pb).
    double LargestTerm(int m);
    // Sets the proportions of an evaluation and clears the masses.
    void UseProportions(double pa, double pb);
    double ReferenceMass(int x);
    double OtherMass(int y);

    Design design_;
    bool haveDesign_ = false;
    std::vector<Region> regions_;
    std::vector<char> ready_;

    std::vector<double> window_;
    std::vector<double> below_;
    int windowLow_ = 0;
    // The largest term so far of the window, where the terms above the
    // mean are still to come.
    double peak_ = 0.0;

    // Per evaluation: the proportions and the binomial masses of each group
    // (-1 until computed).
    double pa_ = 0.0, pb_ = 0.0, odds_ = 1.0;
    std::vector<double> referenceMass_;
    std::vector<double> otherMass_;
};
