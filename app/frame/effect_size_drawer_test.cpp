// The effect-size drawer: opening beside the frame, the per-test stores of
// panel inputs, pane replacement and the services the panels use to read
// and write the main window.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QTextEdit>
#include <QTimer>
#include <atomic>
#include <cmath>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "app/drawer/drawer_wnd.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/panels/effect_size_panel.h"
#include "app/panels/two_groups_form.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

using form_tables::DetermineButtonId;
using form_tables::InputEditId;

constexpr int kEntryId = 1001;

platform::DialogTemplate EntryPanelForm(int height, int width) {
    platform::DialogTemplate t;
    t.id = 900;
    t.width = width;
    t.height = height;
    t.controls.push_back(
        {kEntryId, platform::ControlKind::Edit, "", {5, 5, 60, 12}, platform::kStyleNone, {}});
    return t;
}

// A panel with one entry whose default is "0.5", kept under "entry".
class EntryPanel : public CEffectSizePanel {
  public:
    EntryPanel(CMainFrame* frame, int height = 40, int width = 120)
        : CEffectSizePanel(EntryPanelForm(height, width), frame) {}
    void OnInitialUpdate() override { SetControlText(kEntryId, QStringLiteral("0.5")); }
    bool SaveInputs(PropertyList* store) override {
        SetNamedString(store, "entry", GetDlgItemString(kEntryId));
        return true;
    }
    bool RestoreInputs(PropertyList*) override {
        LoadDlgItemFromStore(kEntryId, "entry");
        return true;
    }
    QString Entry() const { return ControlText(kEntryId); }
    void Type(const QString& text) { SetControlText(kEntryId, text); }
};

