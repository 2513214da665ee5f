#include "app/explorer/glmm_explorer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "app/explorer/glmm_in_contrast.h"
#include "app/explorer/glmm_in_design.h"
#include "app/explorer/glmm_in_general.h"
#include "app/explorer/glmm_in_means.h"
#include "app/explorer/glmm_in_sigma.h"
#include "app/explorer/glmm_results.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/widgets/html_edit.h"
#include "app/widgets/spin_buttons.h"
#include "glm/bench/explorer_bench_design.h"
#include "glm/explorer_model.h"
#include "glm/model/power_glmm.h"
#include "glm/model_file.h"
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
        window = std::make_unique<CGLMMExplorer>();
        window->SetModel(&model);
        ASSERT_TRUE(window->OnInitDialog());
        window->show();
        QApplication::setActiveWindow(window.get());
        ClickTab(CGLMMExplorer::kDesign);
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
    CGridCtrl* Grid() const {
        return dynamic_cast<CGLMMTabForm&>(*window->CurrentForm()).View()->Grid();
    }
    QString Text(int r, int c) const { return Grid()->GetItemText(r, c); }

    // Types `text` into cell (r, c) of the current grid and presses Enter.
    void TypeIntoCell(int r, int c, const QString& text) {
        CGridCtrl* grid = Grid();
        grid->setFocus();
        grid->SetFocusCell(r, c);
        QTest::keyClick(grid, Qt::Key_F2);
        auto* editor = dynamic_cast<CInPlaceEdit*>(grid->GetCell(r, c)->GetEditWnd());
        ASSERT_NE(editor, nullptr) << r << "," << c;
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    // Replaces the text of a count field as a user does.
    static void TypeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void Choose(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
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
    std::unique_ptr<CGLMMExplorer> window;
};

}  // namespace

TEST_F(ExplorerTabs, TabsOpenWithTheModelsShapes) {
    EXPECT_EQ(Row(0), (QStringList{"cell\\pred", "pred 1", "pred 2", "pred 3", "ssize weight"}));
    EXPECT_EQ(Row(5), (QStringList{"cell 5", "0", "0", "0", "1"}));
    EXPECT_FALSE(Grid()->IsCellEditable(0, 0));
    EXPECT_FALSE(Grid()->IsCellEditable(0, 4));
    EXPECT_TRUE(Grid()->IsCellEditable(0, 2));  // predictor names are typed

    ClickTab(CGLMMExplorer::kMeans);
    EXPECT_EQ(Row(0), (QStringList{"pred\\var", "Y 1", "Y 2", "Y 3", "Y 4"}));
    EXPECT_EQ(Column(0), (QStringList{"pred\\var", "pred 1", "pred 2", "pred 3"}));
    EXPECT_EQ(Text(3, 4), "0");

    ClickTab(CGLMMExplorer::kSigma);
    EXPECT_EQ(Row(0), (QStringList{"Covariance", "Y 1", "Y 2", "Y 3", "Y 4"}));
    EXPECT_EQ(Row(2), (QStringList{"Y 2", "0", "1", "0", "0"}));
    for (int r = 1; r < 5; ++r)
        for (int c = 1; c < 5; ++c)
            EXPECT_EQ(Grid()->IsCellEditable(r, c), r >= c) << r << "," << c;

    ClickTab(CGLMMExplorer::kVarContrast);
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
    ClickTab(CGLMMExplorer::kMeans);
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
    ClickTab(CGLMMExplorer::kSigma);
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
    ClickTab(CGLMMExplorer::kSigma);
    TypeIntoCell(4, 3, "0.2");
    ClickTab(CGLMMExplorer::kMeans);
    TypeIntoCell(0, 2, "weight");
    TypeInto(window->MeansForm()->Edit(CGLMM_In_Means::kResponsesEdit), "6");
    ClickTab(CGLMMExplorer::kSigma);
    EXPECT_EQ(Row(0), (QStringList{"Covariance", "Y 1", "weight", "Y 3", "Y 4", "Y 5", "Y 6"}));
    EXPECT_EQ(Row(6), (QStringList{"Y 6", "0", "0", "0", "0", "0", "1"}));
    EXPECT_EQ(Text(3, 4), "0.2");
    ClickTab(CGLMMExplorer::kMeans);
    TypeInto(window->MeansForm()->Edit(CGLMM_In_Means::kResponsesEdit), "3");
    ClickTab(CGLMMExplorer::kSigma);
    EXPECT_EQ(Grid()->GetRowCount(), 4);
    ClickTab(CGLMMExplorer::kMeans);
    TypeInto(window->MeansForm()->Edit(CGLMM_In_Means::kResponsesEdit), "4");
    ClickTab(CGLMMExplorer::kSigma);
    EXPECT_EQ(Text(4, 3), "0.2");
}

