#include "platform/commands.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <algorithm>

namespace platform {

std::vector<CommandTarget*> CommandRouter::Targets() const {
    std::vector<CommandTarget*> targets;
    if (panes_) targets = panes_();
    if (frame_) targets.push_back(frame_);
    return targets;
}

bool CommandRouter::Dispatch(int id) {
    for (CommandTarget* target : Targets()) {
        if (target && target->HandleCommand(id)) {
            RefreshActions();
            return true;
        }
    }
    return false;
}

CommandState CommandRouter::Query(int id) {
    for (CommandTarget* target : Targets()) {
        CommandState state;
        if (target && target->QueryCommand(id, &state)) return state;
    }
    CommandState unclaimed;
    unclaimed.enabled = false;
    return unclaimed;
}

QAction* CommandRouter::MakeAction(QObject* parent, int id, const QString& text,
                                   const QKeySequence& shortcut) {
    auto* action = new QAction(text, parent);
    action->setData(id);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    QObject::connect(action, &QAction::triggered, action, [this, id] { Dispatch(id); });
    actions_.push_back(action);
    return action;
}

void CommandRouter::RefreshActions() {
    actions_.erase(std::remove_if(actions_.begin(), actions_.end(),
                                  [](const QPointer<QAction>& a) { return a.isNull(); }),
                   actions_.end());
    for (QAction* action : actions_) {
        const CommandState state = Query(CommandId(action));
        action->setEnabled(state.enabled);
        if (action->isCheckable() || state.checked) {
            action->setCheckable(true);
            action->setChecked(state.checked);
        }
    }
}

void CommandRouter::RefreshOnShow(QMenu* menu) {
    QObject::connect(menu, &QMenu::aboutToShow, menu, [this] { RefreshActions(); });
}

int CommandRouter::CommandId(const QAction* action) {
    return action ? action->data().toInt() : 0;
}

}  // namespace platform
