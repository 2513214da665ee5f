#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "app/explorer/explorer_tabs_window.h"
#include "app/explorer/glmm_in_contrast.h"
#include "app/explorer/glmm_in_design.h"
#include "app/explorer/glmm_in_means.h"
#include "app/explorer/glmm_in_sigma.h"
#include "app/matrix/grid_input_test_support.h"
#include "app/widgets/spin_buttons.h"
#include "glm/model/power_glmm.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "ui/grid/grid_cell_types.h"
#include "ui/grid/in_place_edit.h"

// Readable failure messages for grid texts.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

// The tabs over a model of 5 cells, 3 predictors and 4 responses, shown and
// active so that typing reaches the grids.
class ExplorerTabs : public ::testing::Test {
  protected:
    void SetUp() override {
        model.SetDimensions(5, 3, 4);
        window = std::make_unique<ExplorerTabsWindow>(&model);
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    void TearDown() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void ClickTab(int index) {
        QTabBar* tabs = window->Tabs();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
        ASSERT_EQ(tabs->currentIndex(), index);
    }
    CGridCtrl* Grid() const { return window->CurrentForm()->View()->Grid(); }
    QString Text(int r, int c) const { return Grid()->GetItemText(r, c); }

    // Types `text` into cell (r, c) of the current grid and presses Enter.
    void TypeIntoCell(int r, int c, const QString& text) {
        grid_input_test::TypeIntoCell(Grid(), r, c, text);
    }
    // Replaces the text of a count field as a user does.
    static void TypeInto(QLineEdit* edit, const QString& text) {
        grid_input_test::TypeInto(edit, text);
    }
    void Choose(QComboBox* box, int index) { grid_input_test::Choose(box, index); }
    QStringList Column(int c) const {
        QStringList texts;
        for (int r = 0; r < Grid()->GetRowCount(); ++r) texts << Text(r, c);
        return texts;
    }
    QStringList Row(int r) const {
        QStringList texts;
        for (int c = 0; c < Grid()->GetColumnCount(); ++c) texts << Text(r, c);
        return texts;
    }

    PowerGLMM model;
    std::unique_ptr<ExplorerTabsWindow> window;
};

}  // namespace

TEST_F(ExplorerTabs, TabsOpenWithTheModelsShapes) {
    EXPECT_EQ(Row(0), (QStringList{"cell\\pred", "pred 1", "pred 2", "pred 3", "ssize weight"}));
    EXPECT_EQ(Row(5), (QStringList{"cell 5", "0", "0", "0", "1"}));
    EXPECT_FALSE(Grid()->IsCellEditable(0, 0));
    EXPECT_FALSE(Grid()->IsCellEditable(0, 4));
    EXPECT_TRUE(Grid()->IsCellEditable(0, 2));  // predictor names are typed

    ClickTab(ExplorerTabsWindow::kMeans);
    EXPECT_EQ(Row(0), (QStringList{"pred\\var", "Y 1", "Y 2", "Y 3", "Y 4"}));
    EXPECT_EQ(Column(0), (QStringList{"pred\\var", "pred 1", "pred 2", "pred 3"}));
    EXPECT_EQ(Text(3, 4), "0");

    ClickTab(ExplorerTabsWindow::kSigma);
    EXPECT_EQ(Row(0), (QStringList{"Covariance", "Y 1", "Y 2", "Y 3", "Y 4"}));
    EXPECT_EQ(Row(2), (QStringList{"Y 2", "0", "1", "0", "0"}));
    for (int r = 1; r < 5; ++r)
        for (int c = 1; c < 5; ++c)
            EXPECT_EQ(Grid()->IsCellEditable(r, c), r >= c) << r << "," << c;

    ClickTab(ExplorerTabsWindow::kVarContrast);
    // The coefficient columns carry the means grid's response names.
    EXPECT_EQ(Row(0),
              (QStringList{"line", "label", "use", "normalize", "Y 1", "Y 2", "Y 3", "Y 4"}));
    EXPECT_EQ(Text(1, 1), "Contrast 1");
    EXPECT_NE(dynamic_cast<CGridCellCheck*>(Grid()->GetCell(1, 2)), nullptr);
    EXPECT_NE(dynamic_cast<CGridCellCombo*>(Grid()->GetCell(2, 3)), nullptr);
    EXPECT_EQ(Text(3, 3), " ");
}

