// The drawer's panel table against the test catalogue: every catalogued test
// has panels, the ids without a panel of their own get the dummy, and the
// rows of the table are not contradicted by a second row.

#include "effectsize/panel_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "analysis/catalogue.h"
#include "analysis/power_analysis.h"
#include "power/chi/register_chi_tests.h"
#include "power/exact/register_exact_tests.h"
#include "power/f/register_f_tests.h"
#include "power/t/register_t_tests.h"
#include "power/z/register_z_tests.h"

namespace {

using effectsize::PanelClassesFor;
using effectsize::PanelTable;
using Panels = std::vector<std::string>;

class PanelTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetRegisterHook(TestFamily::kExact, RegisterExactTests);
        SetRegisterHook(TestFamily::kF, RegisterFTests);
        SetRegisterHook(TestFamily::kT, RegisterTTests);
        SetRegisterHook(TestFamily::kChi, RegisterChiTests);
        SetRegisterHook(TestFamily::kZ, RegisterZTests);
        BuildTestCatalogue();
    }
    void TearDown() override {
        ClearTestCatalogue();
        for (TestFamily f :
             {TestFamily::kExact, TestFamily::kF, TestFamily::kT, TestFamily::kChi, TestFamily::kZ})
            SetRegisterHook(f, nullptr);
    }
};

TEST_F(PanelTableTest, EveryCataloguedTestGetsItsPanelsOrTheDummy) {
    std::set<int> tabled;
    for (const auto& row : PanelTable()) tabled.insert(row.testIds.begin(), row.testIds.end());
    int walked = 0;
    for (const TestList& family : TestCatalogue) {
        for (PowerAnalysis* test : family) {
            const int id = test->GetTestId();
            const Panels panels = PanelClassesFor(id);
            SCOPED_TRACE(id);
            ASSERT_FALSE(panels.empty());
            for (const std::string& name : panels) EXPECT_EQ(name.rfind("CEff_", 0), 0u);
            if (!tabled.count(id)) {
                EXPECT_EQ(panels, Panels{"CEff_Dummy"});
            }
            ++walked;
        }
    }
    // The catalogue was really there to walk.
    EXPECT_GT(walked, 40);
}

TEST_F(PanelTableTest, NoTestIdIsServedByTwoRows) {
    std::map<int, int> rows;
    for (const auto& row : PanelTable()) {
        for (int id : row.testIds) EXPECT_EQ(++rows[id], 1) << "test id " << id;
    }
}

TEST(PanelTable, RowsOfTheTable) {
    struct Case {
        int testId;
        bool meanCorrelation;
        Panels panels;
    };
    const Case cases[] = {
        {201, true, {"CEff_T_2Groups_Form"}},
        {206, true, {"CEff_T_2Groups_Form"}},
        {106, true, {"CEff_F_Hotelling"}},
        {101, true, {"CEff_SelectAnovaOmniSpecial", "CEff_F_Anova_Omni"}},
        // The option only matters to the rows that name other panels for it.
        {101, false, {"CEff_SelectAnovaOmniSpecial", "CEff_F_Anova_Omni"}},
        {111, true, {"CEff_SelectAnovaOmniSpecial", "CEff_F_Anova_Omni"}},
        {111, false, {"CEff_SelectRMM_Eta_MeanCov", "CEff_F_RMM_MeanCov"}},
        {113, true, {"CEff_F_Anova_Special"}},
        {113, false, {"CEff_SelectRMM_Eta_MeanCov", "CEff_F_RMM_MeanCov"}},
        {310, true, {"CEff_Z_LogRegress"}},
        {611, true, {"CEff_Exact_MRC_Random"}},
        {301, true, {"CEff_Dummy"}},
        {-1, true, {"CEff_Dummy"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PanelClassesFor(c.testId, c.meanCorrelation), c.panels) << c.testId;
}

}  // namespace
