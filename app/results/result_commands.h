#pragma once

// Command ids of the result pane's commands, issued by the main window's
// menus and handled by the pane.
namespace command_ids {
inline constexpr int kCopyDistributionsPlot = 32885;
inline constexpr int kPrintDistributionsPlot = 32883;
inline constexpr int kSaveDistributionsPlot = 32884;
inline constexpr int kSaveProtocol = 32886;
inline constexpr int kPrintProtocol = 32887;
inline constexpr int kClearProtocol = 32888;
}  // namespace command_ids
