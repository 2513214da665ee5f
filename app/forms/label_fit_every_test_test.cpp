// Every label of every test's input and output lists, typeset as the user
// sees it, in the room the edit-field form gives it: nothing may be cut.

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <map>
#include <set>

#include "analysis/catalogue.h"
#include "analysis/power_analysis.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

// Pixels that differ from the label's background, drawn with `spare`
// pixels of free widget on either side of the room the form gives it: ink
// cut at the room's edge in the form shows in that spare room.
int InkPixels(QLabel* label, int spare) {
    const QSize size = label->size();
    const QMargins margins = label->contentsMargins();
    label->setContentsMargins(margins + QMargins(spare, 0, spare, 0));
    label->resize(size.width() + 2 * spare, size.height());
    const QImage image = label->grab().toImage();
    label->setContentsMargins(margins);
    label->resize(size);
    const QRgb background = image.pixel(0, 0);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (std::abs(qGray(image.pixel(x, y)) - qGray(background)) > 6) ++count;
        }
    }
    return count;
}

// A label shows as much ink in the form as with spare room beside it: no
// glyph is cut at either end.
TEST(LabelFitEveryTest, NoInputOrOutputLabelIsCut) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    std::vector<int> ids;
    for (const TestList& family : TestCatalogue)
        for (PowerAnalysis* test : family) ids.push_back(test->GetTestId());
    if (ids.size() < 40) GTEST_SKIP() << "this build lacks test families";

    std::map<std::string, std::string> cut;  // markup -> where it was seen
    std::set<std::string> measured;
    int combinations = 0;
    for (int id : ids) {
        ASSERT_TRUE(frame->SelectTest(id)) << id;
        const int types = static_cast<int>(frame->AnalysisTypes().size());
        for (int type = 0; type < types; ++type) {
            frame->OnAnalysisTypeSelected(type);
            ++combinations;
            CQuorixMainCompForm* form = frame->EditFieldForm();
            ASSERT_NE(form, nullptr);
            const std::pair<PropertyList*, int (*)(int)> lists[] = {
                {&frame->Inputs(), form_tables::InputLabelId},
                {&frame->Outputs(), form_tables::OutputLabelId}};
            for (const auto& [list, labelId] : lists) {
                const int rows = std::min<int>(list->size(), form_tables::kRowCount);
                for (int row = 0; row < rows; ++row) {
                    const std::string& name = (*list)[row]->name;
                    auto* label = qobject_cast<QLabel*>(form->Control(labelId(row)));
                    ASSERT_NE(label, nullptr);
                    const std::string key =
                        name + (labelId == form_tables::InputLabelId ? " (input)" : " (output)");
                    if (!measured.insert(key).second) continue;
                    const int own = InkPixels(label, 0);
                    const int wide = InkPixels(label, 30);
                    EXPECT_GT(wide, 0) << key;
                    if (own != wide)
                        cut[key] = "test " + std::to_string(id) + ", type " + std::to_string(type) +
                                   ": " + std::to_string(own) + " of " + std::to_string(wide) +
                                   " pixels";
                }
            }
        }
    }
    EXPECT_GE(combinations, 200);
    for (const auto& [key, where] : cut) ADD_FAILURE() << "cut: " << key << " -- " << where;
    EXPECT_GT(measured.size(), 100u);
}

}  // namespace
