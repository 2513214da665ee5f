// Choosing tests: the Tests menu, the three selection lists, the analysis
// type kept across a family's generic test, and the panes' layout keys.

#include "app/forms/selection_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/forms/main_grid_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/quorix_app.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "ui/grid/grid_cell_types.h"

namespace {

using form_tables::InputEditId;
using Form = CTestSelectCompForm;

class TestSelection : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame_test::UseScriptedCatalogue(frame);
        form = frame->TestSelectionForm();
    }
    void TearDown() override { frame_test::ForgetScriptedFamilies(); }

    // What the user does: picks entry `index` of a list.
    void Choose(int list, int index) {
        QComboBox* box = form->List(list);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    int FindEntry(int list, const QString& text) { return form->List(list)->findText(text); }
    QString Shown(int list) { return form->List(list)->currentText(); }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
    Form* form = nullptr;
};

// The Tests menu as a user sees it: every item in menu order, with its popup,
// caption and the test it chooses.
struct MenuCase {
    int command;
    const char* popup;
    const char* text;
    int testId;
};

const MenuCase kMenu[] = {
    {32801, "Correlation and regression", "Correlation: Bivariate normal model", 605},
    {32800, "Correlation and regression", "Correlation: Point biserial model", 202},
    {32907, "Correlation and regression", "Correlation: Tetrachoric model", 309},
    {32901, "Correlation and regression", "Correlations: Two dependent Pearson r's (common index)",
     306},
    {32903, "Correlation and regression",
     "Correlations: Two dependent Pearson r's (no common index)", 307},
    {32802, "Correlation and regression", "Correlations: Two independent Pearson r's", 302},
    {32902, "Correlation and regression", "Linear bivariate regression: One group, size of slope",
     211},
    {32906, "Correlation and regression",
     "Linear bivariate regression: Two groups, difference between intercepts", 209},
    {32905, "Correlation and regression",
     "Linear bivariate regression: Two groups, difference between slopes", 208},
    {32833, "Correlation and regression",
     "Linear multiple regression: Fixed model, R² deviation from zero", 103},
    {32834, "Correlation and regression", "Linear multiple regression: Fixed model, R² increase",
     104},
    {32908, "Correlation and regression",
     "Linear multiple regression: Fixed model, single regression coefficient", 210},
    {32909, "Correlation and regression", "Linear multiple regression: Random model", 611},
    {32910, "Correlation and regression", "Logistic regression", 310},
    {32904, "Correlation and regression", "Poisson regression", 308},
    {32792, "Means", "One group: Difference from constant", 203},
    {32881, "Means", "One group: Wilcoxon (non-parametric)", 205},
    {32830, "Means", "Two dependent groups (matched pairs)", 204},
    {32898, "Means", "Two dependent groups (matched pairs): Wilcoxon (non-parametric)", 207},
    {32829, "Means", "Two independent groups", 201},
    {32882, "Means", "Two independent groups: Wilcoxon (non-parametric)", 206},
    {32815, "Means", "Many groups: ANCOVA: Main effects and interactions", 116},
    {32817, "Means", "Many groups: ANOVA: One-way (one independent variable)", 101},
    {32818, "Means",
     "Many groups: ANOVA: Main effects and interactions (two or more independent variables)", 102},
    {32839, "Means", "Repeated measures: Between factors, ANOVA-approach", 108},
    {32840, "Means", "Repeated measures: Between factors, MANOVA-approach", 111},
    {32841, "Means", "Repeated measures: Within factors, ANOVA-approach", 109},
    {32842, "Means", "Repeated measures: Within factors, MANOVA-approach", 112},
    {32845, "Means", "Repeated measures: Within-between interactions, ANOVA-approach", 110},
    {32846, "Means", "Repeated measures: Within-between interactions, MANOVA-approach", 113},
    {32831, "Means", "Multivariate: Hotelling T², one group", 106},
    {32832, "Means", "Multivariate: Hotelling T², two groups", 107},
    {32858, "Means", "Multivariate: MANOVA: Global effects", 114},
    {32860, "Means", "Multivariate: MANOVA: Special effects and interactions", 115},
    {32807, "Proportions", "One group: Difference From Constant", 602},
    {32808, "Proportions", "One group: Sign Test", 603},
    {32856, "Proportions", "Two dependent groups: Inequality, McNemar test", 604},
    {32870, "Proportions", "Two independent groups: Inequality, Fisher's exact test", 606},
    {32866, "Proportions", "Two independent groups: Inequality, unconditional exact", 607},
    {32869, "Proportions", "Two independent groups: Inequality with offset, unconditional exact",
     608},
    {32868, "Proportions", "Two independent groups: Inequality, z-Test", 301},
    {32826, "Proportions", "Multigroup: Goodness-of-Fit", 401},
    {32798, "Variances", "One group", 402},
    {32799, "Variances", "Two groups", 105},
    {32855, "Generic", "Generic binomial test", 601},
    {32848, "Generic", "Generic F", 100},
    {32849, "Generic", "Generic t", 200},
    {32853, "Generic", "Generic Chi²", 400},
    {32854, "Generic", "Generic z", 300},
};

