#pragma once

// For the panels' offscreen tests: the main window as a panel sees it, keys
// as a user types them, and the main window itself reached by "Determine =>".

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/drawer/drawer_wnd.h"
#include "app/drawer/panel_host.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/panels/effect_size_panel.h"
#include "platform/scripted_dialogs.h"

namespace panel_test {

// A key as the keyboard sends it to `target`.
inline void PressKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// Replaces the text of `edit` as a user does, key by key.
inline void Type(QLineEdit* edit, const std::string& text) {
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    PressKey(edit, Qt::Key_Delete);
    for (const QChar c : QString::fromStdString(text)) PressKey(edit, 0, QString(c));
}

// Shows a form as the active window, so that focus moves between its
// controls send their focus events.
// The empty space above control `id` of `panel`: from the lowest bottom of
// the controls shown above it to its top. Hidden rows leave none larger
// than a row's pitch.
inline int GapAbove(CFormViewEx* panel, int id) {
    const int top = panel->Control(id)->y();
    int lowest = 0;
    for (QWidget* control : panel->Controls()) {
        if (!control->isHidden() && control->y() < top)
            lowest = std::max(lowest, control->geometry().bottom());
    }
    return top - lowest;
}

inline void ShowActive(QWidget* form) {
    form->show();
    QApplication::setActiveWindow(form);
}

// One value the panel wrote to the main window, as `Write` records it:
// "label=value" text, or the label and the value.
inline void RecordWrite(std::vector<std::string>* writes, const std::string& label, double value) {
    writes->push_back(label + "=" + std::to_string(value));
}
inline void RecordWrite(std::vector<std::pair<std::string, double>>* writes,
                        const std::string& label, double value) {
    writes->emplace_back(label, value);
}

// The main window as a panel sees it: the inputs it shows, the test, and a
// record of what the panel wrote.
template <class Write>
class BasicFakeHost : public PanelHost {
  public:
    Property* FindParameter(std::string label) override { return inputs.Find(label); }
    void SetParameterValue(std::string label, double value) override {
        RecordWrite(&writes, label, value);
    }
    void SetEffectSize(double value) override { effectSizes.push_back(value); }
    PropertyList* GetCurrentInputStore() override { return &store; }
    void CloseEffectSizeDrawer() override { ++closes; }
    PowerAnalysis* CurrentTest() const override { return test.get(); }

    // Shows a real-valued input `label` with `text` as typed.
    void ShowInput(const std::string& label, const std::string& text) {
        inputs.push_back(new PropertyDouble(label, text, false));
    }
    // Shows a real-valued input `id` with `text`.
    void Show(int id, const std::string& text) {
        auto* input = new PropertyDouble(ParameterNames[id], 0.0, false);
        input->SetText(text);
        inputs.push_back(input);
    }
    void Show(const char* label, double value) {
        inputs.push_back(new PropertyDouble(label, value, false));
    }
    void ShowCount(const char* label, long value) {
        inputs.push_back(new PropertyLong(label, value));
    }
    void ShowParent(int index) {
        auto* parent = new PropertySelection(ParameterNames[kParentDistributionId]);
        for (const char* option : {"Normal", "Laplace", "Logistic"}) parent->AddOption(option);
        parent->SetIndex(index);
        inputs.push_back(parent);
    }

    std::unique_ptr<PowerAnalysis> test;
    PropertyList inputs;
    PropertyList store;
    std::vector<Write> writes;
    std::vector<double> effectSizes;
    int closes = 0;
};

// Records each write as "label=value".
using FakeHost = BasicFakeHost<std::string>;
// Records each write as its label and value.
using PairFakeHost = BasicFakeHost<std::pair<std::string, double>>;

// A panel of type Panel on a fake host, created and shown.
template <class Panel, class Host = PairFakeHost>
class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override { Open(); }
    void TearDown() override { delete panel; }
    void Open() {
        delete panel;
        panel = new Panel(&host);
        ASSERT_TRUE(panel->Create(nullptr, QPoint(0, 0)));
        panel->show();
        panel->activateWindow();
    }
    QLineEdit* Edit(int id) const { return panel->Edit(id); }
    QString Result() const { return panel->ControlText(CEffectSizePanel::kEffectSizeId); }
    void Click(int id) { panel->Button(id)->click(); }
    // The message the last click showed, or "" when none.
    std::string LastMessage() const {
        return dialogs.messages.empty() ? std::string()
                                        : dialogs.messages.back().text.toStdString();
    }

    platform::ScriptedDialogs dialogs;
    Host host;
    Panel* panel = nullptr;
};

// A form of type Form on a fake host, shown as the active window.
template <class Form, class Host = FakeHost>
class ActiveFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form = new Form(&host);
        ASSERT_TRUE(form->Create(nullptr, QPoint(0, 0)));
        ShowActive(form);
    }
    void TearDown() override { delete form; }

    QString Result() const { return form->ControlText(CEffectSizePanel::kEffectSizeId); }
    void Click(int id) { form->Button(id)->click(); }

    platform::ScriptedDialogs dialogs;
    Host host;
    Form* form = nullptr;
};

// The program's main window; a panel is reached by "Determine =>" beside
// its effect size, as a user does.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame->SetDrawerAnimation(false, false);
        frame->show();
    }
    void TearDown() override { frame_test::ForgetScriptedFamilies(); }

    template <class Panel>
    Panel* Determine() {
        CQuorixMainCompForm* main = frame->EditFieldForm();
        const int row = main->EffectSizeRow();
        if (row < 0) return nullptr;
        main->Button(form_tables::DetermineButtonId(row))->click();
        CDrawerWnd* drawer = frame->EffectSizeDrawer();
        return drawer ? dynamic_cast<Panel*>(drawer->Panel(0)) : nullptr;
    }
    // The text the main window shows for the input `label`.
    std::string Shown(const std::string& label) {
        Property* input = frame->FindParameter(label);
        return input ? input->text : "<none>";
    }
    // The text the main window shows for the input `id`.
    std::string MainText(int id) { return Shown(ParameterNames[id]); }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

}  // namespace panel_test

// The names the form tests have used; they record writes as label and value.
namespace panel_form_test {
using panel_test::MainWindowTest;
using panel_test::PressKey;
using panel_test::Type;
using FakeHost = panel_test::PairFakeHost;
template <class Panel>
using PanelTest = panel_test::PanelTest<Panel, FakeHost>;
}  // namespace panel_form_test