TEST_F(ExplorerTabs, ContrastButtonsChecksAndLabels) {
    ClickTab(CGLMMExplorer::kVarContrast);
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
    ClickTab(CGLMMExplorer::kPredContrast);
    EXPECT_EQ(Row(0).mid(4), (QStringList{"pred 1", "pred 2", "pred 3", "pred 4", "pred 5"}));
    LabeledMatrix saved;
    window->PredContrastForm()->ContrastView()->GridToMatrix(saved);
    EXPECT_EQ(saved.cells(1, 2), L"1");
    EXPECT_EQ(saved.cells(1, 3), L"0");
}

namespace {

// A two-group, one-response model as a model file: cells "g1" and "g2" with
// their own predictor, means 0.6 and 0, variance 1, the contrast of the two
// predictors (its label holds markup that must show as typed) and the one
// response.
ModelFileGrids TwoGroupModel() {
    auto table = [](std::vector<std::vector<std::wstring>> rows) {
        TextArray t(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
        for (int r = 0; r < t.rows(); ++r)
            for (int c = 0; c < t.cols(); ++c) t(r, c) = rows[r][c];
        return t;
    };
    ModelFileGrids g;
    g.design = table({{L"cell\\pred", L"pred 1", L"pred 2", L"ssize weight"},
                      {L"g1", L"1", L"0", L"1"},
                      {L"g2", L"0", L"1", L"1"}});
    g.means = table({{L"pred\\var", L"Y 1"}, {L"pred 1", L"=0.3*2"}, {L"pred 2", L"0"}});
    g.sigma = table({{L"SD and corr", L"Y 1"}, {L"Y 1", L"1"}});
    g.predContrasts = table({{L"line", L"label", L"use", L"normalize", L"pred 1", L"pred 2"},
                             {L"1", L"<b>diff</b>", L"1", L"0", L"1", L"-1"}});
    g.varContrasts =
        table({{L"line", L"label", L"use", L"normalize", L"Y 1"}, {L"1", L"Y", L"1", L"0", L"1"}});
    return g;
}

QByteArray Bytes(const ModelFileGrids& g) {
    const std::string bytes = WriteModelFile(g);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class ExplorerDialog : public ExplorerTabs {
  protected:
    QString Shown() const { return window->ResultsForm()->Html()->PlainText(); }
    QString Body() const { return window->ResultsForm()->Html()->Body(); }
    void Calculate() { QTest::mouseClick(window->CalculateButton(), Qt::LeftButton); }
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    platform::ScriptedDialogs dialogs;
    QTemporaryDir dir;
};

}  // namespace

namespace {

// Opens the explorer through the View menu, as a user does, and runs `use`
// on it while it is shown modally; false when it did not show.
bool OpenFromViewMenu(CQuorixNTApp& app, const std::function<void(CGLMMExplorer*)>& use) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* explorer = dynamic_cast<CGLMMExplorer*>(QApplication::activeModalWidget());
        if (explorer) {
            seen = true;
            use(explorer);
        }
        // Never leave a modal loop running in a test.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = dynamic_cast<QDialog*>(w); d && d->isVisible()) d->reject();
    });
    QAction* item = nullptr;
    for (QAction* menu : app.MainFrame()->menuBar()->actions()) {
        if (menu->text() != "&View") continue;
        for (QAction* a : menu->menu()->actions())
            if (a->text() == "General linear &model explorer ...") item = a;
    }
    if (!item || !item->isEnabled()) return false;
    item->trigger();
    return seen;
}

}  // namespace

// Enter in a field commits it and leaves the dialog open; Exit closes it;
// reopened, it shows the model as it was left. Changes never saved are
// offered for saving before the program ends.
TEST(ExplorerCommand, KeepsItsModelWhileTheProgramRuns) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_TRUE(OpenFromViewMenu(app, [](CGLMMExplorer* explorer) {
        for (int id :
             {CGLMMExplorer::kAnova, CGLMMExplorer::kManova, CGLMMExplorer::kRepeatedMeasurements})
            EXPECT_FALSE(explorer->MenuAction(id)->isEnabled()) << id;
        EXPECT_TRUE(explorer->MenuAction(CGLMMExplorer::kExit)->isEnabled());
        QTabBar* tabs = explorer->Tabs();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(CGLMMExplorer::kDesign).center());
        QLineEdit* cells = explorer->DesignForm()->Edit(CGLMM_In_Design::kCellsEdit);
        cells->setFocus();
        cells->selectAll();
        QTest::keyClicks(cells, "3");
        QTest::keyClick(cells, Qt::Key_Return);
        QTest::keyClick(cells, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_TRUE(explorer->isVisible());
        EXPECT_EQ(explorer->DesignForm()->DesignView()->Grid()->GetRowCount(), 4);
        explorer->MenuAction(CGLMMExplorer::kExit)->trigger();
        EXPECT_FALSE(explorer->isVisible());
    }));
    CGLMMExplorer* kept = app.MainFrame()->Explorer();
    ASSERT_NE(kept, nullptr);
    ASSERT_TRUE(OpenFromViewMenu(app, [kept](CGLMMExplorer* explorer) {
        EXPECT_EQ(explorer, kept);
        EXPECT_EQ(explorer->CurrentForm(), explorer->DesignForm());
        EXPECT_EQ(explorer->DesignForm()->ControlText(CGLMM_In_Design::kCellsEdit), "3");
        EXPECT_EQ(explorer->DesignForm()->DesignView()->Grid()->GetRowCount(), 4);
        EXPECT_TRUE(explorer->HasUnsavedChanges());
        QTest::mouseClick(explorer->OkButton(), Qt::LeftButton);
    }));
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.QueueMessageAnswer(platform::MessageAnswer::Cancel);
    EXPECT_FALSE(app.MainFrame()->close());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "The model has changes that were not saved.\nSave them first?");
    EXPECT_EQ(dialogs.messages[0].buttons, platform::MessageButtons::YesNoCancel);
    dialogs.QueueMessageAnswer(platform::MessageAnswer::No);
    EXPECT_TRUE(app.MainFrame()->close());
    EXPECT_TRUE(dialogs.fileQuestions.empty());
}