TEST_F(TestSelection, EveryTestCommandChoosesItsTestById) {
    ASSERT_EQ(TestMenu().size(), std::size(kMenu));
    for (const MenuCase& c : kMenu) {
        SCOPED_TRACE(c.command);
        QAction* item =
            frame_test::TestsMenuItem(frame->menuBar(), c.command, QString::fromUtf8(c.popup));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), QString::fromUtf8(c.text));
        EXPECT_TRUE(frame->Commands().Query(c.command).enabled);
        // Start elsewhere, so that the command has something to change.
        frame->Commands().Dispatch(c.testId == 201 ? 32830 : 32829);
        frame->EditFieldForm()->SetControlText(form_tables::OutputEditId(0), "7");
        ASSERT_TRUE(frame->Commands().Dispatch(c.command));
        ASSERT_NE(frame->CurrentTest(), nullptr);
        EXPECT_EQ(frame->CurrentTest()->GetTestId(), c.testId);
        // The lists show the test, and the forms its fresh lists.
        const std::string name = "Scripted test " + std::to_string(c.testId);
        EXPECT_EQ(Shown(Form::kTestList).toStdString(), name);
        int family = -1, index = -1;
        ASSERT_TRUE(Form::FindInCatalogue(frame->CurrentTest(), &family, &index));
        EXPECT_EQ(form->List(Form::kFamilyList)->currentIndex(), family);
        EXPECT_EQ(frame->EditFieldForm()->ControlText(form_tables::OutputEditId(0)), "?");
        EXPECT_FALSE(frame->CommandForm()->Button(form_tables::kXYPlotButton)->isEnabled());
    }
    // Opened once for every item above and once more, the menu still holds
    // each test once.
    QMenu* tests = frame_test::OpenTestsMenu(frame->menuBar());
    ASSERT_NE(tests, nullptr);
    qsizetype items = 0;
    for (QAction* sub : tests->actions()) {
        if (sub->menu()) items += sub->menu()->actions().size();
    }
    EXPECT_EQ(items, std::ssize(kMenu));
}

TEST_F(TestSelection, SelectingTheCurrentTestAgainRebuildsItsLists) {
    ASSERT_TRUE(frame->SelectTest(201));
    frame->EditFieldForm()->SetControlText(form_tables::OutputEditId(0), "7");
    ASSERT_TRUE(frame->SelectTest(201));
    EXPECT_EQ(frame->EditFieldForm()->ControlText(form_tables::OutputEditId(0)), "?");
    PowerAnalysis* before = frame->CurrentTest();
    EXPECT_FALSE(frame->SelectTest(999));
    EXPECT_EQ(frame->CurrentTest(), before);
}

