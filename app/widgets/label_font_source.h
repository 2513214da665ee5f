#pragma once

namespace mathtext {
class LabelFontSets;
}

// Whoever holds the label fonts that graphs draw their labels with (the
// main window); a graph finds it without knowing the window's class.
class LabelFontSource {
  public:
    virtual ~LabelFontSource() = default;
    virtual mathtext::LabelFontSets& LabelFonts() = 0;
};