// The frame's command opens the explorer modally over a model of 5 cells, 3
// predictors and 4 responses, with the General tab showing its defaults; OK
// closes it.
TEST(ExplorerCommand, OpensTheExplorerOverTheStandardModel) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* explorer = dynamic_cast<CGLMMExplorer*>(QApplication::activeModalWidget());
        if (!explorer) {
            // Never leave a modal loop running in a test.
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = dynamic_cast<QDialog*>(w); d && d->isVisible()) d->reject();
            return;
        }
        seen = true;
        EXPECT_EQ(explorer->windowTitle(), "General Linear Model Explorer");
        EXPECT_EQ(explorer->parentWidget(), nullptr);
        QStringList tabs;
        for (int i = 0; i < explorer->Tabs()->count(); ++i) tabs << explorer->Tabs()->tabText(i);
        EXPECT_EQ(tabs, (QStringList{"General", "Design X", "Means B", "Cov Sigma",
                                     "Pred. Contrast C", "Var Contrast A", "Results"}));
        CGLMM_In_General* general = explorer->GeneralForm();
        EXPECT_EQ(explorer->CurrentForm(), general);
        EXPECT_TRUE(general->isVisible());
        EXPECT_EQ(general->ControlText(CGLMM_In_General::kAlphaEdit), "0.05");
        EXPECT_EQ(general->ControlText(CGLMM_In_General::kPowerEdit), "0.80");
        EXPECT_EQ(general->ControlText(CGLMM_In_General::kTotalEdit), "24");
        EXPECT_EQ(general->ControlText(CGLMM_In_General::kBScaleEdit), "1.0");
        EXPECT_EQ(general->ControlText(CGLMM_In_General::kAnalysisList), "Post hoc: Calc Power");
        EXPECT_EQ(explorer->DesignForm()->DesignView()->Grid()->GetRowCount(), 6);
        EXPECT_EQ(explorer->DesignForm()->DesignView()->Grid()->GetColumnCount(), 5);
        EXPECT_EQ(explorer->MeansForm()->MeansView()->Grid()->GetColumnCount(), 5);
        EXPECT_TRUE(explorer->ResultsForm()->Html()->Body().isEmpty());
        QTest::mouseClick(explorer->CalculateButton(), Qt::LeftButton);
        EXPECT_TRUE(
            explorer->ResultsForm()->Html()->Body().contains("Test of: Contrast 1 x Contrast 1"));
        QTest::mouseClick(explorer->OkButton(), Qt::LeftButton);
    });
    // Opened from the View menu, as a user does.
    QAction* item = nullptr;
    for (QAction* menu : app.MainFrame()->menuBar()->actions()) {
        if (menu->text() != "&View") continue;
        for (QAction* a : menu->menu()->actions())
            if (a->text() == "General linear &model explorer ...") item = a;
    }
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ExplorerDialog, ResizingKeepsTheShownTabFilled) {
    ClickTab(CGLMMExplorer::kResults);
    window->resize(900, 700);
    QCoreApplication::processEvents();
    CGLMM_Results* results = window->ResultsForm();
    EXPECT_EQ(results->size(), results->parentWidget()->size());
    EXPECT_EQ(results->Html()->size(), results->size());
}

