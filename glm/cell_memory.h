#pragma once

#include <map>
#include <string>
#include <utility>

// The texts of grid cells that a smaller size removed, by their place, so
// that growing the grid again brings them back instead of defaults.
class CellMemory {
  public:
    void Remember(int row, int col, const std::wstring& text) { texts_[{row, col}] = text; }
    // The remembered text at (row, col), else `fallback`.
    std::wstring Recall(int row, int col, const std::wstring& fallback) const {
        const auto found = texts_.find({row, col});
        return found == texts_.end() ? fallback : found->second;
    }
    void Forget() { texts_.clear(); }

  private:
    std::map<std::pair<int, int>, std::wstring> texts_;
};
