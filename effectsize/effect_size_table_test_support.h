#pragma once

// The rows of verification/panels/effect_sizes.csv of one kind: up to five
// inputs (NaN where a cell is empty) and the expected value.

#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace effectsize_test {

struct ReferenceRow {
    std::array<double, 5> in{};
    std::array<std::string, 5> text{};  // the inputs as written in the table
    double expected = 0.0;
};

// The cells after the kind of each row of the table `path` (below the
// source tree) whose first cell is `kind`, as written.
inline std::vector<std::vector<std::string>> TableRows(const std::string& path,
                                                       const std::string& kind) {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR "/") + path);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string cell;
        std::getline(cells, cell, ',');
        if (cell != kind) continue;
        std::vector<std::string> row;
        while (std::getline(cells, cell, ',')) row.push_back(cell);
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<ReferenceRow> ReferenceRows(const std::string& kind) {
    std::vector<ReferenceRow> rows;
    for (const auto& cells : TableRows("verification/panels/effect_sizes.csv", kind)) {
        ReferenceRow row;
        for (int i = 0; i < 5; ++i) {
            row.text[i] = cells.at(i);
            row.in[i] = cells.at(i).empty() ? std::nan("") : std::stod(cells.at(i));
        }
        row.expected = std::stod(cells.at(5));
        rows.push_back(row);
    }
    return rows;
}

}  // namespace effectsize_test