// Loaded through the menu, the model file fills every tab; Calculate gives
// the two-sample t test's numbers (d = 0.6, N = 60: two-tailed power
// 0.627504587, one-tailed 0.7528...; verification in glm's report tests),
// each Calculate starting afresh; saved again it gives the same bytes.
TEST_F(ExplorerDialog, LoadCalculateAndSaveAModelFile) {
    const QString path = Path("two groups.gmm");
    const QByteArray original = Bytes(TwoGroupModel());
    ASSERT_TRUE(WriteAll(path, original));
    dialogs.QueueFileAnswer(path);
    window->MenuAction(CGLMMExplorer::kLoad)->trigger();
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_FALSE(dialogs.fileQuestions[0].save);
    EXPECT_EQ(dialogs.fileQuestions[0].request.title, "Choose model");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(window->ModelFile(), path);
    EXPECT_EQ(window->windowTitle(), "two groups.gmm - General Linear Model Explorer");
    EXPECT_EQ(window->DesignForm()->ControlText(CGLMM_In_Design::kCellsEdit), "2");
    EXPECT_EQ(window->DesignForm()->ControlText(CGLMM_In_Design::kPredictorsEdit), "2");
    EXPECT_EQ(window->MeansForm()->ControlText(CGLMM_In_Means::kResponsesEdit), "1");
    EXPECT_EQ(window->SigmaForm()->List(CGLMM_In_Sigma::kModeList)->currentIndex(), 1);

    TypeInto(window->GeneralForm()->Edit(CGLMM_In_General::kTotalEdit), "60");
    Calculate();
    Calculate();
    const QString shown = Shown();
    EXPECT_EQ(shown.count("Test of:"), 1);
    EXPECT_TRUE(shown.contains("Test of: <b>diff</b> x Y")) << shown.toStdString();
    EXPECT_FALSE(Body().contains("<b>diff"));
    for (const char* text : {"crit t", "0.628", "one", "two"})
        EXPECT_TRUE(shown.contains(text)) << text;
    // N and the df are counts, shown whole.
    EXPECT_TRUE(Body().contains("> 60</td>"));
    EXPECT_TRUE(Body().contains("> 58</td>"));
    EXPECT_FALSE(Body().contains("60.0"));
    EXPECT_FALSE(shown.contains("F test"));

    // Save goes to the loaded file without asking; Save As elsewhere.
    ASSERT_TRUE(WriteAll(path, "stale"));
    window->MenuAction(CGLMMExplorer::kSave)->trigger();
    EXPECT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_EQ(ReadAll(path), original);
    const QString other = Path("copy.gmm");
    dialogs.QueueFileAnswer(other);
    window->MenuAction(CGLMMExplorer::kSaveAs)->trigger();
    ASSERT_EQ(dialogs.fileQuestions.size(), 2u);
    EXPECT_TRUE(dialogs.fileQuestions[1].save);
    EXPECT_EQ(dialogs.fileQuestions[1].request.title, "Choose filename for model");
    EXPECT_EQ(dialogs.fileQuestions[1].request.defaultSuffix, "gmm");
    EXPECT_EQ(ReadAll(other), original);
    EXPECT_EQ(window->ModelFile(), other);
    EXPECT_EQ(window->windowTitle(), "copy.gmm - General Linear Model Explorer");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ExplorerDialog, ADamagedFileChangesNothing) {
    const QString good = Path("good.gmm");
    ASSERT_TRUE(WriteAll(good, Bytes(TwoGroupModel())));
    dialogs.QueueFileAnswer(good);
    window->MenuAction(CGLMMExplorer::kLoad)->trigger();
    ASSERT_EQ(window->ModelFile(), good);
    const QStringList design = Row(1);

    ModelFileGrids damaged = TwoGroupModel();
    damaged.sigma.Resize(2, 3, L"1");
    damaged.design(1, 0) = L"changed";
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* names;
    } cases[] = {
        {"sigma.gmm", Bytes(damaged), "Block \"Cov Sigma\" is not square"},
        {"empty.gmm", QByteArray(), "Block \"Design X\" is missing."},
    };
    for (const Case& c : cases) {
        dialogs.messages.clear();
        ASSERT_TRUE(WriteAll(Path(c.name), c.bytes));
        dialogs.QueueFileAnswer(Path(c.name));
        window->MenuAction(CGLMMExplorer::kLoad)->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.name;
        EXPECT_TRUE(dialogs.messages[0].text.contains(c.names))
            << dialogs.messages[0].text.toStdString();
        EXPECT_TRUE(dialogs.messages[0].text.contains(Path(c.name)));
        EXPECT_EQ(window->ModelFile(), good);
        EXPECT_EQ(Row(1), design);
        EXPECT_EQ(window->DesignForm()->ControlText(CGLMM_In_Design::kCellsEdit), "2");
    }
    // What is not a regular file is refused before it is read: a link to an
    // endless device, and a FIFO that no one writes to.
    const QString endless = Path("zero.gmm");
    const QString fifo = Path("fifo.gmm");
    ASSERT_TRUE(QFile::link("/dev/zero", endless));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {endless, fifo}) {
        dialogs.messages.clear();
        dialogs.QueueFileAnswer(path);
        window->MenuAction(CGLMMExplorer::kLoad)->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1u) << path.toStdString();
        EXPECT_EQ(dialogs.messages[0].text, "The model could not be loaded from \"" + path +
                                                "\":\nIt is not a regular file.");
        EXPECT_EQ(window->ModelFile(), good);
        EXPECT_EQ(Row(1), design);
    }
}

