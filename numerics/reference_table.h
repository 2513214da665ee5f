#pragma once

// Reader of the reference tables under verification/ for the tests: one
// case per line, tokens separated by blanks, '#' starts a comment line.
// Numbers are read with strtod, so a table written with repr() gives back
// exactly the double its reference value was computed at.

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ReferenceRow {
    std::string name;            // first token when the table names routines
    std::vector<double> values;  // the remaining tokens
    std::string text;            // the whole line, for failure messages
};

// Rows of the table at path relative to the source root; named tables have
// a routine name as their first token. Returns an empty vector when the
// file cannot be read (the caller's expectations on the size catch that).
inline std::vector<ReferenceRow> ReadReferenceTable(const std::string& relative_path, bool named) {
    std::vector<ReferenceRow> rows;
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/" + relative_path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream tokens(line);
        ReferenceRow row;
        row.text = line;
        std::string token;
        if (named) tokens >> row.name;
        while (tokens >> token) row.values.push_back(std::strtod(token.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}
