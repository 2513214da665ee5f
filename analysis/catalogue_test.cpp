#include "analysis/catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "analysis/analysis_fakes.h"

namespace {

// Counts how often each test id is destroyed.
std::map<int, int> destroyed;

class IdTest : public fakes::ZTest {
  public:
    explicit IdTest(int id) : id_(id) {}
    ~IdTest() override { ++destroyed[id_]; }
    TestId GetTestId() override { return id_; }
    PowerAnalysis* Clone() override { return new IdTest(id_); }

  private:
    int id_;
};

void Append(TestList& list, std::initializer_list<int> ids) {
    for (int id : ids) list.push_back(new IdTest(id));
}

void RegisterExact() {
    Append(ExactTestList, {605, 611, 602, 604, 606, 607, 608, 603, 601});
}
void RegisterF() {
    Append(FTestList,
           {116, 101, 102, 108, 109, 110, 106, 107, 114, 115, 111, 112, 113, 103, 104, 105, 100});
}
void RegisterT() {
    Append(TTestList, {202, 211, 209, 208, 210, 204, 201, 203, 207, 205, 206, 200});
}
void RegisterChi() {
    Append(ChiTestList, {401, 402, 400});
}
void RegisterZ() {
    Append(ZTestList, {309, 306, 307, 302, 310, 308, 301, 300});
}

class Catalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        destroyed.clear();
        SetRegisterHook(TestFamily::kExact, RegisterExact);
        SetRegisterHook(TestFamily::kF, RegisterF);
        SetRegisterHook(TestFamily::kT, RegisterT);
        SetRegisterHook(TestFamily::kChi, RegisterChi);
        SetRegisterHook(TestFamily::kZ, RegisterZ);
    }
    void TearDown() override {
        ClearTestCatalogue();
        for (TestFamily f : {TestFamily::kExact, TestFamily::kF, TestFamily::kT, TestFamily::kChi,
                             TestFamily::kZ}) {
            SetRegisterHook(f, nullptr);
        }
    }
};

TEST_F(Catalogue, FamiliesInOrderExactFTChiZ) {
    BuildTestCatalogue();
    ASSERT_EQ(TestCatalogue.size(), 5u);
    const std::vector<size_t> sizes = {9, 17, 12, 3, 8};
    for (size_t i = 0; i < sizes.size(); ++i) EXPECT_EQ(TestCatalogue[i].size(), sizes[i]) << i;
    EXPECT_EQ(TestCatalogue.front().front()->GetTestId(), 605);
    EXPECT_EQ(TestCatalogue.back().back()->GetTestId(), 300);
    EXPECT_EQ(TestCatalogue[3][2]->GetTestId(), 400);
}

TEST_F(Catalogue, FindsByIdAndNothingForAnUnknownId) {
    BuildTestCatalogue();
    PowerAnalysis* chi = FindTest(400);
    ASSERT_NE(chi, nullptr);
    EXPECT_EQ(chi, TestCatalogue[3][2]);
    EXPECT_EQ(FindTest(500), nullptr);
    // Copies are made by Clone and are not catalogue entries.
    std::unique_ptr<PowerAnalysis> copy(chi->Clone());
    EXPECT_EQ(copy->GetTestId(), 400);
    EXPECT_NE(copy.get(), chi);
    EXPECT_EQ(FindTest(400), chi);
}

TEST_F(Catalogue, FamilyWithoutTestsGetsNoEntry) {
    SetRegisterHook(TestFamily::kF, nullptr);
    SetRegisterHook(TestFamily::kChi, nullptr);
    BuildTestCatalogue();
    ASSERT_EQ(TestCatalogue.size(), 3u);
    EXPECT_EQ(TestCatalogue[0].front()->GetTestId(), 605);
    EXPECT_EQ(TestCatalogue[1].front()->GetTestId(), 202);
    EXPECT_EQ(TestCatalogue[2].front()->GetTestId(), 309);
    EXPECT_EQ(FindTest(100), nullptr);
}

TEST_F(Catalogue, ClearDeletesEveryTestOnce) {
    BuildTestCatalogue();
    ClearTestCatalogue();
    EXPECT_TRUE(TestCatalogue.empty());
    EXPECT_TRUE(TTestList.empty());
    ASSERT_EQ(destroyed.size(), 49u);
    for (const auto& [id, count] : destroyed) EXPECT_EQ(count, 1) << id;
    ClearTestCatalogue();  // nothing left to delete
    for (const auto& [id, count] : destroyed) EXPECT_EQ(count, 1) << id;
}

TEST_F(Catalogue, RebuildHoldsEachTestOnce) {
    BuildTestCatalogue();
    BuildTestCatalogue();
    ASSERT_EQ(TestCatalogue.size(), 5u);
    EXPECT_EQ(TestCatalogue[2].size(), 12u);
    EXPECT_EQ(TTestList.size(), 12u);
    for (const auto& [id, count] : destroyed) EXPECT_EQ(count, 1) << id;  // the first build's
}

// Two families whose items interleave in the menu: the menu follows the
// popups' order, then the places, not the order in which tests registered.
void RegisterMenuF() {
    RegisterTest(FTestList, new IdTest(105), {32799, TestMenuPopup::kVariances, 20, "Two groups"});
    RegisterTest(FTestList, new IdTest(101), {32817, TestMenuPopup::kMeans, 80, "ANOVA"});
    FTestList.push_back(new IdTest(100));  // no item
}
void RegisterMenuT() {
    RegisterTest(TTestList, new IdTest(201), {32829, TestMenuPopup::kMeans, 50, "Two groups"});
    RegisterTest(TTestList, new IdTest(202), {32800, TestMenuPopup::kCorrelation, 20, "r"});
}

TEST_F(Catalogue, TestsMenuByPopupThenPlaceAndEmptiedWithTheCatalogue) {
    SetRegisterHook(TestFamily::kExact, nullptr);
    SetRegisterHook(TestFamily::kF, RegisterMenuF);
    SetRegisterHook(TestFamily::kT, RegisterMenuT);
    SetRegisterHook(TestFamily::kChi, nullptr);
    SetRegisterHook(TestFamily::kZ, nullptr);
    BuildTestCatalogue();
    BuildTestCatalogue();                   // a rebuild holds each item once
    std::vector<std::pair<int, int>> menu;  // command, test id
    for (const TestMenuEntry& entry : TestMenu())
        menu.emplace_back(entry.item.commandId, entry.testId);
    const std::vector<std::pair<int, int>> expected = {
        {32800, 202}, {32829, 201}, {32817, 101}, {32799, 105}};
    EXPECT_EQ(menu, expected);
    EXPECT_EQ(TestIdForCommand(32817), 101);
    EXPECT_EQ(TestIdForCommand(32848), -1);
    ASSERT_EQ(TestCatalogue.size(), 2u);
    EXPECT_EQ(TestCatalogue[0].size(), 3u);

    ClearTestCatalogue();
    EXPECT_TRUE(TestMenu().empty());
    EXPECT_EQ(TestIdForCommand(32817), -1);
}

}  // namespace
