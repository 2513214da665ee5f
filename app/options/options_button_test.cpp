// The options dialogs in the running main window, reached as a user does:
// the test chosen from the Tests menu, "Options" pressed, the dialog's
// controls clicked and OK or Cancel pressed.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <functional>
#include <map>

#include "analysis/catalogue.h"
#include "analysis/ids.h"
#include "app/drawer/drawer_wnd.h"
#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/options/options_dialogs.h"
#include "app/options/options_test_support.h"
#include "platform/commands.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "power/exact/power_exact_correlation.h"
#include "power/exact/power_exact_fisher.h"
#include "power/exact/power_exact_uncond.h"
#include "power/t/power_t_wilcoxon.h"
#include "power/z/power_z_logistic_regress.h"
#include "power/z/power_z_tetrachoric_corr.h"

namespace {

// The real dialogs, run by the test's clicks instead of a modal loop.
class ClickedOptions : public FormOptionsDialogs {
  public:
    std::function<void(COptionsDialog*)> clicks;
    std::vector<int> shownTemplates;
    std::vector<QString> shownCaptions;

  protected:
    void Run(COptionsDialog* dialog) override {
        shownTemplates.push_back(dialog->TemplateId());
        shownCaptions.push_back(dialog->windowTitle());
        if (clicks) clicks(dialog);
    }
};

void Click(COptionsDialog* d, int id) {
    d->Form()->Button(id)->click();
}
void Choose(COptionsDialog* d, int listId, int position) {
    QComboBox* list = d->Form()->List(listId);
    list->setCurrentIndex(position);
    emit list->activated(position);
}

class OptionsButton : public options_test::MainWindowWithOptions<ClickedOptions> {
  protected:
    // Chooses the test from its menu item.
    template <class Test = PowerAnalysis>
    Test* ChooseFromMenu(int testId) {
        for (const TestMenuEntry& entry : TestMenu()) {
            if (entry.testId != testId) continue;
            QAction* item = MenuItem(entry.item.commandId);
            EXPECT_NE(item, nullptr) << testId;
            if (!item) return nullptr;
            item->trigger();
            auto* test = dynamic_cast<Test*>(frame->CurrentTest());
            EXPECT_NE(test, nullptr) << testId;
            return test;
        }
        ADD_FAILURE() << "no menu item for test " << testId;
        return nullptr;
    }
    QAction* MenuItem(int commandId) {
        return frame_test::TestsMenuItem(frame->menuBar(), commandId);
    }
    QAbstractButton* OptionsKey() {
        return frame->CommandForm()->Button(form_tables::kOptionsButton);
    }
    // Presses "Options" with the dialog answered by `clicks`.
    void PressOptions(std::function<void(COptionsDialog*)> clicks) {
        options->clicks = std::move(clicks);
        ASSERT_FALSE(OptionsKey()->isHidden());
        OptionsKey()->click();
    }
    QString FirstOutput() {
        return frame->EditFieldForm()->ControlText(form_tables::OutputEditId(0));
    }
    void Calculate() {
        frame->CommandForm()->Button(form_tables::kCalculateButton)->click();
        ASSERT_TRUE(frame->OutputsValid());
    }
    void OpenDrawer() {
        CQuorixMainCompForm* form = frame->EditFieldForm();
        ASSERT_GE(form->EffectSizeRow(), 0);
        form->Button(form_tables::DetermineButtonId(form->EffectSizeRow()))->click();
        ASSERT_TRUE(frame->EffectSizeDrawerOpen());
    }
    // Presses "Options" with the drawer open; true when the drawer was
    // closed and opened again.
    bool DrawerRebuiltBy(std::function<void(COptionsDialog*)> clicks) {
        return MainWindowWithOptions::DrawerRebuiltBy([this] { OpenDrawer(); },
                                                      [&] { PressOptions(std::move(clicks)); });
    }
};

TEST_F(OptionsButton, EveryTestWithOptionsOpensItsOwnDialog) {
    // The dialog (by its form) of each test that has one.
    const std::map<int, int> dialogOf = {
        {108, 248}, {109, 248}, {110, 248}, {111, 191}, {112, 191}, {113, 191},
        {114, 205}, {115, 205}, {205, 227}, {206, 227}, {207, 227}, {301, 165},
        {308, 242}, {309, 232}, {310, 243}, {601, 166}, {602, 166}, {603, 166},
        {604, 167}, {605, 198}, {606, 199}, {607, 203}, {608, 203}, {611, 244},
    };
    int opened = 0;
    for (const TestMenuEntry& entry : TestMenu()) {
        SCOPED_TRACE(entry.testId);
        ChooseFromMenu(entry.testId);
        const auto dialog = dialogOf.find(entry.testId);
        if (!frame->CurrentTest()->HasOptions()) {
            EXPECT_TRUE(OptionsKey()->isHidden());
            EXPECT_EQ(dialog, dialogOf.end());
            continue;
        }
        options->shownTemplates.clear();
        PressOptions([](COptionsDialog* d) { Click(d, kOptionsCancel); });
        if (dialog == dialogOf.end()) {
            EXPECT_TRUE(options->shownTemplates.empty());
            continue;
        }
        ASSERT_EQ(options->shownTemplates.size(), 1u);
        EXPECT_EQ(options->shownTemplates[0], dialog->second);
        EXPECT_FALSE(options->shownCaptions[0].isEmpty());
        ++opened;
    }
    // Repeated measures and MANOVA (108-115), Wilcoxon (205-207), z tests
    // (301, 308-310) and exact tests (601-608, 611).
    EXPECT_EQ(opened, 24);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OptionsButton, OkWritesTheChoicesBackAndBlanksTheResults) {
    auto* fisher = ChooseFromMenu<PowerExactFisherTwoProp>(kFisherTestId);
    ASSERT_NE(fisher, nullptr);
    Calculate();
    const QString calculated = FirstOutput();
    PressOptions([](COptionsDialog* d) {
        Click(d, 1098);
        d->Form()->Edit(1137)->setText("500");
        Click(d, 1103);
        Choose(d, kStatisticList, 2);
        Click(d, kOptionsOk);
    });
    EXPECT_TRUE(fisher->useApproximation);
    EXPECT_EQ(fisher->exactThreshold, 500.0);
    EXPECT_EQ(fisher->alphaBalancing, 1);
    EXPECT_EQ(fisher->statistic, 2);
    EXPECT_FALSE(frame->OutputsValid());
    EXPECT_NE(FirstOutput(), calculated);

    // The next opening shows what was chosen.
    PressOptions([](COptionsDialog* d) {
        EXPECT_TRUE(d->Form()->Button(1098)->isChecked());
        EXPECT_EQ(d->Form()->ControlText(1137), "500");
        EXPECT_EQ(d->Form()->ControlText(kStatisticList), "Pearson chi square");
        Click(d, kOptionsCancel);
    });
}

TEST_F(OptionsButton, CancelChangesNoOptionButStillBlanksTheResults) {
    auto* uncond = ChooseFromMenu<PowerExactUncondTwoProp>(kUnconditionalOffsetTestId);
    ASSERT_NE(uncond, nullptr);
    const int statistic = uncond->statistic, index = uncond->effectIndex;
    const double limit = uncond->exactLimit;
    Calculate();
    PressOptions([](COptionsDialog* d) {
        Click(d, 1098);
        d->Form()->Edit(1137)->setText("20");
        Choose(d, kEffectIndexList, 3);
        Click(d, kOptionsCancel);
    });
    EXPECT_FALSE(uncond->largeSample);
    EXPECT_EQ(uncond->exactLimit, limit);
    EXPECT_EQ(uncond->statistic, statistic);
    EXPECT_EQ(uncond->effectIndex, index);
    EXPECT_FALSE(frame->OutputsValid());

    // OK with the risk ratio: its first score, Gart and Nam's.
    PressOptions([](COptionsDialog* d) {
        Choose(d, kEffectIndexList, 2);
        EXPECT_EQ(d->Form()->List(kStatisticList)->count(), 3);
        Click(d, kOptionsOk);
    });
    EXPECT_EQ(uncond->effectIndex, 2);
    EXPECT_EQ(uncond->statistic, 12);
}

TEST_F(OptionsButton, WilcoxonAndLogisticTakeThePagesAndComputationChosen) {
    auto* wilcoxon = ChooseFromMenu<PowerTWilcox2>(kWilcoxonTwoGroupsTestId);
    ASSERT_NE(wilcoxon, nullptr);
    ASSERT_EQ(wilcoxon->wilcoxon.method, 1);
    PressOptions([](COptionsDialog* d) {
        Click(d, wilcoxon_form::kLehmannTitle);
        Click(d, wilcoxon_form::kContinuityCheck);
        Click(d, kOptionsOk);
    });
    EXPECT_EQ(wilcoxon->wilcoxon.method, 3);  // Lehmann with d
    EXPECT_TRUE(wilcoxon->wilcoxon.continuityCorrection);

    auto* logistic = ChooseFromMenu<PowerZLogisticRegress>(kLogisticRegressionTestId);
    ASSERT_NE(logistic, nullptr);
    logistic->useEnumeration = true;
    PressOptions([](COptionsDialog* d) {
        EXPECT_FALSE(d->Form()->Control(computation_form::kProcedure)->isEnabled());
        Click(d, computation_form::kLargeSample);
        Click(d, computation_form::kOtherProcedure);
        Click(d, kOptionsOk);
    });
    EXPECT_FALSE(logistic->useEnumeration);
    EXPECT_FALSE(logistic->demidenko);
}

TEST_F(OptionsButton, TetrachoricAndRandomModelOptionsRebuildAnOpenDrawer) {
    auto* tetrachoric = ChooseFromMenu<PowerZTetrachoricCorr>(kTetrachoricTestId);
    ASSERT_NE(tetrachoric, nullptr);
    // OK without a change keeps the drawer; Cancel after a change too.
    EXPECT_FALSE(DrawerRebuiltBy([](COptionsDialog* d) { Click(d, kOptionsOk); }));
    EXPECT_FALSE(DrawerRebuiltBy([](COptionsDialog* d) {
        Click(d, 1098);
        Click(d, kOptionsCancel);
    }));
    EXPECT_FALSE(tetrachoric->useApproximation);
    EXPECT_TRUE(DrawerRebuiltBy([](COptionsDialog* d) {
        Click(d, 1098);
        Click(d, kOptionsOk);
    }));
    EXPECT_TRUE(tetrachoric->useApproximation);

    auto* mrc = ChooseFromMenu<PowerExactMRC>(kRegressionRandomTestId);
    ASSERT_NE(mrc, nullptr);
    const int method = mrc->GetMethod();
    EXPECT_FALSE(DrawerRebuiltBy([](COptionsDialog* d) { Click(d, kOptionsOk); }));
    EXPECT_TRUE(DrawerRebuiltBy([](COptionsDialog* d) {
        Click(d, 1040);
        Click(d, kOptionsOk);
    }));
    EXPECT_NE(mrc->GetMethod(), method);
    EXPECT_EQ(mrc->GetMethod(), 1);
}

}  // namespace
