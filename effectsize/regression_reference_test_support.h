#pragma once

// The rows of verification/panels/regression_effects.csv of one kind: the
// numbers after the kind, as written (the texts a user would type) and as
// doubles.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace regression_reference {

struct Row {
    std::vector<std::string> text;
    std::vector<double> value;
};

inline std::vector<Row> Rows(const std::string& kind) {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/panels/regression_effects.csv");
    std::vector<Row> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string cell;
        std::getline(cells, cell, ',');
        if (cell != kind) continue;
        Row row;
        while (std::getline(cells, cell, ',')) {
            row.text.push_back(cell);
            row.value.push_back(std::stod(cell));
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace regression_reference
