#include "app/xyplot/xy_plot_settings.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "analysis/parameter_names.h"
#include "numerics/rounding.h"

namespace {

// Parameter labels of the X-Y plot by their ids in the label table.
constexpr int kAlphaLabel = 0;
constexpr int kPowerLabel = 1;
constexpr int kTotalSampleSizeLabel = 2;

// Defaults of the rows: from, to, step, layer step.
constexpr PlotSettings::Range kDefaultRanges[4] = {
    {0.05, 0.4, 0.01, 0.05},
    {0.6, 0.95, 0.01, 0.05},
    {0.1, 0.5, 0.01, 0.05},
    {10, 100, 5, 10},
};

std::string LabelOf(ParameterId id) {
    if (id < 0 || id >= kParameterNameCount) return std::string();
    return ParameterNames[id];
}

// Lines joined by line breaks, numbers in the stream's default format.
class Lines {
  public:
    template <class... Parts>
    Lines& Line(const Parts&... parts) {
        if (!first_) out_ << '\n';
        first_ = false;
        (out_ << ... << parts);
        return *this;
    }
    std::string Text() const { return out_.str(); }

  private:
    std::ostringstream out_;
    bool first_ = true;
};

}  // namespace

bool XYPlotRolesFor(int analysisCode, bool generic, std::array<int, 4>* roles) {
    switch (analysisCode) {
        case kAPriori:
            *roles = {3, 1, 2, 0};
            return true;
        case kSensitivity:
            *roles = generic ? std::array<int, 4>{2, 1, 0, 3} : std::array<int, 4>{2, 3, 1, 0};
            return true;
        case kPostHoc:
        case kCompromise:
            *roles = generic ? std::array<int, 4>{1, 2, 0, 3} : std::array<int, 4>{1, 3, 0, 2};
            return true;
        case kCriterion:
            *roles = generic ? std::array<int, 4>{0, 2, 1, 3} : std::array<int, 4>{0, 3, 1, 2};
            return true;
        default:
            return false;
    }
}

PlotSettings::PlotSettings() = default;

PlotSettings::~PlotSettings() {
    parameters.Clear();
}

void PlotSettings::InitFromAnalysis(PowerAnalysis* current, int yRoleIndex, int xRoleIndex,
                                    int layerRoleIndex, int constantRoleIndex) {
    tableCurves.clear();
    drawCurves.clear();
    prototype = current;
    interpolateOnly = true;
    test.reset(current ? current->Clone() : nullptr);
    yRole = xRole = layerRole = constantRole = -1;
    curveCount = 1;
    BuildParameterList();
    if (test) {
        value = {test->alpha, test->power, test->effectSize, test->sampleSize};
    }
    for (int p = 0; p < 4; ++p) range[p] = kDefaultRanges[p];
    SetYRole(yRoleIndex);
    SetXRole(xRoleIndex);
    SetLayerRole(layerRoleIndex);
    SetConstantRole(constantRoleIndex);
}

void PlotSettings::BuildParameterList() {
    parameters.Clear();
    for (std::string& name : names) name.clear();
    names[kAlpha] = LabelOf(kAlphaLabel);
    names[kPower] = LabelOf(kPowerLabel);
    const bool generic = !test || test->IsGenericTest();
    if (!generic) {
        names[kEffect] = LabelOf(test->GetEffectSizeId());
        names[kTotalSampleSize] = LabelOf(kTotalSampleSizeLabel);
    } else {
        names[kEffect] = test ? LabelOf(test->GetNoncentralityId()) : std::string();
    }
    const int count = generic ? 3 : 4;
    for (int p = 0; p < count; ++p) parameters.push_back(new Property(names[p]));
}

// ------------------------------------------------------------ roles

void PlotSettings::AssignRole(int* which, int p) {
    if (*which == p) return;
    const int previous = *which;
    *which = p;
    // The role that held p takes this role's previous parameter, through its
    // own setter so that its fields reload as well.
    int* const roles[] = {&yRole, &xRole, &layerRole, &constantRole};
    for (int* other : roles) {
        if (other == which || *other != p) continue;
        if (other == &yRole) SetYRole(previous);
        if (other == &xRole) SetXRole(previous);
        if (other == &layerRole) SetLayerRole(previous);
        if (other == &constantRole) SetConstantRole(previous);
        break;
    }
    ReloadFields(which);
}

