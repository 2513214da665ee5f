#pragma once

// The explorer's results as lines of text, for comparing two ways of
// computing them: each block's caption, its tables (cells between tabs,
// one row a line), its failure and notes; or the reason nothing was
// computed with the place the user is sent to. UTF-8.

#include <optional>
#include <string>
#include <vector>

#include "glm/explorer_model.h"

inline std::string Utf8(const std::wstring& text) {
    std::string out;
    for (wchar_t wc : text) {
        const auto c = static_cast<unsigned long>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::string ReportText(const std::optional<ExplorerModel::Problem>& problem,
                              const std::vector<ReportBlock>& blocks) {
    std::string out;
    // Line breaks inside a text would end its line.
    auto line = [&out](const std::wstring& text) {
        std::string s = Utf8(text);
        for (char& ch : s)
            if (ch == '\n') ch = '|';
        out += s + "\n";
    };
    if (problem) {
        out += "problem " + std::to_string(problem->place) + " " + std::to_string(problem->row) +
               " " + std::to_string(problem->col) + ": ";
        line(problem->message);
    }
    auto table = [&](const ReportTable& t) {
        out += "table\n";
        for (const auto& row : t) {
            std::wstring joined;
            for (std::size_t i = 0; i < row.size(); ++i) joined += (i ? L"\t" : L"") + row[i];
            line(joined);
        }
    };
    for (const ReportBlock& block : blocks) {
        line(block.caption);
        table(block.cTable);
        table(block.aTable);
        for (const ReportTable& t : block.results) table(t);
        if (!block.failure.empty()) line(L"failure: " + block.failure);
        for (const std::wstring& note : block.notes) line(L"note: " + note);
    }
    return out;
}

// The General tab's settings each model is calculated with.
struct DocumentSettings {
    const char* name;
    ReportSettingsTexts texts;
};
inline const DocumentSettings kDocumentSettings[] = {
    {"post hoc, N 24", {L"0.05", L"0.80", L"24", false}},
    {"post hoc, alpha 0.01, N 60", {L"0.01", L"0.80", L"60", false}},
    {"a priori, power 0.9", {L"0.05", L"0.9", L"24", true}},
    {"post hoc, N 3", {L"0.05", L"0.80", L"3", false}},
};
