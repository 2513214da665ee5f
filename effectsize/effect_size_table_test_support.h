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

inline std::vector<ReferenceRow> ReferenceRows(const std::string& kind) {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/panels/effect_sizes.csv");
    std::vector<ReferenceRow> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string cell;
        std::getline(cells, cell, ',');
        if (cell != kind) continue;
        ReferenceRow row;
        for (int i = 0; i < 5; ++i) {
            std::getline(cells, cell, ',');
            row.text[i] = cell;
            row.in[i] = cell.empty() ? std::nan("") : std::stod(cell);
        }
        std::getline(cells, cell, ',');
        row.expected = std::stod(cell);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace effectsize_test