TEST_F(ExplorerTabs, DesignCountsReshapeAndRestore) {
    CGLMM_In_Design* form = window->DesignForm();
    QLineEdit* predictors = form->Edit(CGLMM_In_Design::kPredictorsEdit);
    TypeInto(predictors, "4");
    EXPECT_EQ(model.predictors, 4);
    EXPECT_EQ(Row(0),
              (QStringList{"cell\\pred", "pred 1", "pred 2", "pred 3", "pred 4", "ssize weight"}));
    EXPECT_EQ(Text(2, 4), "0");
    TypeIntoCell(2, 4, "=1/2");
    TypeIntoCell(3, 5, "2");
    TypeInto(predictors, "3");
    EXPECT_EQ(Grid()->GetColumnCount(), 5);
    EXPECT_EQ(Text(3, 4), "2");  // the weights stay last
    TypeInto(predictors, "");    // a count being typed leaves the grid alone
    EXPECT_EQ(Grid()->GetColumnCount(), 5);
    TypeInto(predictors, "4");
    EXPECT_EQ(Text(2, 4), "=1/2");

    QTest::mouseClick(form->CellsSpin()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(form->ControlText(CGLMM_In_Design::kCellsEdit), "6");
    EXPECT_EQ(model.cells, 6);
    EXPECT_EQ(Row(6), (QStringList{"cell 6", "0", "0", "0", "0", "1"}));

    // What code writes into the fields is no user's change.
    form->SetControlText(CGLMM_In_Design::kCellsEdit, "2");
    EXPECT_EQ(Grid()->GetRowCount(), 7);

    LabeledMatrix x, w;
    form->DesignView()->GetDesignMatrix(x);
    form->DesignView()->GetCellWeights(w);
    ASSERT_EQ(x.values.rows(), 6);
    ASSERT_EQ(x.values.cols(), 4);
    EXPECT_EQ(x.values(1, 3), 0.5);
    EXPECT_EQ(w.values(2, 0), 2.0);
    EXPECT_EQ(w.values(5, 0), 1.0);
}

TEST_F(ExplorerTabs, MeansFollowTheDesignAndTheirResponseCount) {
    TypeInto(window->DesignForm()->Edit(CGLMM_In_Design::kPredictorsEdit), "4");
    TypeIntoCell(0, 4, "age");
    ClickTab(ExplorerTabsWindow::kMeans);
    EXPECT_EQ(Column(0), (QStringList{"pred\\var", "pred 1", "pred 2", "pred 3", "age"}));
    EXPECT_EQ(Row(4), (QStringList{"age", "0", "0", "0", "0"}));

    QLineEdit* responses = window->MeansForm()->Edit(CGLMM_In_Means::kResponsesEdit);
    TypeIntoCell(2, 4, "1.5");
    TypeInto(responses, "6");
    EXPECT_EQ(model.responses, 6);
    EXPECT_EQ(Row(0).mid(5), (QStringList{"Y 5", "Y 6"}));
    EXPECT_EQ(Text(4, 6), "0");
    TypeInto(responses, "2");
    EXPECT_EQ(Grid()->GetColumnCount(), 3);
    TypeInto(responses, "4");
    EXPECT_EQ(Text(2, 4), "1.5");

    LabeledMatrix b;
    window->MeansForm()->MeansView()->GetMeans(b);
    ASSERT_EQ(b.values.rows(), 4);
    ASSERT_EQ(b.values.cols(), 4);
    EXPECT_EQ(b.values(1, 3), 1.5);
}

TEST_F(ExplorerTabs, CovarianceMirrorsConvertsAndRefusesWithoutLoss) {
    ClickTab(ExplorerTabsWindow::kSigma);
    TypeIntoCell(3, 1, "0.3");
    EXPECT_EQ(Text(1, 3), "0.3");
    Grid()->SetItemText(4, 2, "0.7");  // a fill by code is not mirrored
    EXPECT_EQ(Text(2, 4), "0");

    TypeIntoCell(1, 1, "4");
    TypeIntoCell(2, 2, "9");
    TypeIntoCell(2, 1, "3");
    Grid()->SetItemText(4, 2, "0");
    QComboBox* mode = window->SigmaForm()->List(CGLMM_In_Sigma::kModeList);
    Choose(mode, 1);
    EXPECT_EQ(Row(1).mid(0, 3), (QStringList{"Y 1", "2", "0.5"}));
    EXPECT_EQ(Row(2).mid(0, 3), (QStringList{"Y 2", "0.5", "3"}));
    EXPECT_EQ(Text(0, 0), "SD and corr");

    // The model always receives covariances.
    LabeledMatrix sigma;
    EXPECT_FALSE(window->SigmaForm()->GetSigma(sigma));
    EXPECT_EQ(sigma.values(1, 0), 3.0);
    EXPECT_EQ(sigma.values(1, 1), 9.0);

    Choose(mode, 0);
    EXPECT_EQ(Row(1).mid(0, 3), (QStringList{"Y 1", "4", "3"}));
    EXPECT_EQ(Text(2, 2), "9");
    EXPECT_EQ(Text(0, 0), "Covariance");
    mode->setCurrentIndex(1);  // a choice made by code converts nothing
    EXPECT_EQ(Text(1, 1), "4");
    mode->setCurrentIndex(0);

    // A covariance too large for its variances: reported, nothing changes.
    TypeIntoCell(2, 1, "7");
    QStringList before;
    for (int r = 0; r < 5; ++r) before << Row(r);
    platform::ScriptedDialogs dialogs;
    Choose(mode, 1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("outside [-1, 1]"));
    EXPECT_EQ(mode->currentIndex(), 0);
    QStringList after;
    for (int r = 0; r < 5; ++r) after << Row(r);
    EXPECT_EQ(after, before);
}

TEST_F(ExplorerTabs, CovarianceFollowsTheMeansResponses) {
    ClickTab(ExplorerTabsWindow::kSigma);
    TypeIntoCell(4, 3, "0.2");
    ClickTab(ExplorerTabsWindow::kMeans);
    TypeIntoCell(0, 2, "weight");
    TypeInto(window->MeansForm()->Edit(CGLMM_In_Means::kResponsesEdit), "6");
    ClickTab(ExplorerTabsWindow::kSigma);
    EXPECT_EQ(Row(0), (QStringList{"Covariance", "Y 1", "weight", "Y 3", "Y 4", "Y 5", "Y 6"}));
    EXPECT_EQ(Row(6), (QStringList{"Y 6", "0", "0", "0", "0", "0", "1"}));
    EXPECT_EQ(Text(3, 4), "0.2");
    ClickTab(ExplorerTabsWindow::kMeans);
    TypeInto(window->MeansForm()->Edit(CGLMM_In_Means::kResponsesEdit), "3");
    ClickTab(ExplorerTabsWindow::kSigma);
    EXPECT_EQ(Grid()->GetRowCount(), 4);
    ClickTab(ExplorerTabsWindow::kMeans);
    TypeInto(window->MeansForm()->Edit(CGLMM_In_Means::kResponsesEdit), "4");
    ClickTab(ExplorerTabsWindow::kSigma);
    EXPECT_EQ(Text(4, 3), "0.2");
}

TEST_F(ExplorerTabs, ContrastButtonsChecksAndLabels) {
    ClickTab(ExplorerTabsWindow::kVarContrast);
    CGLMM_In_AMat* form = window->VarContrastForm();
    auto* add = static_cast<QPushButton*>(form->Button(CGLMM_In_ContrastForm::kAddContrastButton));
    auto* reorder = static_cast<QPushButton*>(form->Button(CGLMM_In_ContrastForm::kReorderButton));
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(Column(1).mid(1, 6),
              (QStringList{"Contrast 1", "", "", "contrast 2", "", "contrast 3"}));

    // Clearing the first contrast's "use" box leaves it out of the list.
    Grid()->grab();  // the box's place is known once it is drawn
    auto* check = dynamic_cast<CGridCellCheck*>(Grid()->GetCell(1, 2));
    ASSERT_NE(check, nullptr);
    const QPoint box = check->CheckBoxRect().center();
    Grid()->OnLButtonDown(box, Qt::NoModifier);
    Grid()->OnLButtonUp(box);
    EXPECT_FALSE(check->GetCheck());
    PowerContrastList list;
    form->ContrastView()->BuildContrastList(list, Matrix());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->matrix.name, L"contrast 2");
    EXPECT_EQ(list[0]->number, 1);

    // A label typed on an empty row makes a contrast of zeros there.
    TypeIntoCell(8, 1, "new");
    EXPECT_EQ(Row(8).mid(4), (QStringList{"0", "0", "0", "0"}));
    EXPECT_NE(dynamic_cast<CGridCellCheck*>(Grid()->GetCell(8, 2)), nullptr);
    EXPECT_NE(dynamic_cast<CGridCellCombo*>(Grid()->GetCell(8, 3)), nullptr);

    // A choice in the normalize column ends like an edit of its cell.
    TypeIntoCell(4, 4, "1");
    TypeIntoCell(4, 5, "-1");
    TypeIntoCell(4, 6, "-1");
    Grid()->ModifyItemText(4, 3, "to one");
    QTest::mouseClick(reorder, Qt::LeftButton);
    EXPECT_EQ(Column(1).mid(1, 7),
              (QStringList{"Contrast 1", " ", " ", "contrast 2", " ", "contrast 3", " "}));
    EXPECT_EQ(Text(8, 1), "new");
    EXPECT_EQ(Text(4, 3), "to one");
    QStringList first;
    for (int r = 0; r < Grid()->GetRowCount(); ++r) first << Row(r);
    QTest::mouseClick(reorder, Qt::LeftButton);
    QStringList second;
    for (int r = 0; r < Grid()->GetRowCount(); ++r) second << Row(r);
    EXPECT_EQ(second, first);

    form->ContrastView()->BuildContrastList(list, Matrix());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->matrix.name, L"contrast 2");
    EXPECT_NEAR(list[0]->matrix.values(0, 0), 2.0 / std::sqrt(6.0), 1e-15);
    EXPECT_FALSE(dynamic_cast<CGridCellCheck*>(Grid()->GetCell(1, 2))->GetCheck());
}

TEST_F(ExplorerTabs, PredictorContrastsFollowTheDesign) {
    TypeInto(window->DesignForm()->Edit(CGLMM_In_Design::kPredictorsEdit), "5");
    ClickTab(ExplorerTabsWindow::kPredContrast);
    EXPECT_EQ(Row(0).mid(4), (QStringList{"pred 1", "pred 2", "pred 3", "pred 4", "pred 5"}));
    LabeledMatrix saved;
    window->PredContrastForm()->ContrastView()->GridToMatrix(saved);
    EXPECT_EQ(saved.cells(1, 2), L"1");
    EXPECT_EQ(saved.cells(1, 3), L"0");
}
