#pragma once

// Reading the committed reference tables of verification/distributions and
// verification/distributions2 in the distribution tests. Rows:
// family,function,p0,p1,p2,arg,expected.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/quorix_error.h"

struct ReferenceRow {
    std::string source;
    std::string family;
    std::string function;
    double p[3];
    double arg;
    double expected;
};

// The rows of one family in `file` of the table folder `folder` below the
// source root; the first line is the header, blank lines are passed over.
inline std::vector<ReferenceRow> ReadRowsFrom(const std::string& folder, const std::string& file,
                                              const std::string& family) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/" + folder + "/" + file);
    EXPECT_TRUE(in.good()) << folder << "/" << file;
    std::vector<ReferenceRow> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::stringstream ss(line);
        ReferenceRow r;
        r.source = file;
        std::string field;
        std::getline(ss, r.family, ',');
        std::getline(ss, r.function, ',');
        for (double& v : r.p) {
            std::getline(ss, field, ',');
            v = std::stod(field);
        }
        std::getline(ss, field, ',');
        r.arg = std::stod(field);
        std::getline(ss, field, ',');
        r.expected = std::stod(field);
        if (r.family == family) rows.push_back(r);
    }
    return rows;
}

inline std::vector<ReferenceRow> ReadReferenceRows(const std::string& file,
                                                   const std::string& family) {
    return ReadRowsFrom("verification/distributions", file, family);
}

inline std::string Describe(const ReferenceRow& r) {
    std::ostringstream os;
    os.precision(17);
    os << r.source << ": " << r.family << " " << r.function << "(" << r.arg << ") with " << r.p[0]
       << ", " << r.p[1] << ", " << r.p[2];
    return os.str();
}

// |got - expected| <= rel * |expected|, printed with the row.
inline void ExpectRelative(double got, const ReferenceRow& r, double rel) {
    EXPECT_NEAR(got, r.expected, rel * std::fabs(r.expected)) << Describe(r);
}

// Runs f and checks that it throws QuorixError with exactly this message,
// code and value.
template <typename F>
void ExpectQuorixError(F f, const std::string& message, int code, double value,
                       const std::string& what) {
    try {
        f();
        ADD_FAILURE() << what << ": no QuorixError, expected \"" << message << "\"";
    } catch (const QuorixError& e) {
        EXPECT_EQ(std::string(e.what()), message) << what;
        EXPECT_EQ(e.GetCode(), code) << what;
        if (std::isnan(value)) {
            EXPECT_TRUE(std::isnan(e.GetValue())) << what;
        } else {
            EXPECT_EQ(e.GetValue(), value) << what;
        }
    }
}
