#include "app/widgets/form_view_ex.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "analysis/property.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

platform::DialogTemplate PanelTable() {
    platform::DialogTemplate t;
    t.id = 500;
    t.width = 120;
    t.height = 40;
    t.controls = {
        {1001, platform::ControlKind::Edit, "", {4, 4, 60, 12}, platform::kStyleNone, {}},
        {1002, platform::ControlKind::Label, "", {4, 20, 100, 12}, platform::kStyleNone, {}},
    };
    return t;
}

TEST(FormViewEx, StyleZeroMakesAVisibleBorderedChildOfItsTableSize) {
    QWidget parent;
    auto* form = new CFormViewEx(PanelTable());
    ASSERT_TRUE(form->Create(&parent, QPoint(3, 4)));
    EXPECT_EQ(form->parentWidget(), &parent);
    EXPECT_FALSE(form->isHidden());
    EXPECT_EQ(form->frameWidth(), 1);
    EXPECT_EQ(form->GetDesignSize(), form->Units().ToPixels(120, 40) + QSize(2, 2));
    EXPECT_EQ(form->geometry(), QRect(QPoint(3, 4), form->GetDesignSize()));

    auto* plain = new CFormViewEx(PanelTable());
    ASSERT_TRUE(plain->Create(&parent, QPoint(0, 0), kFormVisible));
    EXPECT_EQ(plain->frameWidth(), 0);
    EXPECT_EQ(plain->GetDesignSize(), plain->Units().ToPixels(120, 40));
}

class RefusingForm : public CFormViewEx {
  public:
    RefusingForm() : CFormViewEx(PanelTable()) {}
    bool PreCreate(unsigned*) override { return false; }
};

TEST(FormViewEx, PreCreateCanRefuse) {
    QWidget parent;
    RefusingForm form;
    EXPECT_FALSE(form.Create(&parent, QPoint(0, 0)));
    EXPECT_EQ(form.parentWidget(), nullptr);
}

TEST(FormViewEx, FitToParentTakesTheParentsSizeFromItsOwnCorner) {
    QWidget parent;
    parent.resize(300, 200);
    auto* form = new CFormViewEx(PanelTable());
    ASSERT_TRUE(form->Create(&parent, QPoint(10, 20)));
    form->FitToParent();
    EXPECT_EQ(form->geometry(), QRect(10, 20, 300, 200));
}

TEST(FormViewEx, DefaultStoreOperationsLeaveTheStoreAlone) {
    CFormViewEx form(PanelTable());
    PropertyList store;
    SetNamedString(&store, "key", "1");
    EXPECT_TRUE(form.SaveInputs(&store));
    EXPECT_TRUE(form.RestoreInputs(&store));
    EXPECT_TRUE(form.SaveModeInputs(&store));
    ASSERT_EQ(store.size(), 1u);
    EXPECT_EQ(store[0]->text, "1");
}

TEST(FormViewEx, ReadsNumbersAndFormulasAndRemembersTheText) {
    platform::ScriptedDialogs dialogs;
    CFormViewEx form(PanelTable());
    PropertyList store;
    form.SetValueStore(&store);
    bool ok = false;

    form.SetControlText(1001, "=1/20");
    EXPECT_DOUBLE_EQ(form.GetDlgItemDouble(1001, "tpro_p0", &ok), 0.05);
    EXPECT_TRUE(ok);
    std::string remembered;
    ASSERT_TRUE(GetNamedString(&store, "tpro_p0", &remembered));
    EXPECT_EQ(remembered, "=1/20");

    form.SetControlText(1001, "12");
    EXPECT_EQ(form.GetDlgItemLong(1001, "n", &ok), 12);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(dialogs.messages.empty());

    // Letters that are no formula: the evaluator's message, the focus, no ok.
    form.SetControlText(1001, "abc");
    form.GetDlgItemDouble(1001, "tpro_p0", &ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(dialogs.messages[0].text.isEmpty());
    EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Error);

    // A missing control reads as nothing at all.
    ok = true;
    EXPECT_EQ(form.GetDlgItemDouble(4711, "x", &ok), 0.0);
    EXPECT_FALSE(ok);
}

TEST(FormViewEx, WritesControlsAndKeepsStoreDefaults) {
    CFormViewEx form(PanelTable());
    form.ClearDlgItemText(1001);
    EXPECT_EQ(form.ControlText(1001), "?");
    form.SetDlgItemLabel(1002, "$\\alpha$ err prob");
    EXPECT_EQ(form.ControlText(1002), QString::fromUtf16(u"α err prob"));
    form.SetDlgItemDouble(1001, 0.25, "%.7f");
    EXPECT_EQ(form.GetDlgItemString(1001), "0.2500000");
    EXPECT_FALSE(form.DlgItemHasEquals(1001));
    form.SetDlgItemLong(1001, -3);
    EXPECT_EQ(form.GetDlgItemString(1001), "-3");

    PropertyList store;
    form.SetValueStore(&store);
    EXPECT_FALSE(form.EnsureStoreDefault(1001, "fmo_y_1", "0.5"));
    EXPECT_EQ(form.GetDlgItemString(1001), "0.5");
    form.SetDlgItemString(1001, "=2*0.3");
    EXPECT_TRUE(form.DlgItemHasEquals(1001));
    EXPECT_TRUE(form.EnsureStoreDefault(1001, "fmo_y_1", "0.7"));  // present: untouched
    EXPECT_EQ(form.GetDlgItemString(1001), "=2*0.3");
    form.LoadDlgItemFromStore(1001, "fmo_y_1");
    EXPECT_EQ(form.GetDlgItemString(1001), "0.5");
    form.LoadDlgItemFromStore(1001, "absent");
    EXPECT_EQ(form.GetDlgItemString(1001), "0.5");
}

}  // namespace