void PlotSettings::ReloadFields(const int* which) {
    const int p = *which;
    if (p < 0 || p > 3) return;
    if (which == &xRole) {
        xFrom = range[p].from;
        xTo = range[p].to;
        xStep = range[p].step;
    } else if (which == &layerRole) {
        layerFrom = range[p].from;
        layerStep = range[p].layerStep;
        layerSingleValue = value[p];
    } else if (which == &constantRole) {
        constantValue = value[p];
    }
}

void PlotSettings::SetYRole(int p) {
    if (p == yRole) return;
    AssignRole(&yRole, p);
    switch (yRole) {
        case kAlpha:
            analysisType = kCriterion;
            break;
        case kPower:
            analysisType = kPostHoc;
            break;
        case kEffect:
            analysisType = kSensitivity;
            break;
        case kTotalSampleSize:
            analysisType = kAPriori;
            break;
        default:
            break;
    }
}

void PlotSettings::SetXRole(int p) {
    AssignRole(&xRole, p);
}

void PlotSettings::SetLayerRole(int p) {
    AssignRole(&layerRole, p);
}

void PlotSettings::SetConstantRole(int p) {
    AssignRole(&constantRole, p);
}

void PlotSettings::SetXRange(double from, double to, double step) {
    xFrom = from;
    xTo = to;
    xStep = step;
}

void PlotSettings::SetLayerRange(double from, double step) {
    layerFrom = from;
    layerStep = step;
}

void PlotSettings::CommitRanges() {
    if (xRole >= 0 && xRole < 4) {
        range[xRole].from = xFrom;
        range[xRole].to = xTo;
        range[xRole].step = xStep;
    }
    if (layerRole >= 0 && layerRole < 4) {
        range[layerRole].from = layerFrom;
        range[layerRole].layerStep = layerStep;
    }
    if (constantRole >= 0 && constantRole < 4) value[constantRole] = constantValue;
}

// ------------------------------------------------------------ checks

bool PlotSettings::CheckParameterValue(int type, int p, double v) {
    if (!test) return false;
    switch (p) {
        case kAlpha:
            return test->CheckAlpha(type, v);
        case kPower:
            return test->CheckPower(type, v);
        case kEffect:
            return test->CheckEffectSize(type, v);
        case kTotalSampleSize:
            if (test->exactFlag) {
                const double g = RoundTo(v / (test->allocationRatio + 1.0), 0);
                if (!test->CheckGroupSizes(type, g, v - g)) return false;
            }
            return test->CheckSampleSize(type, v);
        default:
            return true;
    }
}

int PlotSettings::Report(int field) {
    message = test ? test->GetMessage() : std::string();
    return field;
}

double PlotSettings::EndTolerance() const {
    // xTo * 1e-6 would be negative for a negative end and cut off the last
    // point; the step keeps it from vanishing at an end of 0.
    return std::max(std::fabs(xTo), xStep) * 1e-6;
}

int PlotSettings::TablePointCount() const {
    if (!(xStep > 0) || !(xFrom <= xTo)) return 0;
    const double tol = EndTolerance();
    int n = 0;
    for (double x = xFrom; x <= xTo + tol; x = xFrom + (++n) * xStep) {
        if (n >= kMaxPointsPerCurve) break;
    }
    return n;
}

