#pragma once

// The rows of verification/panels/regression_effects.csv of one kind: the
// numbers after the kind, as written (the texts a user would type) and as
// doubles.

#include <string>
#include <utility>
#include <vector>

#include "effectsize/effect_size_table_test_support.h"

namespace regression_reference {

struct Row {
    std::vector<std::string> text;
    std::vector<double> value;
};

inline std::vector<Row> Rows(const std::string& kind) {
    std::vector<Row> rows;
    for (auto& cells :
         effectsize_test::TableRows("verification/panels/regression_effects.csv", kind)) {
        Row row;
        for (const std::string& cell : cells) row.value.push_back(std::stod(cell));
        row.text = std::move(cells);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace regression_reference
