#pragma once

#include <optional>
#include <string>

#include "effectsize/regression_slopes.h"

class PanelHost;

// What a panel reads of the main window's inputs by their labels, for its
// start values and its transfer plan.

// The number an input labelled `label` holds, or nothing when the main
// window shows no such number.
std::optional<double> MainWindowNumber(PanelHost* host, const std::string& label);
// The same for a count.
std::optional<long> MainWindowCount(PanelHost* host, const std::string& label);
// Whether the main window shows an input labelled so; asked for every label
// of a plan before any write.
effectsize::regression::ShownInput MainWindowShows(PanelHost* host);
