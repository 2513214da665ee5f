// Every parameter label must be readable in full in the edit-field form.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QRegularExpression>

#include "analysis/parameter_names.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/widgets/ui_helpers.h"
#include "platform/fonts.h"
#include "platform/widget_test_main.h"

namespace {

TEST(LabelFit, EveryParameterLabelFitsTheInputColumn) {
    CQuorixMainCompForm form(nullptr);
    EXPECT_TRUE(platform::ResolvesAsRequested(form.DialogFont()))
        << platform::ResolvedFamily(form.DialogFont()).toStdString();
    QLabel* label = qobject_cast<QLabel*>(form.Control(form_tables::InputLabelId(0)));
    ASSERT_NE(label, nullptr);
    const QFontMetrics metrics(label->font());
    for (int id = 0; id < kParameterNameCount; ++id) {
        const QString text = ToDisplayLabel(ParameterNames[id]);
        EXPECT_LE(metrics.horizontalAdvance(text), label->contentsRect().width())
            << id << " " << text.toStdString();
        EXPECT_FALSE(text.contains(QLatin1Char('\\'))) << id << " " << text.toStdString();
    }
}

TEST(LabelFit, OutputLabelsFitTheOutputColumn) {
    CQuorixMainCompForm form(nullptr);
    QLabel* label = qobject_cast<QLabel*>(form.Control(form_tables::OutputLabelId(0)));
    ASSERT_NE(label, nullptr);
    const QFontMetrics metrics(label->font());
    // The labels that outputs carry: powers, error probabilities, critical
    // values, degrees of freedom, sample sizes and noncentralities.
    const QRegularExpression outputLike(
        "Power|err prob|Critical|critical|df$|Actual|[Ss]ample size|Noncentrality parameter");
    int checked = 0;
    for (int id = 0; id < kParameterNameCount; ++id) {
        const QString text = ToDisplayLabel(ParameterNames[id]);
        if (!outputLike.match(text).hasMatch()) continue;
        ++checked;
        EXPECT_LE(metrics.horizontalAdvance(text), label->contentsRect().width())
            << id << " " << text.toStdString();
    }
    EXPECT_GT(checked, 10);
}

}  // namespace
