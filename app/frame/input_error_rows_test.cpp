// An input error names the row it marks, as the user reads it after
// pressing Calculate.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>

#include "analysis/catalogue.h"
#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "platform/environment.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

constexpr int kRandomModelR2 = 611;

TEST(InputErrorRows, TheMessageNamesTheRowThatIsMarked) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    if (!FindTest(kRandomModelR2)) GTEST_SKIP() << "this build has no exact tests";
    ASSERT_TRUE(frame->SelectTest(kRandomModelR2));
    CQuorixMainCompForm* form = frame->EditFieldForm();
    int row = -1;
    for (int r = 0; r < form_tables::kRowCount && row < 0; ++r) {
        if (form->ControlText(form_tables::InputLabelId(r)) == "H1 ρ²") row = r;
    }
    ASSERT_GE(row, 0);
    QLineEdit* edit = form->Edit(form_tables::InputEditId(row));
    const struct {
        const char* typed;
        const char* message;
    } cases[] = {
        {"0.3x", "H1 ρ²: Input error (illegal character?)"},
        {"", "H1 ρ²: Input error (no value given)"},
        {"=0.1+", "H1 ρ²: Syntax error: Missing operand at: \n"},
        {"0", "H1 ρ² is outside the admissible range (1e-06, 0.999999)."},
    };
    for (const auto& c : cases) {
        dialogs.messages.clear();
        form->SetControlText(form_tables::InputEditId(row), QString::fromUtf8(c.typed));
        frame->CommandForm()->Button(form_tables::kCalculateButton)->click();
        platform::PumpMessages();
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.typed;
        EXPECT_EQ(dialogs.messages[0].caption, "Input error");
        EXPECT_EQ(dialogs.messages[0].text.toStdString(), c.message) << c.typed;
        EXPECT_EQ(QApplication::focusWidget(), edit) << c.typed;
    }
}

}  // namespace