class Drawer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame->SetDrawerAnimation(false, false);
    }
    void TearDown() override { frame_test::ForgetScriptedFamilies(); }

    void UseEntryPanels(int count = 1, int width = 120) {
        frame->SetEffectSizePanelFactory([this, count, width](int) {
            std::vector<CFormViewEx*> panels;
            for (int i = 0; i < count; ++i)
                panels.push_back(new EntryPanel(frame, 40 + 20 * i, width));
            return panels;
        });
    }
    EntryPanel* FirstPanel() const {
        CDrawerWnd* drawer = frame->EffectSizeDrawer();
        return drawer ? dynamic_cast<EntryPanel*>(drawer->Panel(0)) : nullptr;
    }
    std::string Stored(int testId) {
        std::string text;
        PropertyList* store = frame->InputStores().Find(testId);
        if (!store || !GetNamedString(store, "entry", &text)) return "<none>";
        return text;
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

// The drawer sits beside the frame where the offscreen screen (800 px wide)
// holds both side by side, else over the frame's right part; always inside
// the screen.
void ExpectBesideOrOverTheFrame(CMainFrame* frame, CDrawerWnd* drawer) {
    const QRect screen = frame->screen()->availableGeometry();
    const QRect placed = drawer->frameGeometry();
    const QRect owner = frame->frameGeometry();
    if (owner.width() + placed.width() <= screen.width()) {
        EXPECT_FALSE(owner.intersects(placed));
    } else {
        EXPECT_EQ(placed.right(), owner.right());
    }
    EXPECT_TRUE(screen.contains(placed));
}

// The drawer is as tall as its panels, each at its design height, under a
// hidden filler row.
void ExpectRowsFitThePanels(CDrawerWnd* drawer) {
    ASSERT_EQ(drawer->Splitter()->count(), drawer->PanelCount() + 1);
    EXPECT_EQ(drawer->Splitter()->widget(0), drawer->Filler());
    EXPECT_FALSE(drawer->Filler()->isVisible());
    const QList<int> rows = drawer->Splitter()->sizes();
    EXPECT_EQ(rows[0], 0);
    for (int i = 0; i < drawer->PanelCount(); ++i)
        EXPECT_EQ(rows[i + 1], drawer->Panel(i)->GetDesignSize().height()) << "panel " << i;
    EXPECT_EQ(drawer->height(), drawer->RowsHeight());
}

TEST_F(Drawer, DetermineOpensTheDummyBesideTheFrameOnce) {
    // A test without an effect-size panel of its own.
    ASSERT_TRUE(frame->SelectTest(kTwoProportionsTestId));
    CQuorixMainCompForm* form = frame->EditFieldForm();
    ASSERT_NE(form, nullptr);
    const int row = form->EffectSizeRow();
    ASSERT_GE(row, 0);
    QAbstractButton* determine = form->Button(DetermineButtonId(row));
    ASSERT_TRUE(determine->isVisible());
    determine->click();

    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    ASSERT_NE(drawer, nullptr);
    EXPECT_TRUE(drawer->isVisible());
    EXPECT_EQ(drawer->windowTitle(), "Calc effect size");
    EXPECT_TRUE(drawer->windowFlags() & Qt::Tool);
    EXPECT_EQ(drawer->parentWidget(), frame);
    ExpectBesideOrOverTheFrame(frame, drawer);
    EXPECT_EQ(drawer->frameGeometry().top(), frame->frameGeometry().top() + 24);
    ASSERT_EQ(drawer->PanelCount(), 1);
    EXPECT_NE(dynamic_cast<CEff_Dummy*>(drawer->Panel(0)), nullptr);
    // The dummy is "Close" alone.
    ASSERT_EQ(drawer->Panel(0)->Controls().size(), 1u);
    EXPECT_EQ(drawer->Panel(0)->Controls()[0],
              drawer->Panel(0)->Button(CEff_Dummy::kCloseButtonId));
    // "Close" alone is narrower than the title, which the drawer shows whole.
    EXPECT_GT(drawer->TitleWidth(), drawer->WidestPanel() + 12);
    EXPECT_EQ(drawer->frameGeometry().width(), drawer->TitleWidth());
    ExpectRowsFitThePanels(drawer);

    // A second "Determine" leaves the open drawer as it is.
    determine->click();
    EXPECT_EQ(frame->EffectSizeDrawer(), drawer);
    EXPECT_EQ(drawer->PanelCount(), 1);

    // The dummy's "Close" closes the drawer.
    QPointer<CDrawerWnd> watch(drawer);
    drawer->Panel(0)->Button(CEffectSizePanel::kCloseButtonId)->click();
    EXPECT_EQ(frame->EffectSizeDrawer(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

void Press(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "");
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "");
    QApplication::sendEvent(target, &release);
}

// From the keyboard alone: Space on "Determine =>" opens the drawer with
// the focus in its first field, and Esc closes it and gives the focus back
// to the main window.
TEST_F(Drawer, SpaceOnDetermineOpensTheDrawerWithTheFocusAndEscClosesIt) {
    UseEntryPanels();
    ASSERT_TRUE(frame->SelectTest(kTwoMeansTestId));
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return frame->isActiveWindow(); }, 5000));
    CQuorixMainCompForm* form = frame->EditFieldForm();
    QAbstractButton* determine = form->Button(DetermineButtonId(form->EffectSizeRow()));
    determine->setFocus(Qt::TabFocusReason);
    Press(determine, Qt::Key_Space);
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    ASSERT_NE(drawer, nullptr);
    QWidget* entry = FirstPanel()->Edit(kEntryId);
    EXPECT_TRUE(widget_test::RunEventsUntil(
        [&] { return drawer->isActiveWindow() && QApplication::focusWidget() == entry; }, 5000));

    Press(entry, Qt::Key_Escape);
    EXPECT_EQ(frame->EffectSizeDrawer(), nullptr);
    EXPECT_TRUE(widget_test::RunEventsUntil([&] { return frame->isActiveWindow(); }, 5000));
    // Esc with the focus in the main window leaves it alone.
    Press(determine, Qt::Key_Escape);
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(Drawer, FollowsTheFrameAndClosesWithIt) {
    frame->CreateEffectSizePanels(kTwoMeansTestId);
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    ASSERT_NE(drawer, nullptr);
    frame->move(frame->pos() + QPoint(37, 21));
    widget_test::RunEventsFor(50);
    ExpectBesideOrOverTheFrame(frame, drawer);
    EXPECT_EQ(drawer->frameGeometry().top(), frame->frameGeometry().top() + 24);
    // Hiding the plot makes the frame lower; the drawer keeps its inset and
    // its panel's height.
    frame->HandleCommand(command_ids::kTogglePlot);
    EXPECT_EQ(drawer->frameGeometry().top(), frame->frameGeometry().top() + 24);
    ExpectRowsFitThePanels(drawer);
    ExpectBesideOrOverTheFrame(frame, drawer);

    frame->close();
    EXPECT_EQ(frame->EffectSizeDrawer(), nullptr);
    EXPECT_FALSE(drawer->isVisible());
}