TEST_F(TestSelection, TheAnalysisTypeIsKeptAcrossTheFamilysGenericTest) {
    const int tFamily = FindEntry(Form::kFamilyList, "t tests");
    ASSERT_GE(tFamily, 0);
    Choose(Form::kFamilyList, tFamily);
    // A family change always starts on the family's first test.
    EXPECT_EQ(frame->CurrentTest()->GetTestId(), 201);
    EXPECT_EQ(form->List(Form::kTypeList)->count(), 5);

    Choose(Form::kTypeList, 3);
    EXPECT_TRUE(Shown(Form::kTypeList).startsWith("Post hoc"));
    EXPECT_EQ(frame->CurrentAnalysis(), kPostHoc);

    struct Step {
        int testId;
        int types;
        int index;
    } steps[] = {
        {200, 4, 2},  // the generic test lacks "A priori": Post hoc is now entry 2
        {201, 5, 3},  // and entry 3 again on the way back
        {202, 5, 3},  // same length, same entry
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.testId);
        Choose(Form::kTestList,
               FindEntry(Form::kTestList, QString("Scripted test %1").arg(step.testId)));
        EXPECT_EQ(frame->CurrentTest()->GetTestId(), step.testId);
        EXPECT_EQ(form->List(Form::kTypeList)->count(), step.types);
        EXPECT_EQ(form->List(Form::kTypeList)->currentIndex(), step.index);
        EXPECT_EQ(frame->ChosenTypeIndex(), step.index);
        EXPECT_TRUE(Shown(Form::kTypeList).startsWith("Post hoc"));
        EXPECT_EQ(frame->CurrentAnalysis(), kPostHoc);
    }

    // A type beyond the new list's end chooses its last entry.
    form->SelectTest(0, 9);
    EXPECT_EQ(form->List(Form::kTypeList)->currentIndex(), 4);
    EXPECT_EQ(frame->CurrentAnalysis(), kSensitivity);
    form->SelectTest(0, -3);
    EXPECT_EQ(form->List(Form::kTypeList)->currentIndex(), 0);
    EXPECT_EQ(frame->CurrentAnalysis(), kAPriori);
}

TEST_F(TestSelection, ATypeChangeKeepsWhatWasTyped) {
    ASSERT_TRUE(frame->SelectTest(201));
    Choose(Form::kTypeList, 0);  // A priori: alpha, power
    frame->EditFieldForm()->SetControlText(InputEditId(0), "0.01");
    Choose(Form::kTypeList, 3);  // Post hoc: alpha, N
    EXPECT_EQ(frame->CurrentAnalysis(), kPostHoc);
    EXPECT_EQ(frame->EditFieldForm()->ControlText(form_tables::InputLabelId(1)),
              "Total sample size");
    EXPECT_EQ(frame->EditFieldForm()->ControlText(InputEditId(0)), "0.01");
}

// The program's own catalogue: the Tests menu that a click opens holds the
// popups and their items in the order of the table, each with its command and
// caption and no shortcut; each item is enabled and chooses its test.
TEST(TestSelectionWithoutScriptedTests, TheTestsMenuShowsEveryTestInItsPlace) {
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    QMenu* tests = frame_test::OpenTestsMenu(frame->menuBar());
    ASSERT_NE(tests, nullptr);
    frame->Commands().RefreshActions();
    using Row = std::tuple<std::string, std::string, int>;  // popup, caption, command
    std::vector<Row> shown, expected;
    std::vector<QAction*> items;
    for (QAction* sub : tests->actions()) {
        ASSERT_NE(sub->menu(), nullptr) << sub->text().toStdString();
        for (QAction* item : sub->menu()->actions()) {
            shown.emplace_back(sub->menu()->title().toStdString(), item->text().toStdString(),
                               platform::CommandRouter::CommandId(item));
            items.push_back(item);
        }
    }
    for (const MenuCase& c : kMenu) expected.emplace_back(c.popup, c.text, c.command);
    ASSERT_EQ(shown, expected);
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(kMenu[i].command);
        EXPECT_TRUE(items[i]->shortcut().isEmpty());
        EXPECT_TRUE(items[i]->isEnabled());
        items[i]->trigger();
        ASSERT_NE(frame->CurrentTest(), nullptr);
        EXPECT_EQ(frame->CurrentTest()->GetTestId(), kMenu[i].testId);
    }
}

