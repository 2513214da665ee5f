// The options dialogs as forms: every form readable in full, the choices
// shown and taken back, the rules by which one control enables others or
// refills a list, a limit that is no number, and OK against Cancel.

#include "app/options/options_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <functional>

#include "platform/fonts.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

using Kind = OptionsDialogKind;

const Kind kAllKinds[] = {
    Kind::kRepm,
    Kind::kRepMMulti,
    Kind::kFManova,
    Kind::kTWilcoxon,
    Kind::kZTwoProp,
    Kind::kZLogRegress,
    Kind::kZPoisson,
    Kind::kZTetraCorr,
    Kind::kZLogistic,
    Kind::kExactBinomial,
    Kind::kExactMcNemar,
    Kind::kExactOneCorr,
    Kind::kExactFisherExact,
    Kind::kExactTwoPropUncIeq,
    Kind::kExactMRC,
};

OptionsDialogInfo InfoOf(Kind kind) {
    OptionsDialogInfo info;
    info.kind = kind;
    return info;
}

std::unique_ptr<COptionsDialog> Open(Kind kind, const OptionsDialogFields& fields = {}) {
    std::unique_ptr<COptionsDialog> dialog = MakeOptionsDialog(nullptr, InfoOf(kind), fields);
    EXPECT_NE(dialog, nullptr);
    return dialog;
}

bool Checked(COptionsDialog& d, int id) {
    return d.Form()->Button(id)->isChecked();
}
bool Enabled(COptionsDialog& d, int id) {
    return d.Form()->Control(id)->isEnabled();
}
void Click(COptionsDialog& d, int id) {
    d.Form()->Button(id)->click();
}
void Choose(COptionsDialog& d, int listId, int position) {
    QComboBox* list = d.Form()->List(listId);
    list->setCurrentIndex(position);
    emit list->activated(position);
}
std::vector<std::string> Items(COptionsDialog& d, int listId) {
    std::vector<std::string> items;
    QComboBox* list = d.Form()->List(listId);
    for (int i = 0; i < list->count(); ++i) items.push_back(list->itemText(i).toStdString());
    return items;
}

TEST(OptionsForms, EveryTextIsReadableInFullAndEveryControlInsideItsDialog) {
    for (Kind kind : kAllKinds) {
        std::unique_ptr<COptionsDialog> dialog = Open(kind);
        ASSERT_NE(dialog, nullptr);
        platform::DialogForm* form = dialog->Form();
        SCOPED_TRACE(form->TemplateId());
        EXPECT_TRUE(platform::ResolvesAsRequested(form->DialogFont()));
        const QRect client = form->rect();
        for (QWidget* c : form->Controls()) {
            const QString what =
                QString::number(c->geometry().x()) + "," + QString::number(c->geometry().y());
            EXPECT_TRUE(client.contains(c->geometry())) << what.toStdString();
            const QFontMetrics metrics(c->font());
            if (auto* b = qobject_cast<QAbstractButton*>(c)) {
                EXPECT_LE(b->sizeHint().width(), b->width()) << b->text().toStdString();
                EXPECT_LE(metrics.height(), b->height()) << b->text().toStdString();
                EXPECT_FALSE(b->text().contains('$')) << b->text().toStdString();
            } else if (auto* g = qobject_cast<QGroupBox*>(c)) {
                EXPECT_LE(metrics.horizontalAdvance(g->title()) + 16, g->width())
                    << g->title().toStdString();
            } else if (auto* l = qobject_cast<QLabel*>(c)) {
                EXPECT_LE(metrics.horizontalAdvance(l->text()), l->contentsRect().width())
                    << l->text().toStdString();
            }
        }
        // A control that starts inside a group frame ends inside it too.
        for (QWidget* c : form->Controls()) {
            auto* group = qobject_cast<QGroupBox*>(c);
            if (!group) continue;
            for (QWidget* inner : form->Controls()) {
                if (inner == group || !group->geometry().contains(inner->geometry().topLeft()))
                    continue;
                EXPECT_TRUE(group->geometry().contains(inner->geometry()))
                    << group->title().toStdString() << " holds " << inner->metaObject()->className()
                    << " at " << inner->geometry().x() << "," << inner->geometry().y();
            }
        }
        // Lists: the longest entry of any list the dialog may show fits.
        for (int id : {kStatisticList, kEffectIndexList}) {
            QComboBox* list = form->List(id);
            if (!list) continue;
            std::vector<std::string> longest = Items(*dialog, id);
            if (id == kStatisticList && kind == Kind::kExactTwoPropUncIeq) {
                OptionsDialogFields offset;
                offset.testId = 608;
                longest = Items(*Open(kind, offset), id);
            }
            const QFontMetrics metrics(list->font());
            QStyleOptionComboBox option;
            option.initFrom(list);
            const QRect text = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                             QStyle::SC_ComboBoxEditField, list);
            for (const std::string& item : longest)
                EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(item)), text.width())
                    << item;
        }
        EXPECT_EQ(form->ControlText(kOptionsOk), "OK");
        EXPECT_EQ(form->ControlText(kOptionsCancel), "Cancel");
    }
}

