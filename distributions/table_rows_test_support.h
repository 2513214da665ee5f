#pragma once

// Reads the committed reference tables of verification/distributions2 in
// the same row shape as the other distribution tables:
// family,function,p0,p1,p2,arg,expected.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "distributions/reference_rows_test_support.h"

inline std::vector<ReferenceRow> ReadTableRows(const std::string& file, const std::string& family) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/verification/distributions2/" + file);
    EXPECT_TRUE(in.good()) << file;
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