int PlotSettings::Validate() {
    if (!test) {
        message = "There is no test to plot.";
        return 0;
    }
    test->ClearMessage();
    message.clear();
    layerLast = layerFrom + (curveCount - 1) * layerStep;

    // Written so that a NaN fails each comparison.
    if (!(xFrom < xTo)) {
        message =
            "The end value of the independent variable range\nmust be greater than the start value";
        return 2;
    }
    if (!(xStep > 0)) {
        message = "The step size of the independent variable\nmust be a positive value";
        return 1;
    }
    if (!std::isfinite(xFrom) || !std::isfinite(xTo) ||
        (xTo - xFrom) / xStep >= kMaxPointsPerCurve) {
        std::ostringstream text;
        text << "The range of the independent variable holds too many points\n(at most "
             << kMaxPointsPerCurve << " per curve)";
        message = text.str();
        return 1;
    }
    if (!CheckParameterValue(analysisType, xRole, xFrom)) return Report(0);
    if (!CheckParameterValue(analysisType, xRole, xTo)) return Report(2);

    const bool fourParameters = ParameterCount() == 4;
    if (xRole == kPower) {
        auto powerText = [&](const char* last, double v) {
            return Lines()
                .Line("The start value of the independent variable power")
                .Line("(=", xFrom, ") must be greater than or equal to")
                .Line(last, v, ")!")
                .Text();
        };
        if (curveCount > 1 && layerRole == kAlpha && layerLast > xFrom) {
            message = powerText("the largest value of the layer variable $\\alpha$ (=", layerLast);
            return 0;
        }
        if (curveCount == 1 && layerRole == kAlpha && layerSingleValue > xFrom) {
            message =
                powerText("the value of the constant variable $\\alpha$ (=", layerSingleValue);
            return 0;
        }
        if (fourParameters && constantRole == kAlpha && constantValue > xFrom) {
            message = powerText("the value of the constant variable $\\alpha$ (=", constantValue);
            return 0;
        }
    } else if (xRole == kTotalSampleSize) {
        if (xStep < 1 || xStep - std::floor(xStep) > 1e-10) {
            message =
                "The step size of the independent variable total sample size\nmust be an integer "
                "value greater 1.";
            return 1;
        }
    }

    if (curveCount > 1) {
        if (!(layerStep > 0)) {
            message = "The step size of the layer variable \nmust be a positive value.";
            return 4;
        }
        if (!std::isfinite(layerFrom) || !std::isfinite(layerLast)) {
            message = "The values of the layer variable must be finite numbers.";
            return std::isfinite(layerFrom) ? 4 : 3;
        }
        if (!CheckParameterValue(analysisType, layerRole, layerFrom)) return Report(3);
        if (!CheckParameterValue(analysisType, layerRole, layerLast)) return Report(4);
        if (layerRole == kPower) {
            auto powerText = [&](const char* last, double v) {
                return Lines()
                    .Line("The start value of the layer variable power")
                    .Line("(=", layerFrom, ") must be greater than or equal to")
                    .Line(last, v, ")!")
                    .Text();
            };
            if (xRole == kAlpha && xTo > layerFrom) {
                message =
                    powerText("the largest value of the independent variable $\\alpha$ (=", xTo);
                return 3;
            }
            if (fourParameters && constantRole == kAlpha && constantValue > layerFrom) {
                message =
                    powerText("the value of the constant variable $\\alpha$ (=", constantValue);
                return 3;
            }
        }
    } else {
        if (!std::isfinite(layerSingleValue)) {
            message = "The value of the layer variable must be a finite number.";
            return 3;
        }
        if (!CheckParameterValue(analysisType, layerRole, layerSingleValue)) return Report(3);
        if (layerRole == kPower) {
            if (xRole == kAlpha && xTo > layerSingleValue) {
                message = Lines()
                              .Line("The power must be greater than or equal to")
                              .Line("the largest value of the independent variable $\\alpha$ (",
                                    xTo, ")!")
                              .Text();
                return 3;
            }
            if (fourParameters && constantRole == kAlpha && constantValue > layerSingleValue) {
                message = "The power must be greater than or equal to $\\alpha$!";
                return 3;
            }
        }
    }

    if (!fourParameters) return -1;
    if (!std::isfinite(constantValue)) {
        message = "The value of the constant variable must be a finite number.";
        return 5;
    }
    if (!CheckParameterValue(analysisType, constantRole, constantValue)) return Report(5);
    if (constantRole == kPower) {
        if (xRole == kAlpha && xTo > constantValue) {
            message =
                Lines()
                    .Line("The power must be greater than or equal to")
                    .Line("the largest value of the independent variable $\\alpha$ (", xTo, ")!")
                    .Text();
            return 5;
        }
        const double largestAlpha = curveCount > 1 ? layerLast : layerSingleValue;
        if (layerRole == kAlpha && largestAlpha > constantValue) {
            message = "The power must be greater than or equal to $\\alpha$!";
            return 5;
        }
    }
    return -1;
}