bool SendKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    return QApplication::sendEvent(target, &press) && press.isAccepted();
}

TEST_F(TestSelection, F4AndF5HideTheirPanesAndTheWindowFollows) {
    widget_test::RunEventsFor(20);
    const int full = frame->height();
    const int plot = frame->PlotPane()->height();
    const int selection = frame->TestSelectionPane()->height();
    QWidget* focus = frame->EditFieldForm()->Edit(InputEditId(0));

    EXPECT_TRUE(SendKey(focus, Qt::Key_F4));
    EXPECT_TRUE(frame->PlotPane()->isHidden());
    EXPECT_EQ(frame->height(), full - plot);
    EXPECT_TRUE(frame->Commands().Query(command_ids::kTogglePlot).checked);
    EXPECT_TRUE(SendKey(focus, Qt::Key_F5));
    EXPECT_TRUE(frame->TestSelectionPane()->isHidden());
    EXPECT_EQ(frame->height(), full - plot - selection);
    EXPECT_EQ(frame->EditFieldForm()->y(), 0);
    EXPECT_TRUE(frame->Commands().Query(command_ids::kToggleTestSelection).checked);

    // Hidden, the test selection still chooses through the menu.
    ASSERT_TRUE(frame->Commands().Dispatch(32829));
    EXPECT_EQ(frame->CurrentTest()->GetTestId(), 201);

    EXPECT_TRUE(SendKey(focus, Qt::Key_F4));
    EXPECT_TRUE(SendKey(focus, Qt::Key_F5));
    EXPECT_EQ(frame->height(), full);
    EXPECT_FALSE(frame->Commands().Query(command_ids::kTogglePlot).checked);
}

// A choice left open in the grid's "Tail(s)" list when another test is
// picked from the Tests menu belongs to the test being left: the new test
// shows its own values, and keeps them for the next time it is chosen.
TEST(TestSelectionInTheGrid, AnOpenListEditDoesNotLeakIntoTheNextTest) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    if (!FindTest(201) || !FindTest(101)) GTEST_SKIP() << "this build lacks the t or the F tests";
    ASSERT_TRUE(frame->Commands().Dispatch(command_ids::kGridView));
    ASSERT_NE(frame->GridForm(), nullptr);
    IGridCtrl* grid = frame->GridForm()->InputGrid();
    auto values = [grid] {
        QStringList texts;
        for (int row = 0; row < CQuorixMainForm::kRowCount; ++row)
            texts << grid->GetItemText(row, 1);
        return texts.join(QLatin1Char('|')).toStdString();
    };

    ASSERT_TRUE(frame->Commands().Dispatch(32817));  // ANOVA, one-way
    const std::string anova = values();
    ASSERT_TRUE(frame->Commands().Dispatch(32829));  // two independent groups
    ASSERT_EQ(grid->GetItemText(0, 0), "Tail(s)");
    ASSERT_NE(dynamic_cast<CGridCellCombo*>(grid->GetCell(0, 1)), nullptr);
    grid->SetFocusCell(0, 1);
    grid->OnEditCell(0, 1, QPoint(-1, -1), kEditStartMouse);
    auto* list = grid->viewport()->findChild<CInPlaceList*>();
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(list->findText("Two"));

    ASSERT_TRUE(frame->Commands().Dispatch(32817));
    EXPECT_EQ(frame->CurrentTest()->GetTestId(), 101);
    EXPECT_EQ(values(), anova);
    ASSERT_TRUE(frame->Commands().Dispatch(32829));
    ASSERT_TRUE(frame->Commands().Dispatch(32817));
    EXPECT_EQ(values(), anova);
}

}  // namespace