TEST_F(Drawer, AWindowWithoutRoomOnEitherSideMakesRoomForTheDrawer) {
    // A narrow panel and a small title font (the drawer is as wide as its
    // title needs): the window and the drawer fit the 800 px offscreen
    // screen side by side, but not beside a window in the middle of it.
    UseEntryPanels(1, 50);
    const QFont font = QApplication::font();
    QFont small = font;
    small.setPixelSize(6);
    QApplication::setFont(small);
    struct Restore {
        QFont font;
        ~Restore() { QApplication::setFont(font); }
    } restore{font};
    ASSERT_TRUE(frame->SelectTest(kTwoMeansTestId));
    CQuorixMainCompForm* form = frame->EditFieldForm();
    QAbstractButton* determine = form->Button(DetermineButtonId(form->EffectSizeRow()));
    determine->click();
    ASSERT_NE(frame->EffectSizeDrawer(), nullptr);
    const int drawerWidth = frame->EffectSizeDrawer()->frameGeometry().width();
    frame->CloseEffectSizeDrawer();
    const QRect screen = frame->screen()->availableGeometry();
    const QRect owner = frame->frameGeometry();
    ASSERT_LE(owner.width() + drawerWidth, screen.width());
    const int middle = screen.left() + (screen.width() - owner.width()) / 2;
    ASSERT_LT(middle - screen.left(), drawerWidth);
    ASSERT_GT(middle + owner.width() + drawerWidth, screen.left() + screen.width());
    frame->move(middle, owner.top());

    determine->click();
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    ASSERT_NE(drawer, nullptr);
    const QRect moved = frame->frameGeometry();
    EXPECT_NE(moved.left(), middle);
    EXPECT_EQ(moved.top(), owner.top());
    EXPECT_TRUE(screen.contains(QRect(moved.left(), screen.top(), moved.width(), 1)));
    ExpectBesideOrOverTheFrame(frame, drawer);
    // Closed, the drawer gives the window its place back.
    frame->CloseEffectSizeDrawer();
    EXPECT_EQ(frame->frameGeometry().topLeft(), QPoint(middle, owner.top()));

    determine->click();
    drawer = frame->EffectSizeDrawer();
    ASSERT_NE(drawer, nullptr);
    EXPECT_EQ(frame->frameGeometry().topLeft(), moved.topLeft());
    // Where the user then puts the window, it stays; the drawer follows,
    // and closing it leaves the window there.
    const int away = drawer->frameGeometry().left() > moved.left() ? -5 : 5;
    frame->move(moved.topLeft() + QPoint(away, 0));
    EXPECT_EQ(frame->frameGeometry().left(), moved.left() + away);
    ExpectBesideOrOverTheFrame(frame, drawer);
    frame->CloseEffectSizeDrawer();
    EXPECT_EQ(frame->frameGeometry().topLeft(), moved.topLeft() + QPoint(away, 0));
}