TEST_F(ExplorerDialog, SaveRefusesWhatAFileCannotKeep) {
    TypeIntoCell(0, 1, "a,b");
    const QString path = Path("refused.gmm");
    dialogs.QueueFileAnswer(path);
    window->MenuAction(CGLMMExplorer::kSave)->trigger();  // no file yet: asks as Save As
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_TRUE(dialogs.fileQuestions[0].save);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(
        "The text \"a,b\" in row 1, column 2 of \"Design X\" holds a comma"));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(window->ModelFile().isEmpty());

    // A folder that does not exist: reported, nothing written, no name kept.
    TypeIntoCell(0, 1, "pred 1");
    const QString nowhere = Path("missing/model.gmm");
    dialogs.QueueFileAnswer(nowhere);
    window->MenuAction(CGLMMExplorer::kSaveAs)->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.startsWith("The model could not be saved to"));
    EXPECT_TRUE(window->ModelFile().isEmpty());
}

// The standard model has all means 0: no sample size reaches any power.
// The search ends and says so instead of running on or showing N = 0.
TEST_F(ExplorerDialog, APrioriWithoutEffectSaysNoSampleSizeFound) {
    ClickTab(CGLMMExplorer::kGeneral);
    QComboBox* analysis = window->GeneralForm()->List(CGLMM_In_General::kAnalysisList);
    Choose(analysis, CGLMM_In_General::kAPriori);
    // A design of full rank, so that only the zero means stop the search.
    ClickTab(CGLMMExplorer::kDesign);
    for (int r = 1; r <= 3; ++r) TypeIntoCell(r, r, "1");
    // Enter ends the cell's edit; it does not close the dialog.
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->result(), 0);
    Calculate();
    const QString shown = Shown();
    EXPECT_TRUE(shown.contains("no sample size found"));
    EXPECT_TRUE(dialogs.messages.empty());

    // An α that is no number is named before anything is computed.
    ClickTab(CGLMMExplorer::kGeneral);
    QLineEdit* alpha = window->GeneralForm()->Edit(CGLMM_In_General::kAlphaEdit);
    alpha->setFocus();
    alpha->selectAll();
    QTest::keyClick(alpha, Qt::Key_Delete);
    ClickTab(CGLMMExplorer::kResults);
    Calculate();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Alpha must lie between 0 and 1 (it reads \"\").");
    EXPECT_EQ(window->Tabs()->currentIndex(), CGLMMExplorer::kGeneral);
    EXPECT_TRUE(Body().isEmpty());
}

// "rel.freq" weighs each coefficient by its cell's weight; a design with
// fewer cells than predictors gives the rest weight 1 (under the sanitizer
// an overrun would end the test).
TEST_F(ExplorerDialog, RelativeFrequenciesWithMorePredictorsThanCells) {
    TypeInto(window->DesignForm()->Edit(CGLMM_In_Design::kCellsEdit), "2");
    TypeInto(window->DesignForm()->Edit(CGLMM_In_Design::kPredictorsEdit), "4");
    for (int tab : {CGLMMExplorer::kMeans, CGLMMExplorer::kSigma, CGLMMExplorer::kVarContrast,
                    CGLMMExplorer::kPredContrast})
        ClickTab(tab);
    Grid()->ModifyItemText(1, 3, QStringLiteral("rel.freq"));
    PowerContrastList list;
    LabeledMatrix weights;
    window->DesignForm()->DesignView()->GetCellWeights(weights);
    window->PredContrastForm()->ContrastView()->BuildContrastList(list, weights.values);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->normalizeModes[0], kNormalizeRelFreq);
    Calculate();
    EXPECT_TRUE(Shown().contains("Test of: Contrast 1 x Contrast 1"));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A Σ that no responses can have is refused at Calculate with the cell
// named, and the user is put on that cell; nothing is computed.
TEST_F(ExplorerDialog, CalculateRefusesASigmaThatIsNoCovarianceMatrix) {
    const QString notPsd = ":\nSigma is not positive semi-definite, so no power can be computed.";
    const struct {
        std::vector<std::tuple<int, int, const char*>> typed;
        QString message;
        int row, col;
    } cases[] = {
        {{{1, 1, "-1"}}, "The variance of Y 1 is -1, below 0" + notPsd, 1, 1},
        {{{3, 2, "2"}}, "The correlation of Y 2 and Y 3 is 2, outside [-1, 1]" + notPsd, 3, 2},
        {{{2, 1, "0.9"}, {3, 1, "0.9"}, {3, 2, "-0.9"}},
         "The covariances of Y 3 with Y 1 and Y 2 do not fit together" + notPsd,
         3,
         1},
    };
    for (const auto& c : cases) {
        ClickTab(CGLMMExplorer::kSigma);
        for (int r = 1; r <= 4; ++r)
            for (int k = 1; k <= 4; ++k) Grid()->SetItemText(r, k, r == k ? "1" : "0");
        for (const auto& [r, k, text] : c.typed) TypeIntoCell(r, k, text);
        ClickTab(CGLMMExplorer::kResults);
        dialogs.messages.clear();
        Calculate();
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.message.toStdString();
        EXPECT_EQ(dialogs.messages[0].text, c.message);
        EXPECT_EQ(window->Tabs()->currentIndex(), CGLMMExplorer::kSigma);
        EXPECT_EQ(Grid()->GetFocusCell().row, c.row);
        EXPECT_EQ(Grid()->GetFocusCell().col, c.col);
        EXPECT_TRUE(Body().isEmpty());
    }
}

