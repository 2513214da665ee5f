#pragma once

// For the panels' form tests: the main window as a panel sees it, and keys
// sent as the keyboard sends them.

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>
#include <string>
#include <vector>

#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"

namespace panel_test {

// A main window with the inputs a test puts in `inputs`, recording what the
// panel writes.
class FakeHost : public PanelHost {
  public:
    Property* FindParameter(std::string label) override { return inputs.Find(label); }
    void SetParameterValue(std::string label, double value) override {
        writes.push_back(label + "=" + std::to_string(value));
    }
    void SetEffectSize(double value) override { effectSizes.push_back(value); }
    PropertyList* GetCurrentInputStore() override { return &store; }
    void CloseEffectSizeDrawer() override { ++closes; }
    PowerAnalysis* CurrentTest() const override { return nullptr; }

    void ShowInput(const std::string& label, const std::string& text) {
        inputs.push_back(new PropertyDouble(label, text, false));
    }

    PropertyList inputs;
    PropertyList store;
    std::vector<std::string> writes;
    std::vector<double> effectSizes;
    int closes = 0;
};

// Shows a form as the active window, so that focus moves between its
// controls send their focus events.
inline void ShowActive(QWidget* form) {
    form->show();
    QApplication::setActiveWindow(form);
}

inline void PressKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// Replaces an edit's text as a user does, key by key.
inline void Type(QLineEdit* edit, const char* text) {
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    PressKey(edit, Qt::Key_Delete);
    for (const QChar c : QString::fromLatin1(text)) PressKey(edit, 0, QString(c));
}

}  // namespace panel_test
