#pragma once

// Where the regions of a two-tailed binomial test move as alpha moves, when
// a balancing rule builds them. With alpha/2 on each side the regions only
// grow with alpha; a rule that hands what alpha/2 leaves unused to the
// tails may take a count back when alpha/2 itself moves a count, so that
// the power falls where alpha rises. A search over alpha that assumes a
// rising power then stops at a step that is not the first to reach a
// target, or misses a ratio nearer to q.
//
// Each rule compares only tails of H0, and sums of one lower and one upper
// tail, with alpha or alpha/2: every region it builds stays the same
// between two alphas of the forms F(l), 2 F(l), S(u), 2 S(u) or
// F(l) + S(u) (F the lower tail, S the upper one). The list below holds
// every such alpha a rule can meet, so that a search that tries one alpha
// on each side of each of them has tried every region.

#include <cstddef>
#include <vector>

#include "power/exact/binomial_tails.h"

namespace balanced_steps {

// The rule that builds the regions: the rest of alpha to the tails, one
// count each at most, or both regions grown from alpha/2 while the total
// stays below alpha.
enum class Rule { kRestToTails, kGrowToAlpha };

// The alphas in [lo, hi] (0 < lo <= hi) at which the regions built by
// `rule` under H0 may change, in ascending order, with lo itself first.
// False, with `starts` left empty, where more than `limit` of them would
// be needed: a large N whose tails change little from count to count.
bool StepStarts(const BinomialTails& h0, Rule rule, double lo, double hi, std::size_t limit,
                std::vector<double>* starts);

// The counts of the largest regions `rule` may build at alpha (a lower
// region X <= lower, an upper one X >= upper, either possibly empty), and
// of the smallest: the power of the first never falls short of the power
// at alpha, that of the second never exceeds it, and both grow with alpha.
struct Envelope {
    double lower;
    double upper;
};
Envelope Largest(const BinomialTails& h0, double alpha);
Envelope Smallest(const BinomialTails& h0, double alpha);

}  // namespace balanced_steps
