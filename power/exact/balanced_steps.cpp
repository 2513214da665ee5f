#include "power/exact/balanced_steps.h"

#include <algorithm>
#include <cmath>

namespace balanced_steps {

namespace {

// The tails of H0 at the counts a rule may reach for alphas in [lo, hi]:
// F(l) for l in lBegin..lEnd, S(u) for u in uBegin..uEnd, each computed
// once, and the counts the rule takes read from them as the tails
// themselves give them.
class TailTable {
  public:
    TailTable(const BinomialTails& h0, double lo, double hi) : n_(h0.Trials()) {
        lBegin_ = std::max(h0.LowerCount(lo / 2.0) - 2.0, -1.0);
        lEnd_ = std::min(std::max(h0.LowerCount(hi), h0.LowerCount(hi / 2.0) + 1.0) + 2.0, n_);
        uBegin_ = std::max(std::min(h0.UpperCount(hi), h0.UpperCount(hi / 2.0) - 1.0) - 2.0, 0.0);
        uEnd_ = std::min(h0.UpperCount(lo / 2.0) + 2.0, n_ + 1.0);
        h0_ = &h0;
    }

    double Counts() const { return (lEnd_ - lBegin_ + 1.0) + (uEnd_ - uBegin_ + 1.0); }

    void Fill() {
        for (double l = lBegin_; l <= lEnd_; l += 1.0) lower_.push_back(h0_->AtMost(l));
        for (double u = uBegin_; u <= uEnd_; u += 1.0) upper_.push_back(h0_->AtLeast(u));
    }

    double LBegin() const { return lBegin_; }
    double LEnd() const { return lEnd_; }
    double UBegin() const { return uBegin_; }
    double UEnd() const { return uEnd_; }

    // P(X <= l) and P(X >= u), clamped to the counts held.
    double F(double l) const {
        if (l < 0.0) return 0.0;
        return lower_[Index(std::clamp(l, lBegin_, lEnd_) - lBegin_)];
    }
    double S(double u) const {
        if (u > n_) return 0.0;
        return upper_[Index(std::clamp(u, uBegin_, uEnd_) - uBegin_)];
    }

    // The largest count held with F(l) <= x, as BinomialTails::LowerCount
    // compares (lBegin where none is).
    double LowerCount(double x) const {
        const auto it = std::partition_point(lower_.begin(), lower_.end(), [&](double f) {
            return BinomialTails::WithinSize(f, x);
        });
        return lBegin_ + static_cast<double>(it - lower_.begin()) - 1.0;
    }
    // The smallest count held with S(u) <= x, as BinomialTails::UpperCount
    // compares (uEnd where none is).
    double UpperCount(double x) const {
        const auto it = std::partition_point(upper_.begin(), upper_.end(), [&](double s) {
            return !BinomialTails::WithinSize(s, x);
        });
        return std::min(uBegin_ + static_cast<double>(it - upper_.begin()), uEnd_);
    }
    // The first count held whose upper tail lies below x, and the last
    // whose upper tail exceeds x.
    double FirstUpperBelow(double x) const {
        const auto it =
            std::partition_point(upper_.begin(), upper_.end(), [&](double s) { return s >= x; });
        return uBegin_ + static_cast<double>(it - upper_.begin());
    }
    double LastUpperAbove(double x) const {
        const auto it =
            std::partition_point(upper_.begin(), upper_.end(), [&](double s) { return s > x; });
        return uBegin_ + static_cast<double>(it - upper_.begin()) - 1.0;
    }

  private:
    static std::size_t Index(double k) { return static_cast<std::size_t>(k); }

    const BinomialTails* h0_ = nullptr;
    double n_;
    double lBegin_, lEnd_, uBegin_, uEnd_;
    std::vector<double> lower_;
    std::vector<double> upper_;
};

// A margin for tails that the rules compare within a few ulps.
constexpr double kMargin = 1e-12;

}  // namespace

bool StepStarts(const BinomialTails& h0, Rule rule, double lo, double hi, std::size_t limit,
                std::vector<double>* starts) {
    starts->clear();
    TailTable table(h0, lo, hi);
    if (table.Counts() > static_cast<double>(limit)) return false;
    table.Fill();
    std::vector<double>& out = *starts;
    out.push_back(lo);
    auto add = [&](double t) {
        if (lo < t && t <= hi) out.push_back(t);
    };
    const double n = h0.Trials();
    for (double l = std::max(table.LBegin(), 0.0); l <= table.LEnd(); l += 1.0) {
        add(table.F(l));
        add(2.0 * table.F(l));
    }
    for (double u = table.UBegin(); u <= std::min(table.UEnd(), n); u += 1.0) {
        add(table.S(u));
        add(2.0 * table.S(u));
    }
    // Whether the regions X <= l and X >= u can be the size a rule compares
    // with alpha t: each lies within a count of the regions of t/2, and a
    // rule that grows them to alpha reaches no further than the regions of
    // t alone.
    auto plausible = [&](double l, double u, double t) {
        const double lowerHalf = std::max(table.LowerCount(t / 2.0), 0.0);
        const double upperHalf = table.UpperCount(t / 2.0);
        if (rule == Rule::kRestToTails) {
            return std::fabs(l - lowerHalf) <= 1.0 && std::fabs(u - upperHalf) <= 1.0;
        }
        const double lowerWhole = std::max(table.LowerCount(t), lowerHalf);
        const double upperWhole = std::min(table.UpperCount(t), upperHalf);
        return lowerHalf - 1.0 <= l && l <= lowerWhole + 1.0 && upperWhole - 1.0 <= u &&
               u <= upperHalf + 1.0;
    };
    for (double l = std::max(table.LBegin(), 0.0); l <= table.LEnd(); l += 1.0) {
        // A lower region within a count of that of t/2 holds more than t/2
        // two counts on, and an upper one within a count of it holds more
        // than t/2 two counts back: both tails are of like size.
        const double fl = table.F(l);
        const double reach = l + 2.0 <= n ? 2.0 * table.F(l + 2.0) * (1.0 + kMargin) : 2.0;
        const double first = std::max({table.FirstUpperBelow(reach), table.UBegin(), l + 1.0});
        const double last =
            std::min({table.LastUpperAbove(0.5 * fl * (1.0 - kMargin)) + 2.0, table.UEnd(), n});
        for (double u = first; u <= last; u += 1.0) {
            const double t = fl + table.S(u);
            if (lo < t && t <= hi && plausible(l, u, t)) out.push_back(t);
            if (out.size() > limit) {
                out.clear();
                return false;
            }
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return true;
}

Envelope Largest(const BinomialTails& h0, double alpha) {
    const double n = h0.Trials();
    const double lower =
        std::max({h0.LowerCount(alpha), std::max(h0.LowerCount(alpha / 2.0), 0.0) + 1.0, 0.0});
    const double upper = std::min({h0.UpperCount(alpha), h0.UpperCount(alpha / 2.0) - 1.0, n});
    return {std::min(lower, n), std::max(upper, 0.0)};
}

Envelope Smallest(const BinomialTails& h0, double alpha) {
    const double n = h0.Trials();
    return {std::max(h0.LowerCount(alpha / 2.0) - 1.0, -1.0),
            std::min(h0.UpperCount(alpha / 2.0) + 1.0, n + 1.0)};
}

}  // namespace balanced_steps
