#pragma once

// The rows of verification/panels/rm_manova_reference.csv of one kind: the
// cells a..g as text and the expected value.

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace rm_manova_test {

struct Row {
    std::array<std::string, 7> cell;
    double expected = 0.0;
    double Num(int i) const { return std::stod(cell[i]); }
    int Int(int i) const { return std::stoi(cell[i]); }
};

inline std::vector<Row> Rows(const std::string& kind) {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/panels/rm_manova_reference.csv");
    std::vector<Row> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string cell;
        std::getline(cells, cell, ',');
        if (cell != kind) continue;
        Row row;
        for (std::string& c : row.cell) std::getline(cells, c, ',');
        std::getline(cells, cell, ',');
        row.expected = std::stod(cell);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace rm_manova_test