// A singular Σ reaches the results with a word where it matters: here the
// default contrasts over responses Y 1 and Y 2 that are one variable twice.
TEST_F(ExplorerDialog, ASingularSigmaIsExplainedUnderItsTables) {
    // A design of full rank: on the opening X of zeros the contrast is not
    // testable and no table is shown.
    for (int r = 1; r <= 3; ++r) TypeIntoCell(r, r, "1");
    ClickTab(CGLMMExplorer::kSigma);
    TypeIntoCell(2, 1, "1");
    Calculate();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(Shown().contains("Sigma is singular along the contrast \"Contrast 1\""))
        << Shown().toStdString();
}

// The Results tab shows only tables of the model in view: loading another
// model through the menu, or changing a grid, takes the old tables away.
TEST_F(ExplorerDialog, ResultsShowOnlyTheModelInView) {
    Calculate();
    ClickTab(CGLMMExplorer::kResults);
    ASSERT_TRUE(Shown().contains("Test of: Contrast 1 x Contrast 1"));

    const QString path = Path("two groups.gmm");
    ASSERT_TRUE(WriteAll(path, Bytes(TwoGroupModel())));
    dialogs.QueueFileAnswer(path);
    window->MenuAction(CGLMMExplorer::kLoad)->trigger();
    ASSERT_EQ(window->ModelFile(), path);
    EXPECT_TRUE(Body().isEmpty()) << Shown().toStdString();

    Calculate();
    EXPECT_TRUE(Shown().contains("Test of: <b>diff</b> x Y"));
    // Leaving the tab and coming back without a change keeps the tables.
    ClickTab(CGLMMExplorer::kGeneral);
    ClickTab(CGLMMExplorer::kResults);
    EXPECT_TRUE(Shown().contains("Test of: <b>diff</b> x Y"));
    ClickTab(CGLMMExplorer::kMeans);
    TypeIntoCell(1, 1, "2");
    ClickTab(CGLMMExplorer::kResults);
    EXPECT_TRUE(Body().isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
}

// What a model file may hold but the tabs would not let through is refused
// at Calculate, the user put on the cell: a mirror cell of Σ above the
// diagonal that is not finite (which ended the program), an asymmetric Σ
// and a negative sample-size weight.
TEST_F(ExplorerDialog, CellsFromAFileAreCheckedBeforeAnythingIsComputed) {
    const struct {
        const char* name;
        void (*change)(ModelFileGrids&);
        const char* message;  // its start
        int tab, row, col;
    } cases[] = {
        {"mirror.gmm", [](ModelFileGrids& g) { g.sigma(1, 2) = L"1e999"; },
         "Sigma is not symmetric: the cell (Y 1, Y 2) above the diagonal holds inf, its mirror "
         "(Y 2, Y 1) below it 0.",
         CGLMMExplorer::kSigma, 2, 1},
        {"asymmetric.gmm",
         [](ModelFileGrids& g) {
             g.sigma(2, 1) = L"0.3";
             g.sigma(1, 2) = L"5";
         },
         "Sigma is not symmetric: the cell (Y 1, Y 2) above the diagonal holds 5",
         CGLMMExplorer::kSigma, 2, 1},
        {"weight.gmm", [](ModelFileGrids& g) { g.design(3, 4) = L"-1"; },
         "The sample-size weight of \"cell 3\" is -1", CGLMMExplorer::kDesign, 3, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModelFileGrids grids = ExplorerModel().ToFileGrids();
        c.change(grids);
        ASSERT_TRUE(WriteAll(Path(c.name), Bytes(grids)));
        dialogs.QueueFileAnswer(Path(c.name));
        window->MenuAction(CGLMMExplorer::kLoad)->trigger();
        ASSERT_EQ(window->ModelFile(), Path(c.name));
        dialogs.messages.clear();
        Calculate();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(dialogs.messages[0].text.startsWith(c.message))
            << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(window->Tabs()->currentIndex(), c.tab);
        EXPECT_EQ(Grid()->GetFocusCell().row, c.row);
        EXPECT_EQ(Grid()->GetFocusCell().col, c.col);
        EXPECT_TRUE(Body().isEmpty());
    }
}

// A cell of X, the weights, B or Σ that a model file fills with something
// that is no number ("abc", "nan", "0.3x", an empty cell: read as 0 or as
// its numeric start) is pointed out as soon as the file is loaded, the user
// put on it, and Calculate refuses it there as it refuses "1e999".
TEST_F(ExplorerDialog, CellsThatHoldNoNumberAreRefusedOnTheirCell) {
    const QString finite = ": every cell must be a finite number.";
    const QString weight = ": a weight is a relative group size, 0 or more.";
    const struct {
        TextArray ModelFileGrids::*grid;
        int row, col;
        const wchar_t* text;
        QString message;
        int tab;
    } cases[] = {
        {&ModelFileGrids::design, 2, 3, L"abc",
         "The tab \"Design X\" holds \"abc\" in row 2, column 3" + finite, CGLMMExplorer::kDesign},
        {&ModelFileGrids::design, 5, 1, L"nan",
         "The tab \"Design X\" holds \"nan\" in row 5, column 1" + finite, CGLMMExplorer::kDesign},
        {&ModelFileGrids::design, 1, 2, L"0x10",
         "The tab \"Design X\" holds \"0x10\" in row 1, column 2" + finite, CGLMMExplorer::kDesign},
        {&ModelFileGrids::design, 3, 4, L"inf",
         "The sample-size weight of \"cell 3\" is \"inf\"" + weight, CGLMMExplorer::kDesign},
        {&ModelFileGrids::design, 1, 4, L"",
         "The sample-size weight of \"cell 1\" is \"\"" + weight, CGLMMExplorer::kDesign},
        {&ModelFileGrids::means, 2, 4, L"0.3x",
         "The tab \"Means B\" holds \"0.3x\" in row 2, column 4" + finite, CGLMMExplorer::kMeans},
        {&ModelFileGrids::means, 3, 1, L"=2*",
         "The tab \"Means B\" holds \"=2*\" in row 3, column 1" + finite, CGLMMExplorer::kMeans},
        {&ModelFileGrids::sigma, 3, 3, L"2e",
         "The tab \"Cov Sigma\" holds \"2e\" in row 3, column 3" + finite, CGLMMExplorer::kSigma},
        // Above the diagonal too: a cell the mirror check reads.
        {&ModelFileGrids::sigma, 1, 2, L"-inf",
         "The tab \"Cov Sigma\" holds \"-inf\" in row 1, column 2" + finite, CGLMMExplorer::kSigma},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        ModelFileGrids grids = ExplorerModel().ToFileGrids();
        (grids.*c.grid)(c.row, c.col) = c.text;
        const QString path = Path("damaged.gmm");
        ASSERT_TRUE(WriteAll(path, Bytes(grids)));
        dialogs.messages.clear();
        dialogs.QueueFileAnswer(path);
        window->MenuAction(CGLMMExplorer::kLoad)->trigger();
        ASSERT_EQ(window->ModelFile(), path);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, c.message);
        EXPECT_EQ(window->Tabs()->currentIndex(), c.tab);
        EXPECT_EQ(Grid()->GetFocusCell().row, c.row);
        EXPECT_EQ(Grid()->GetFocusCell().col, c.col);
        EXPECT_EQ(Text(c.row, c.col), QString::fromStdWString(c.text));

        ClickTab(CGLMMExplorer::kGeneral);
        Calculate();
        ASSERT_EQ(dialogs.messages.size(), 2u);
        EXPECT_EQ(dialogs.messages[1].text, c.message);
        EXPECT_EQ(window->Tabs()->currentIndex(), c.tab);
        EXPECT_EQ(Grid()->GetFocusCell().row, c.row);
        EXPECT_EQ(Grid()->GetFocusCell().col, c.col);
        EXPECT_TRUE(Body().isEmpty());
    }
}

// Every model file the program wrote loads as it did, without a word.
TEST_F(ExplorerDialog, FilesTheProgramWroteStillLoad) {
    const QDir folder(QStringLiteral(QUORIX_SOURCE_DIR "/verification/explorer_document"));
    const QStringList files = folder.entryList({QStringLiteral("*.gmm")}, QDir::Files);
    ASSERT_GE(files.size(), 13);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        dialogs.QueueFileAnswer(folder.filePath(name));
        window->MenuAction(CGLMMExplorer::kLoad)->trigger();
        EXPECT_EQ(window->ModelFile(), folder.filePath(name));
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
        dialogs.messages.clear();
    }
}