TEST_F(Drawer, TwoPanelsGiveThreeRowsAndAPanelCanBeReplaced) {
    UseEntryPanels(2);
    EXPECT_EQ(frame->ReplaceDrawerPane(0, new EntryPanel(frame)), nullptr);  // no drawer
    frame->CreateEffectSizePanels(kTwoMeansTestId);
    CDrawerWnd* drawer = frame->EffectSizeDrawer();
    ASSERT_NE(drawer, nullptr);
    ExpectRowsFitThePanels(drawer);

    QPointer<CFormViewEx> old(drawer->Panel(1));
    auto* wide = new CEff_T_2Groups_Form(frame);
    EXPECT_EQ(frame->ReplaceDrawerPane(1, wide), wide);
    EXPECT_EQ(drawer->Panel(1), wide);
    EXPECT_EQ(drawer->Splitter()->widget(2), wide);
    EXPECT_EQ(wide->ValueStore(), frame->InputStores().Find(kTwoMeansTestId));
    // The drawer is refitted to its widest panel and to the new heights.
    EXPECT_EQ(drawer->frameGeometry().width(), wide->GetDesignSize().width() + 12);
    ExpectRowsFitThePanels(drawer);
    EXPECT_EQ(frame->ReplaceDrawerPane(5, new EntryPanel(frame)), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
}

TEST_F(Drawer, EachTestKeepsItsPanelInputsForTheRun) {
    UseEntryPanels();
    // The first opening stores the panel's defaults.
    frame->CreateEffectSizePanels(kTwoMeansTestId);
    ASSERT_NE(FirstPanel(), nullptr);
    EXPECT_EQ(Stored(kTwoMeansTestId), "0.5");
    EXPECT_EQ(FirstPanel()->ValueStore(), frame->InputStores().Find(kTwoMeansTestId));
    EXPECT_EQ(frame->GetCurrentInputStore(), frame->InputStores().Find(kTwoMeansTestId));
    FirstPanel()->Type("0.8");
    frame->CloseEffectSizeDrawer();
    EXPECT_EQ(Stored(kTwoMeansTestId), "0.8");

    // Another test has a store of its own, with the defaults.
    frame->CreateEffectSizePanels(kOneMeanTestId);
    EXPECT_EQ(FirstPanel()->Entry(), "0.5");
    FirstPanel()->Type("2");
    frame->CloseEffectSizeDrawer();

    // Back at the first test, even after choosing others, its entry returns.
    ASSERT_TRUE(frame->SelectTest(kOneMeanTestId));
    ASSERT_TRUE(frame->SelectTest(kTwoMeansTestId));
    frame->CreateEffectSizePanels(kTwoMeansTestId);
    EXPECT_EQ(FirstPanel()->Entry(), "0.8");
    frame->CloseEffectSizeDrawer();
    frame->CreateEffectSizePanels(kOneMeanTestId);
    EXPECT_EQ(FirstPanel()->Entry(), "2");
    EXPECT_EQ(frame->InputStores().Count(), 2);
    // Closed by the window manager, the drawer saves as its "Close" does.
    FirstPanel()->Type("3");
    frame->EffectSizeDrawer()->close();
    EXPECT_FALSE(frame->EffectSizeDrawerOpen());
    EXPECT_EQ(Stored(kOneMeanTestId), "3");
}

TEST_F(Drawer, ChoosingAnotherTestClosesTheDrawerAndSavesItsEntries) {
    UseEntryPanels();
    ASSERT_TRUE(frame->SelectTest(kTwoMeansTestId));
    frame->CreateEffectSizePanels(kTwoMeansTestId);
    FirstPanel()->Type("1.25");
    ASSERT_TRUE(frame->SelectTest(kOneMeanTestId));
    EXPECT_EQ(Stored(kTwoMeansTestId), "1.25");
}

// Inputs of the scripted test in a type other than A priori: alpha (a
// real) and the total sample size (a whole number).
class PanelServices : public Drawer {
  protected:
    void SetUp() override {
        Drawer::SetUp();
        frame_test::UseScriptedCatalogue(frame, 1);
        form = frame->EditFieldForm();
        ASSERT_EQ(frame->Inputs().size(), 2u);
        ASSERT_EQ(frame->Inputs()[1]->GetType(), Property::kLong);
    }
    QString Shown(int row) { return form->ControlText(InputEditId(row)); }

    CQuorixMainCompForm* form = nullptr;
};

TEST_F(PanelServices, SetParameterValueSetsTheInputByItsType) {
    const std::string alpha = ParameterNames[kAlphaId];
    const std::string n = frame->Inputs()[1]->name;
    struct Case {
        std::string label;
        double value;
        const char* alphaShown;
        const char* nShown;
    };
    const Case cases[] = {
        {n, 2.9, "0.05", "2"},    // whole numbers truncate toward zero
        {n, -2.9, "0.05", "-2"},  // also below zero
        {n, 1e12, "0.05", "2147483647"},
        {n, std::nan(""), "0.05", "2147483647"},  // NaN leaves the input
        {alpha, 0.025, "0.025", "2147483647"},
    };
    for (const Case& c : cases) {
        frame->SetParameterValue(c.label, c.value);
        EXPECT_EQ(Shown(0), c.alphaShown) << c.label << " " << c.value;
        EXPECT_EQ(Shown(1), c.nShown) << c.label << " " << c.value;
    }
    EXPECT_EQ(static_cast<PropertyLong*>(frame->Inputs()[1])->GetValue(), 2147483647L);
}

TEST_F(PanelServices, UnknownLabelsChangeNothingAndTypedEntriesSurvive) {
    // What the user typed into one input is not lost when a panel sets
    // another, nor when it names an input the test does not have.
    form->SetControlText(InputEditId(0), "=0.1/2");
    frame->SetParameterValue("No such input", 7.0);
    EXPECT_EQ(Shown(0), "=0.1/2");
    frame->SetParameterValue(frame->Inputs()[1]->name, 40.0);
    EXPECT_EQ(Shown(0), "=0.1/2");
    EXPECT_EQ(Shown(1), "40");
}

TEST_F(PanelServices, CopyMainParameterToStoreTakesTheTypedText) {
    UseEntryPanels();
    auto* panel = new EntryPanel(frame);
    // Without a store nothing is copied.
    EXPECT_FALSE(panel->CopyMainParameterToStore(kAlphaId, "a"));
    delete panel;

    frame->CreateEffectSizePanels(frame->CurrentTest()->GetTestId());
    EntryPanel* open = FirstPanel();
    ASSERT_NE(open, nullptr);
    form->SetControlText(InputEditId(0), "0.01");
    EXPECT_TRUE(open->CopyMainParameterToStore(kAlphaId, "a"));
    std::string text;
    ASSERT_TRUE(GetNamedString(frame->GetCurrentInputStore(), "a", &text));
    EXPECT_EQ(text, "0.01");
    EXPECT_FALSE(open->CopyMainParameterToStore(kEffectSizeDId, "d"));  // not an input here
    EXPECT_FALSE(open->CopyMainParameterToStore(-1, "x"));
    EXPECT_FALSE(open->CopyMainParameterToStore(kParameterNameCount, "x"));
}

// While a calculation runs, the test and its lists belong to the worker:
// the drawer neither opens nor writes the main window's inputs.
TEST_F(PanelServices, NothingTouchesTheTestWhileACalculationRuns) {
    frame_test::Script script;
    std::atomic<bool> release{false};
    script.calculate = [&](PowerAnalysis&, PropertyList*) {
        while (!release.load()) platform::SleepMilliseconds(1);
        return kCalculateDone;
    };
    frame_test::ActiveScript() = &script;
    UseEntryPanels();
    const int testId = frame->CurrentTest()->GetTestId();
    frame->CreateEffectSizePanels(testId);
    frame->CloseEffectSizeDrawer();
    ASSERT_NE(frame->InputStores().Find(testId), nullptr);

    bool opened = true;
    PropertyList* store = frame->InputStores().Find(testId);
    std::string shown;
    QTimer::singleShot(20, [&] {
        EXPECT_TRUE(frame->IsBusy());
        frame->CreateEffectSizePanels(testId);
        opened = frame->EffectSizeDrawerOpen();
        store = frame->GetCurrentInputStore();
        frame->SetParameterValue(frame->Inputs()[1]->name, 55.0);
        frame->SetEffectSize(0.3);
        shown = Shown(1).toStdString();
        release.store(true);
    });
    form->SetControlText(InputEditId(1), "30");
    frame->OnCalculate();
    frame_test::ActiveScript() = nullptr;
    EXPECT_FALSE(opened);
    EXPECT_EQ(store, nullptr);
    EXPECT_EQ(shown, "30");
    EXPECT_EQ(static_cast<PropertyLong*>(frame->Inputs()[1])->GetValue(), 30L);
}

}  // namespace
