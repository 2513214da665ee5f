// Start-up and shut-down of the whole program on the offscreen platform,
// started the way a German desktop starts it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <cfenv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "analysis/catalogue.h"
#include "analysis/comma_locale_test_support.h"
#include "analysis/ids.h"
#include "analysis/property.h"
#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/forms/main_grid_form.h"
#include "app/forms/selection_form.h"
#include "app/frame/font_configuration.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/widgets/ui_helpers.h"
#include "platform/environment.h"
#include "platform/fonts.h"
#include "platform/scripted_dialogs.h"
#include "ui/graphics/mathtext/math_text_label.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace {

using test_locale::kGerman;
bool germanAvailable = false;
int roundingBefore = 0;
int trapsBefore = 0;

// Makes a German locale available, building it into a temporary folder when
// the system has none, and asks for it the way a German desktop does.
void StartAsGermanDesktop() {
    setenv("LANG", kGerman, 1);
    setenv("LC_ALL", kGerman, 1);
    germanAvailable = test_locale::MakeGermanLocaleAvailable();
}

// True when the key was consumed on its way (by the frame's key handling).
bool SendKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    return QApplication::sendEvent(target, &press) && press.isAccepted();
}

TEST(Startup, LeavesTheCLocaleEvenOnAGermanDesktop) {
    if (!germanAvailable) GTEST_SKIP() << "no German locale can be made on this machine";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", 0.125);
    EXPECT_STREQ(text, "0.125");
    for (int category : {LC_NUMERIC, LC_TIME, LC_COLLATE, LC_MONETARY, LC_MESSAGES})
        EXPECT_STREQ(std::setlocale(category, nullptr), "C") << category;
    // The character classes stay as the application object set them.
    EXPECT_STRNE(std::setlocale(LC_CTYPE, nullptr), "C");
    EXPECT_EQ(QLocale().decimalPoint(), ".");
    // The environment does ask for the German comma: without the start-up's
    // reset the numbers above would print as "0,125".
    ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr);
    std::snprintf(text, sizeof text, "%.3f", 0.125);
    EXPECT_STREQ(text, "0,125");
    std::setlocale(LC_ALL, "C");
}

TEST(Startup, NamesTheFontThatStandsForTheGenericSansSerif) {
    const std::string family = GenericSansFamily();
    ASSERT_FALSE(family.empty());
    // Qt's own answer for the generic name, reached through its search of
    // fallback families, must be the family named ahead of it.
    const QFont generic(QStringLiteral("Sans Serif"), 9);
    EXPECT_EQ(family, platform::ResolvedFamily(generic).toStdString());

    const QFont before = QApplication::font();
    QApplication::setFont(generic);
    EXPECT_TRUE(AdoptApplicationFamily(family));
    EXPECT_EQ(QApplication::font().family().toStdString(), family);
    EXPECT_EQ(QApplication::font().pointSizeF(), 9.0);
    EXPECT_EQ(platform::ResolvedFamily(QApplication::font()).toStdString(),
              platform::ResolvedFamily(generic).toStdString());
    // A family already named, as a desktop theme names one, stays; so does
    // the generic name when the database lacks the family offered.
    EXPECT_FALSE(AdoptApplicationFamily(family));
    QApplication::setFont(generic);
    EXPECT_FALSE(AdoptApplicationFamily("No Such Family Anywhere"));
    EXPECT_EQ(QApplication::font().family().toStdString(), "Sans Serif");
    QApplication::setFont(before);
}

