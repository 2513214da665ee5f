#pragma once

// Included by the widget tests of the grid: gives them a QApplication on the
// offscreen platform, created when the tests run (not when they are listed).

#include <gtest/gtest.h>

#include <QApplication>
#include <QtGlobal>
#include <memory>

class GridQtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[8] = "test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kGridQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new GridQtEnvironment);

#include <map>
#include <vector>

#include "ui/grid/grid_ctrl.h"

// An owner that records every notification and answers with the value set
// for its code (0 when none is set).
class FakeGridOwner : public IGridOwner {
  public:
    long OnGridNotify(const GridNotify& note) override {
        notes.push_back(note);
        const auto answer = answers.find(note.code);
        return answer == answers.end() ? 0 : answer->second;
    }
    long OnGridDispInfo(GridDispInfo& info) override {
        ++dispInfoRequests;
        info.text = QStringLiteral("r%1c%2").arg(info.row).arg(info.col);
        return 0;
    }
    long OnGridCacheHint(CGridCtrl*, const CCellRange& range) override {
        hints.push_back(range);
        return 0;
    }
    void OnGridCommand(CGridCtrl*) override { ++commands; }

    // The codes received, in order.
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const GridNotify& note : notes) codes.push_back(note.code);
        return codes;
    }
    int Count(int code) const {
        int n = 0;
        for (const GridNotify& note : notes) n += note.code == code ? 1 : 0;
        return n;
    }

    std::vector<GridNotify> notes;
    std::map<int, long> answers;
    std::vector<CCellRange> hints;
    int dispInfoRequests = 0;
    int commands = 0;
};

// A grid of `rows` x `cols` with uniform sizes in a client area of w x h
// pixels (no frame).
inline void ShapeGrid(CGridCtrl& grid, int rows, int cols, int fixedRows, int fixedCols,
                      int colWidth, int rowHeight, int w, int h) {
    grid.resize(w, h);
    grid.SetRowCount(rows);
    grid.SetColumnCount(cols);
    grid.SetFixedRowCount(fixedRows);
    grid.SetFixedColumnCount(fixedCols);
    for (int c = 0; c < cols; ++c) grid.SetColumnWidth(c, colWidth);
    for (int r = 0; r < rows; ++r) grid.SetRowHeight(r, rowHeight);
}