namespace {

// The benchmarks' design of g cells and p responses, every cell against the
// first and every response against the first, one contrast a row: the
// report has (g - 1)(p - 1) pairs, each with a t table.
ModelFileGrids OneContrastPerRow(int cells, int responses) {
    ExplorerModel model = BenchmarkDesign(cells, responses);
    ContrastsAgainstFirst(model, cells, responses, ContrastRows::kEachRow);
    return model.ToFileGrids();
}

}  // namespace

// A report of 171 pairs through the window's own Calculate: every block is
// shown, in order, as the report's markup (how long it takes is measured by
// quorix_app_explorer_results_bench).
TEST_F(ExplorerDialog, AReportOfManyPairsIsShownWhole) {
    const ModelFileGrids grids = OneContrastPerRow(20, 10);
    const QString path = Path("171 pairs.gmm");
    ASSERT_TRUE(WriteAll(path, Bytes(grids)));
    dialogs.QueueFileAnswer(path);
    window->MenuAction(CGLMMExplorer::kLoad)->trigger();
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    Calculate();
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    ClickTab(CGLMMExplorer::kResults);

    const QString shown = Shown();
    EXPECT_EQ(shown.count("Test of:"), 171);
    EXPECT_LT(shown.indexOf("Test of: c1 x c1"), shown.indexOf("Test of: c1 x c2"));
    EXPECT_LT(shown.indexOf("Test of: c1 x c9"), shown.indexOf("Test of: c2 x c1"));
    EXPECT_EQ(shown.count("t test"), 2 * 171);
    EXPECT_TRUE(shown.contains("Test of: c19 x c9"));

    ExplorerModel document;
    document.TakeFileGrids(grids);
    PowerGLMM fresh;
    std::vector<ReportBlock> blocks;
    ASSERT_FALSE(document.Calculate(fresh, blocks));
    ASSERT_EQ(blocks.size(), 171u);
    CHTMLEdit expected;
    AppendReport(expected, blocks);
    EXPECT_EQ(Body(), expected.Body());
    EXPECT_EQ(shown, expected.PlainText());
}

