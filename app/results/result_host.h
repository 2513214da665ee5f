#pragma once

#include "app/widgets/label_font_source.h"

class PowerAnalysis;

// What the result pane asks of the main window: the label fonts, whether the
// outputs and the plot belong to the inputs shown, and the current test.
class ResultHost : public LabelFontSource {
  public:
    virtual bool OutputsValid() const = 0;
    virtual bool PlotValid() const = 0;
    virtual PowerAnalysis* CurrentTest() const = 0;
};