TEST(Startup, OpensTheMainWindowWithItsPanesAndClosesCleanly) {
    // Enter below calculates; whatever it reports must not open a real,
    // modal message box.
    platform::ScriptedDialogs dialogs;
    {
        CQuorixNTApp app;
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.MainFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->windowTitle(), "Quorix 3.1.9.7");
        EXPECT_TRUE(frame->isVisible());

        // Plot pane, test selection, edit-field form and command form, one
        // under the other at their tables' sizes.
        CFormViewEx* panes[] = {frame->PlotPane(), frame->TestSelectionPane(),
                                frame->EditFieldForm(), frame->CommandForm()};
        int y = 0;
        for (CFormViewEx* pane : panes) {
            ASSERT_NE(pane, nullptr);
            EXPECT_TRUE(pane->isVisible());
            EXPECT_EQ(pane->geometry(), QRect(QPoint(0, y), pane->GetDesignSize()));
            EXPECT_EQ(pane->width(), pane->Units().ToPixelsX(345) + 2);
            y += pane->GetDesignSize().height();
        }
        EXPECT_EQ(frame->centralWidget()->height(), y);
        EXPECT_EQ(frame->EditFieldForm()->GetDesignSize(),
                  frame->EditFieldForm()->Units().ToPixels(345, 157) + QSize(2, 2));
        EXPECT_EQ(frame->CommandForm()->ControlText(form_tables::kCalculateButton), "Calculate");
        EXPECT_FALSE(frame->CommandForm()->Button(form_tables::kXYPlotButton)->isEnabled());

        // The forms show whatever the catalogue's first test asks for.
        const int inputs = static_cast<int>(frame->Inputs().size());
        for (int row = 0; row < form_tables::kRowCount; ++row) {
            EXPECT_EQ(frame->EditFieldForm()->Control(form_tables::InputLabelId(row))->isVisible(),
                      row < inputs)
                << row;
        }
        // Their labels carry the parameter's markup for the typesetting, and
        // the plain text for everything else.
        auto* label = qobject_cast<QLabel*>(
            frame->EditFieldForm()->Control(form_tables::InputLabelId(inputs - 1)));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(mathtext::MathTextOf(label), ToWideString(frame->Inputs().back()->name));
        EXPECT_EQ(label->text(), ToDisplayLabel(frame->Inputs().back()->name));
        EXPECT_NE(mathtext::SymbolMapPointer(), nullptr);

        // It starts on the first test of the first family with the third type
        // of analysis: with the exact tests built, the correlation of the
        // bivariate normal model and "Criterion".
        ASSERT_FALSE(TestCatalogue.empty());
        EXPECT_EQ(frame->CurrentTest()->GetTestId(), TestCatalogue[0][0]->GetTestId());
        CTestSelectCompForm* selection = frame->TestSelectionForm();
        EXPECT_EQ(selection->List(CTestSelectCompForm::kFamilyList)->currentIndex(), 0);
        EXPECT_EQ(selection->List(CTestSelectCompForm::kTestList)->currentIndex(), 0);
        EXPECT_EQ(selection->List(CTestSelectCompForm::kTypeList)->currentIndex(), 2);
        if (FindTest(kCorrelationExactTestId) != nullptr) {
            EXPECT_EQ(frame->CurrentTest()->GetTestId(), kCorrelationExactTestId);
            EXPECT_EQ(frame->CurrentAnalysis(), kCriterion);
            EXPECT_EQ(selection->List(CTestSelectCompForm::kFamilyList)->currentText(), "Exact");
        }

        // F4 hides the plot pane and the window shrinks; F5 the test selection.
        const int plotHeight = frame->PlotPane()->height();
        const int selectionHeight = frame->TestSelectionPane()->height();
        SendKey(frame->EditFieldForm(), Qt::Key_F4);
        EXPECT_FALSE(frame->PlotPane()->isVisible());
        EXPECT_EQ(frame->centralWidget()->height(), y - plotHeight);
        EXPECT_EQ(frame->TestSelectionPane()->y(), 0);
        SendKey(frame, Qt::Key_F5);
        EXPECT_EQ(frame->centralWidget()->height(), y - plotHeight - selectionHeight);
        EXPECT_EQ(frame->EditFieldForm()->y(), 0);
        SendKey(frame, Qt::Key_F4);
        SendKey(frame, Qt::Key_F5);
        EXPECT_EQ(frame->centralWidget()->height(), y);

        // Esc is always the frame's; Enter calculates and is consumed.
        EXPECT_TRUE(
            SendKey(frame->EditFieldForm()->Edit(form_tables::InputEditId(0)), Qt::Key_Escape));
        EXPECT_TRUE(
            SendKey(frame->EditFieldForm()->Edit(form_tables::InputEditId(0)), Qt::Key_Return));
        EXPECT_TRUE(frame->CommandForm()->Button(form_tables::kCalculateButton)->isEnabled());

        // Commands that nothing handles yet are disabled; the pane toggles
        // carry their check marks.
        frame->Commands().RefreshActions();
        EXPECT_FALSE(frame->Commands().Query(command_ids::kSaveProtocol).enabled);
        EXPECT_TRUE(frame->Commands().Query(command_ids::kTogglePlot).enabled);
        EXPECT_FALSE(frame->Commands().Query(command_ids::kTogglePlot).checked);

        // The grid view replaces the edit-field form in its place, with the
        // same inputs, and back; what was typed goes along.
        int typed = -1;
        for (int i = 0; i < inputs && i < form_tables::kRowCount; ++i) {
            if (frame->Inputs()[i]->GetType() != Property::kSelection) {
                typed = i;
                break;
            }
        }
        if (typed >= 0)
            frame->EditFieldForm()->SetControlText(form_tables::InputEditId(typed), "=1/20");
        const int editFieldTop = frame->EditFieldForm()->y();
        const int editFieldHeight = frame->EditFieldForm()->GetDesignSize().height();
        frame->Commands().Dispatch(command_ids::kGridView);
        ASSERT_NE(frame->GridForm(), nullptr);
        EXPECT_EQ(frame->EditFieldForm(), nullptr);
        EXPECT_TRUE(frame->Commands().Query(command_ids::kGridView).checked);
        EXPECT_EQ(frame->GridForm()->y(), editFieldTop);
        EXPECT_EQ(frame->centralWidget()->height(),
                  y - editFieldHeight + frame->GridForm()->GetDesignSize().height() + 4);
        frame->Commands().Dispatch(command_ids::kGridView);
        ASSERT_NE(frame->EditFieldForm(), nullptr);
        EXPECT_EQ(frame->centralWidget()->height(), y);
        if (typed >= 0) {
            EXPECT_EQ(frame->EditFieldForm()->ControlText(form_tables::InputEditId(typed)),
                      "=1/20");
            // The lookup of the options dialogs re-reads the form.
            frame->EditFieldForm()->SetControlText(form_tables::InputEditId(typed), "0.125");
            Property* found = frame->FindParameter(frame->Inputs()[typed]->name);
            ASSERT_EQ(found, frame->Inputs()[typed]);
            EXPECT_EQ(found->text, "0.125");
        }
        EXPECT_EQ(frame->FindParameter("no such parameter"), nullptr);

        // The program never unmasks a floating-point trap.
        EXPECT_EQ(fegetexcept(), 0);
        frame->close();
        platform::PumpMessages();
    }
    EXPECT_TRUE(TestCatalogue.empty());
    EXPECT_EQ(mathtext::SymbolMapPointer(), nullptr);  // the fonts go with the frame
    EXPECT_EQ(std::fegetround(), roundingBefore);
    EXPECT_EQ(fegetexcept(), trapsBefore);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    StartAsGermanDesktop();
    roundingBefore = std::fegetround();
    trapsBefore = fegetexcept();
    // As the program starts: the message bus is being connected to while the
    // application object is made.
    const DesktopBusConnection desktopBus;
    auto application = platform::CreateApplication(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