// While Calculate runs the window takes no command but Esc: the menu's
// actions are off (a disabled menu bar alone still let Load replace the
// model under the calculation), and it says so. Afterwards every action is
// as it was.
TEST_F(ExplorerDialog, WhileCalculatingTheWindowSaysSoAndTakesNoCommand) {
    const QString path = Path("two groups.gmm");
    ASSERT_TRUE(WriteAll(path, Bytes(TwoGroupModel())));
    EXPECT_FALSE(window->BusyText()->isVisible());
    std::map<int, bool> enabled;
    for (int id :
         {CGLMMExplorer::kLoad, CGLMMExplorer::kSave, CGLMMExplorer::kSaveAs, CGLMMExplorer::kExit,
          CGLMMExplorer::kAnova, CGLMMExplorer::kManova, CGLMMExplorer::kRepeatedMeasurements})
        enabled[id] = window->MenuAction(id)->isEnabled();

    // Queued before the click, this runs inside Calculate's own event loop,
    // before the worker's end can be taken.
    bool seen = false;
    QTimer::singleShot(0, window.get(), [&] {
        seen = true;
        EXPECT_TRUE(window->BusyText()->isVisible());
        EXPECT_EQ(window->BusyText()->text(), QStringLiteral("Calculating\u2026 Esc stops"));
        for (const auto& [id, was] : enabled)
            EXPECT_FALSE(window->MenuAction(id)->isEnabled()) << id;
        EXPECT_FALSE(window->CalculateButton()->isEnabled());
        dialogs.QueueFileAnswer(path);
        window->MenuAction(CGLMMExplorer::kLoad)->trigger();
        EXPECT_TRUE(dialogs.fileQuestions.empty());
    });
    Calculate();
    ASSERT_TRUE(seen);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window->ModelFile(), QString());
    EXPECT_EQ(window->windowTitle(), "General Linear Model Explorer");
    EXPECT_TRUE(Shown().contains("Test of: Contrast 1 x Contrast 1"));
    EXPECT_FALSE(window->BusyText()->isVisible());
    for (const auto& [id, was] : enabled) EXPECT_EQ(window->MenuAction(id)->isEnabled(), was) << id;
}

// Loading over changes never saved asks first; the file dialogs open in
// the home folder, then in the folder of the last model loaded or saved.
TEST_F(ExplorerDialog, LoadAsksBeforeDroppingChangesAndRemembersTheFolder) {
    const QString path = Path("two groups.gmm");
    ASSERT_TRUE(WriteAll(path, Bytes(TwoGroupModel())));
    EXPECT_FALSE(window->HasUnsavedChanges());
    TypeIntoCell(1, 1, "1");
    EXPECT_TRUE(window->HasUnsavedChanges());

    dialogs.QueueMessageAnswer(platform::MessageAnswer::Cancel);
    window->MenuAction(CGLMMExplorer::kLoad)->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "The model has changes that were not saved.\nSave them first?");
    EXPECT_TRUE(dialogs.fileQuestions.empty());
    EXPECT_EQ(Text(1, 1), "1");

    dialogs.QueueMessageAnswer(platform::MessageAnswer::No);
    dialogs.QueueFileAnswer(path);
    window->MenuAction(CGLMMExplorer::kLoad)->trigger();
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_EQ(dialogs.fileQuestions[0].request.folder, QDir::homePath());
    EXPECT_EQ(Text(1, 0), "g1");
    EXPECT_FALSE(window->HasUnsavedChanges());

    // Nothing changed since: no question; the dialog opens where the model was.
    window->MenuAction(CGLMMExplorer::kLoad)->trigger();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    ASSERT_EQ(dialogs.fileQuestions.size(), 2u);
    EXPECT_EQ(dialogs.fileQuestions[1].request.folder, QFileInfo(path).absolutePath());

    // Yes saves first, into the loaded file.
    TypeIntoCell(1, 0, "group 1");
    dialogs.QueueMessageAnswer(platform::MessageAnswer::Yes);
    window->MenuAction(CGLMMExplorer::kLoad)->trigger();
    EXPECT_TRUE(ReadAll(path).contains("group 1"));
    EXPECT_FALSE(window->HasUnsavedChanges());
}