// Every choice a dialog shows comes back on OK, and the opposite choice
// as well, so no control is bound to the wrong field.
TEST(OptionsForms, ShowAndTakeBackEveryChoice) {
    for (Kind kind : kAllKinds) {
        const OptionsForm form = OptionsFormFor(kind);
        SCOPED_TRACE(form.form.id);
        for (int pass = 0; pass < 2; ++pass) {
            OptionsDialogFields given = form.defaults;
            std::unique_ptr<COptionsDialog> probe = Open(kind);
            for (int group : probe->Form()->RadioGroups()) {
                const int size = static_cast<int>(probe->Form()->RadioGroupIds(group).size());
                given.radios[group] = pass == 0 ? size - 1 : 0;
            }
            for (auto& [id, value] : given.checks) value = pass == 0 ? 1 - value : value;
            for (auto& [id, value] : given.edits) value = pass == 0 ? 250.5 : 1e7;
            // The rank tests' page is the mode, not a radio field.
            given.radios.erase(wilcoxon_form::kAreTitle);
            given.areMode = pass == 1;
            std::unique_ptr<COptionsDialog> dialog = Open(kind, given);
            Click(*dialog, kOptionsOk);
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
            EXPECT_EQ(dialog->Fields().radios, given.radios);
            EXPECT_EQ(dialog->Fields().checks, given.checks);
            EXPECT_EQ(dialog->Fields().edits, given.edits);
            if (kind == Kind::kTWilcoxon) {
                EXPECT_EQ(dialog->Fields().areMode, pass == 1);
            }
        }
    }
}

TEST(OptionsForms, StartWithTheDefaultsOfWhatTheTestDoesNotName) {
    std::unique_ptr<COptionsDialog> manova = Open(Kind::kFManova);
    EXPECT_TRUE(Checked(*manova, 1042));  // Pillai V
    EXPECT_TRUE(Checked(*manova, kAlgorithmGroup));
    OptionsDialogFields limitOnly;
    limitOnly.edits[1137] = 500;
    std::unique_ptr<COptionsDialog> logistic = Open(Kind::kZLogistic, limitOnly);
    EXPECT_EQ(logistic->Form()->ControlText(1137), "500");
    EXPECT_TRUE(logistic->Form()->Button(computation_form::kVarianceCorrection)->isChecked());
    EXPECT_EQ(Open(Kind::kExactMcNemar)->Form()->ControlText(1137), "100000");
    EXPECT_EQ(Open(Kind::kExactFisherExact)->Form()->ControlText(1137), "10000");
    EXPECT_TRUE(Checked(*Open(Kind::kRepm), 1100));  // as in SPSS
}

TEST(OptionsForms, GreekLettersAreSetAtTheStart) {
    for (Kind kind : {Kind::kExactBinomial, Kind::kExactMcNemar}) {
        std::unique_ptr<COptionsDialog> d = Open(kind);
        EXPECT_EQ(d->Form()->ControlText(1039), QString::fromUtf8("Assign α/2 to both sides"));
        EXPECT_EQ(d->Form()->ControlText(1095),
                  QString::fromUtf8("Assign to minor tail α/2, then rest to major tail "
                                    "(α2 = α/2, α1 = α-α2)"));
        EXPECT_TRUE(d->Form()->ControlText(1096).startsWith(QString::fromUtf8("Assign α/2 to")));
    }
    std::unique_ptr<COptionsDialog> w = Open(Kind::kTWilcoxon);
    EXPECT_EQ(w->Form()->ControlText(wilcoxon_form::kEffectParameter),
              QString::fromUtf8("d = Δ/σ"));
    EXPECT_EQ(w->Form()->ControlText(wilcoxon_form::kEffectP1), "p1 = Prob(X < Y)");
}

