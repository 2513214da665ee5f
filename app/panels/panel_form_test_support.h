#pragma once

// For the panels' offscreen tests: the main window as a panel sees it, keys
// as a user types them, and the main window itself reached by "Determine =>".

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>
#include <string>
#include <vector>

#include "analysis/parameter_names.h"
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

namespace panel_form_test {

// A key as the keyboard sends it to `target`.
inline void PressKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// Replaces the text of `edit` as a user does, key by key.
inline void Type(QLineEdit* edit, const std::string& text) {
    edit->setFocus();
    edit->selectAll();
    PressKey(edit, Qt::Key_Delete);
    for (const QChar c : QString::fromStdString(text)) PressKey(edit, 0, QString(c));
}

// The main window as a panel sees it: the inputs it shows, the test, and a
// record of what the panel wrote.
class FakeHost : public PanelHost {
  public:
    Property* FindParameter(std::string label) override { return inputs.Find(label); }
    void SetParameterValue(std::string label, double value) override {
        writes.push_back({label, value});
    }
    void SetEffectSize(double value) override { effectSizes.push_back(value); }
    PropertyList* GetCurrentInputStore() override { return &store; }
    void CloseEffectSizeDrawer() override { ++closes; }
    PowerAnalysis* CurrentTest() const override { return test.get(); }

    // Shows a real-valued input `id` with `text`.
    void Show(int id, const std::string& text) {
        auto* input = new PropertyDouble(ParameterNames[id], 0.0, false);
        input->SetText(text);
        inputs.push_back(input);
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
    std::vector<std::pair<std::string, double>> writes;
    std::vector<double> effectSizes;
    int closes = 0;
};

// A panel of type Panel on a fake host, created and shown.
template <class Panel>
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
    FakeHost host;
    Panel* panel = nullptr;
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
    // The text the main window shows for the input `id`.
    std::string MainText(int id) {
        Property* input = frame->FindParameter(ParameterNames[id]);
        return input ? input->text : "<none>";
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

}  // namespace panel_form_test
