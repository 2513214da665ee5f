#pragma once

#include <QAction>
#include <QKeySequence>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QObject;
class QMenu;

namespace platform {

// Whether a command can run now and whether its menu item carries a check mark.
struct CommandState {
    bool enabled = true;
    bool checked = false;
};

// Something that handles commands by id: a pane or the frame.
class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    // True when the command was handled here.
    virtual bool HandleCommand(int id) = 0;
    // True when this target handles the command; `state` then says how it is
    // shown. A command that no target claims is shown disabled.
    virtual bool QueryCommand(int id, CommandState* state) {
        (void)id;
        (void)state;
        return false;
    }
};

// Routes command ids to the panes that are shown, then to the frame. Menus,
// accelerators and tool bar buttons are actions that carry the ids.
class CommandRouter {
  public:
    using PaneList = std::function<std::vector<CommandTarget*>()>;

    void SetPanes(PaneList panes) { panes_ = std::move(panes); }
    void SetFrame(CommandTarget* frame) { frame_ = frame; }

    // True when some target handled the command.
    bool Dispatch(int id);
    // The state of the command from the first target that claims it.
    CommandState Query(int id);

    // An action that dispatches `id` when triggered.
    QAction* MakeAction(QObject* parent, int id, const QString& text,
                        const QKeySequence& shortcut = QKeySequence());
    // Brings every action made here up to date (enabled, checked).
    void RefreshActions();
    // Refreshes the actions whenever the menu opens.
    void RefreshOnShow(QMenu* menu);

    static int CommandId(const QAction* action);

  private:
    std::vector<CommandTarget*> Targets() const;

    PaneList panes_;
    CommandTarget* frame_ = nullptr;
    std::vector<QPointer<QAction>> actions_;
};

}  // namespace platform
