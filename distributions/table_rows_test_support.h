#pragma once

// The tables of verification/distributions2 have the row shape of the other
// distribution tables; one reader serves both folders.

#include <string>
#include <vector>

#include "distributions/reference_rows_test_support.h"

inline std::vector<ReferenceRow> ReadTableRows(const std::string& file, const std::string& family) {
    return ReadRowsFrom("verification/distributions2", file, family);
}