TEST(WilcoxonDialog, EachPageEnablesItsControlsAndTheChoicesFollowTheClicks) {
    using namespace wilcoxon_form;
    const std::vector<int> lehmann = {
        kInputMethodFrame, kEffectParameterFrame, kPlotFrame, kOtherFrame, kInputMethod,
        kManualMoments,    kEffectParameter,      kEffectP1,  kPlotKind,   1161,
        kOutputCheck,      kContinuityCheck};
    OptionsDialogFields fields;
    fields.areMode = true;
    std::unique_ptr<COptionsDialog> d = Open(Kind::kTWilcoxon, fields);
    EXPECT_TRUE(Checked(*d, kAreTitle));
    EXPECT_FALSE(Checked(*d, kLehmannTitle));
    for (int id : lehmann) EXPECT_FALSE(Enabled(*d, id)) << id;
    EXPECT_TRUE(Enabled(*d, kAreSource));
    EXPECT_TRUE(Enabled(*d, 1099));

    Click(*d, kLehmannTitle);
    EXPECT_FALSE(Checked(*d, kAreTitle));
    for (int id : lehmann) EXPECT_TRUE(Enabled(*d, id)) << id;
    EXPECT_FALSE(Enabled(*d, kAreSource));
    EXPECT_FALSE(Enabled(*d, 1099));
    EXPECT_EQ(d->Form()->ControlText(kOutputCheck), "output moments p1, p2");

    Click(*d, kEffectP1);
    EXPECT_EQ(d->Form()->ControlText(kOutputCheck), "output effect size d and moment p2");
    // Moments given by hand: no effect parameter, no output choice.
    Click(*d, kManualMoments);
    for (int id : {kEffectParameter, kEffectP1, kOutputCheck}) EXPECT_FALSE(Enabled(*d, id)) << id;
    EXPECT_TRUE(Enabled(*d, kContinuityCheck));
    Click(*d, kInputMethod);
    EXPECT_TRUE(Enabled(*d, kOutputCheck));
    Click(*d, kManualMoments);

    Click(*d, kContinuityCheck);
    Click(*d, kOptionsOk);
    EXPECT_FALSE(d->Fields().areMode);
    EXPECT_EQ(d->Fields().Radio(kInputMethod), 1);
    EXPECT_EQ(d->Fields().Radio(kEffectParameter), 1);
    EXPECT_EQ(d->Fields().Check(kContinuityCheck), 1);
    EXPECT_EQ(d->Fields().radios.count(kAreTitle), 0u);

    // Opened on the Lehmann page with moments by hand, and back to A.R.E.
    fields.areMode = false;
    fields.radios[kInputMethod] = 1;
    d = Open(Kind::kTWilcoxon, fields);
    EXPECT_TRUE(Checked(*d, kLehmannTitle));
    EXPECT_FALSE(Enabled(*d, kEffectParameter));
    EXPECT_TRUE(Enabled(*d, kPlotKind));
    Click(*d, kAreTitle);
    EXPECT_FALSE(Enabled(*d, kPlotKind));
    Click(*d, kOptionsOk);
    EXPECT_TRUE(d->Fields().areMode);
}

