#pragma once

// The math-text fonts for the plot tests that lay out labels: set up once
// per test program, torn down at its end.

#include <gtest/gtest.h>

#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace plot {

class PlotFontsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        mathtext::InitSymbolFonts();
        mathtext::UpdateSymbolFontScales();
        fonts_ = new mathtext::LabelFontSets;
        fonts_->MatchLabelFonts();
    }
    static void TearDownTestSuite() {
        delete fonts_;
        fonts_ = nullptr;
        mathtext::FreeSymbolFonts();
        mathtext::ClearSymbolMap();
    }
    static inline mathtext::LabelFontSets* fonts_ = nullptr;
};

}  // namespace plot
