#pragma once

#include <memory>
#include <string>

#include "app/drawer/panel_host.h"
#include "app/options/options_dialog_fields.h"

class PowerAnalysis;
class PropertyList;
class QWidget;

// What the Options command asks of the main window besides the panels'
// services: the current test's input list as last read from its form.
class OptionsHost : public PanelHost {
  public:
    virtual PropertyList& Inputs() = 0;
};

// The options dialog of the host's current test, modal over `parent`, its
// options copied in and, on OK, back into the test (converting the effect
// size where an option changes which effect the test takes). False when
// the test has no dialog or none could be shown; *rebuildDrawer tells
// whether the chosen options change the effect-size panel.
bool RunOptionsDialog(OptionsHost* host, QWidget* parent, bool* rebuildDrawer);

// The dialog of that name; kind kNone for a name no dialog has.
OptionsDialogInfo OptionsDialogNamed(const std::string& className);
// The dialog that `test` declares for its options; kind kNone for a test
// without one.
OptionsDialogInfo OptionsDialogFor(PowerAnalysis* test);

// The service that runs the options dialogs; the forms unless replaced.
OptionsDialogService& OptionsDialogs();
// Returns the service it replaces.
std::unique_ptr<OptionsDialogService> SetOptionsDialogService(
    std::unique_ptr<OptionsDialogService> service);
