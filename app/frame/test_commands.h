#pragma once

#include <vector>

// The commands of the Tests menu: each chooses one test of the catalogue by
// its test id. Two commands carry no menu item (popup and text are empty)
// and are reached by their ids alone.
struct TestCommand {
    int commandId;
    const char* popup;  // UTF-8; empty for a command without a menu item
    const char* text;   // UTF-8 menu text
    int testId;
};

// In menu order: the popups appear in the order of their first command.
const std::vector<TestCommand>& TestIdCommandTable();

// The test id that `commandId` chooses, or -1 when it is no test command.
int TestIdForCommand(int commandId);

// The command id of the general linear model explorer (no menu item).
inline constexpr int kExplorerCommand = 140;