TEST(RegressionDialogs, TheComputationEnablesStatisticOrProcedure) {
    using namespace computation_form;
    for (Kind kind : {Kind::kZLogistic, Kind::kZPoisson}) {
        SCOPED_TRACE(static_cast<int>(kind));
        OptionsDialogFields fields;
        fields.radios[kEnumeration] = 1;
        std::unique_ptr<COptionsDialog> d = Open(kind, fields);
        auto expectEnumeration = [&](bool enumeration) {
            EXPECT_EQ(Enabled(*d, kWald), enumeration);
            EXPECT_EQ(Enabled(*d, kLikelihoodRatio), enumeration);
            EXPECT_EQ(Enabled(*d, kProcedure), !enumeration);
            EXPECT_EQ(Enabled(*d, kOtherProcedure), !enumeration);
            EXPECT_EQ(Enabled(*d, kVarianceCorrection), !enumeration);
        };
        expectEnumeration(false);
        Click(*d, kEnumeration);
        expectEnumeration(true);
        Click(*d, kLargeSample);
        expectEnumeration(false);
        Click(*d, kEnumeration);
        Click(*d, kOptionsOk);
        EXPECT_EQ(d->Fields().Radio(kEnumeration), 0);
        EXPECT_TRUE(Open(kind)->Form()->Control(kWald)->isEnabled());
    }
}

TEST(UnconditionalDialog, StatisticsFollowTheTestAndTheEffectMeasure) {
    OptionsDialogFields fields;
    fields.testId = 608;
    fields.effectIndexCode = 1;
    fields.statisticCode = 7;  // Farrington & Manning
    std::unique_ptr<COptionsDialog> d = Open(Kind::kExactTwoPropUncIeq, fields);
    EXPECT_EQ(d->Form()->List(kEffectIndexList)->currentIndex(), 1);
    EXPECT_EQ(Items(*d, kStatisticList).size(), 8u);
    EXPECT_EQ(d->Form()->ControlText(kStatisticList), "Likelihood score: (Farrington & Manning)");

    // Risk ratio leaves exactly the three scores; code 7 is not among them,
    // so the first is chosen and its code kept.
    Choose(*d, kEffectIndexList, 2);
    EXPECT_EQ(Items(*d, kStatisticList),
              (std::vector<std::string>{"Likelihood score: (Gart & Nam)",
                                        "Likelihood score: (Farrington & Manning)",
                                        "Likelihood score: (Miettinen & Nurminen)"}));
    EXPECT_EQ(d->Form()->List(kStatisticList)->currentIndex(), 0);
    EXPECT_EQ(d->Fields().statisticCode, 12);
    Choose(*d, kStatisticList, 2);
    Click(*d, kOptionsOk);
    EXPECT_EQ(d->Fields().effectIndexCode, 2);
    EXPECT_EQ(d->Fields().statisticCode, 11);

    // A stored code the row does not hold selects the first statistic.
    fields.effectIndexCode = 3;
    fields.statisticCode = 0;
    d = Open(Kind::kExactTwoPropUncIeq, fields);
    EXPECT_EQ(d->Form()->ControlText(kStatisticList), "Likelihood score: (Farrington & Manning)");
    Click(*d, kOptionsOk);
    EXPECT_EQ(d->Fields().statisticCode, 13);

    // Test 607 offers its seven statistics whatever the measure.
    fields.testId = 607;
    fields.effectIndexCode = 9;  // unknown: the first measure
    fields.statisticCode = 4;
    d = Open(Kind::kExactTwoPropUncIeq, fields);
    EXPECT_EQ(d->Form()->List(kEffectIndexList)->currentIndex(), 0);
    EXPECT_EQ(d->Form()->ControlText(kStatisticList), "Mantel-Haenszel test");
    Choose(*d, kEffectIndexList, 3);
    EXPECT_EQ(Items(*d, kStatisticList).size(), 7u);
    EXPECT_EQ(d->Form()->ControlText(kStatisticList), "Mantel-Haenszel test");
    Choose(*d, kStatisticList, 6);
    Click(*d, kOptionsOk);
    EXPECT_EQ(d->Fields().effectIndexCode, 3);
    EXPECT_EQ(d->Fields().statisticCode, 6);
}

TEST(FisherDialog, TheStatisticFollowsTheList) {
    OptionsDialogFields fields;
    fields.statisticCode = 2;
    std::unique_ptr<COptionsDialog> d = Open(Kind::kExactFisherExact, fields);
    EXPECT_EQ(d->Form()->ControlText(kStatisticList), "Pearson chi square");
    Choose(*d, kStatisticList, 1);
    Click(*d, kOptionsOk);
    EXPECT_EQ(d->Fields().statisticCode, 1);
    // A code without an entry shows Fisher and keeps it.
    fields.statisticCode = 5;
    d = Open(Kind::kExactFisherExact, fields);
    EXPECT_EQ(d->Form()->ControlText(kStatisticList), "Fisher");
    Click(*d, kOptionsOk);
    EXPECT_EQ(d->Fields().statisticCode, 0);
}

TEST(RepeatedMeasuresDialog, TheMeanCorrelationCheckFollowsTheEnablingFlag) {
    for (bool enabled : {true, false}) {
        OptionsDialogFields fields;
        fields.checkEnabled = enabled;
        fields.checks[1019] = 1;
        std::unique_ptr<COptionsDialog> d = Open(Kind::kRepMMulti, fields);
        EXPECT_EQ(Enabled(*d, 1019), enabled);
        EXPECT_TRUE(d->Form()->Button(1019)->isChecked());
    }
}

TEST(OptionsLimit, ANonNumberIsReportedAndKeepsTheDialogOpen) {
    platform::ScriptedDialogs dialogs;
    OptionsDialogFields fields;
    fields.edits[1137] = 400;
    std::unique_ptr<COptionsDialog> d = Open(Kind::kExactOneCorr, fields);
    d->show();
    QLineEdit* limit = d->Form()->Edit(1137);
    for (const char* bad : {"", "abc", "12x", "nan", "inf", "1e999"}) {
        limit->setText(QString::fromLatin1(bad));
        Click(*d, 1098);
        Click(*d, kOptionsOk);
        ASSERT_EQ(dialogs.messages.size(), 1u) << bad;
        EXPECT_EQ(dialogs.messages[0].text, "Please enter a number.");
        EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Warning);
        dialogs.messages.clear();
        EXPECT_TRUE(d->isVisible()) << bad;
        EXPECT_EQ(d->Fields().Edit(1137), 400.0);
        EXPECT_EQ(d->Fields().Radio(1097), 0);
        EXPECT_EQ(limit->selectedText(), limit->text());
    }
    // Enter in the field does what OK does.
    limit->setText(QStringLiteral(" 2500 "));
    limit->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(limit, &enter);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->Fields().Edit(1137), 2500.0);
    EXPECT_EQ(d->Fields().Radio(1097), 1);
}

// Runs each dialog by a script of clicks instead of a modal loop.
class ClickedOptions : public FormOptionsDialogs {
  public:
    std::function<void(COptionsDialog*)> clicks;

  protected:
    void Run(COptionsDialog* dialog) override {
        if (clicks) clicks(dialog);
    }
};

TEST(OptionsService, OkWritesTheFieldsBackAndCancelLeavesThem) {
    ClickedOptions service;
    OptionsDialogFields fields;
    fields.radios[1097] = 0;
    fields.edits[1137] = 100;
    fields.testId = 604;
    const OptionsDialogInfo mcNemar = InfoOf(Kind::kExactMcNemar);
    for (int closeBy : {kOptionsCancel, kOptionsOk}) {
        service.clicks = [closeBy](COptionsDialog* d) {
            Click(*d, 1098);
            Click(*d, 1096);
            d->Form()->Edit(1137)->setText("77");
            Click(*d, closeBy);
        };
        OptionsDialogFields before = fields;
        const int answer = service.DoModal(nullptr, mcNemar, &fields);
        if (closeBy == kOptionsCancel) {
            EXPECT_EQ(answer, 2);
            EXPECT_EQ(fields.radios, before.radios);
            EXPECT_EQ(fields.edits, before.edits);
        } else {
            EXPECT_EQ(answer, 1);
            EXPECT_EQ(fields.Radio(1097), 1);
            EXPECT_EQ(fields.Radio(1039), 2);
            EXPECT_EQ(fields.Edit(1137), 77.0);
            EXPECT_EQ(fields.testId, 604);
        }
    }
    // Closing the window any other way is a Cancel too.
    service.clicks = [](COptionsDialog* d) { d->reject(); };
    EXPECT_EQ(service.DoModal(nullptr, mcNemar, &fields), 2);
    // A kind without a form shows nothing.
    EXPECT_EQ(service.DoModal(nullptr, InfoOf(Kind::kNone), &fields), kNoDialog);
}

}  // namespace
