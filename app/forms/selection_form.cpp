#include "app/forms/selection_form.h"

#include <QComboBox>
#include <algorithm>

#include "analysis/catalogue.h"
#include "analysis/power_analysis.h"
#include "app/forms/form_host.h"
#include "app/forms/form_tables.h"
#include "app/widgets/ui_helpers.h"

CTestSelectCompForm::CTestSelectCompForm(FormHost* host)
    : CFormViewEx(form_tables::TestSelectionForm()), frame_(host) {}

bool CTestSelectCompForm::FindInCatalogue(const PowerAnalysis* test, int* family, int* index) {
    for (size_t f = 0; f < TestCatalogue.size(); ++f) {
        const TestList& tests = TestCatalogue[f];
        const auto found = std::find(tests.begin(), tests.end(), test);
        if (found != tests.end()) {
            *family = static_cast<int>(f);
            *index = static_cast<int>(found - tests.begin());
            return true;
        }
    }
    return false;
}

void CTestSelectCompForm::FillFamilies() {
    QComboBox* list = List(kFamilyList);
    list->clear();
    for (const TestList& family : TestCatalogue) {
        // The catalogue holds no empty family.
        list->addItem(ToDisplayLabel(family.front()->GetFamilyName()));
    }
}

void CTestSelectCompForm::FillTests(int family) {
    QComboBox* list = List(kTestList);
    list->clear();
    if (family < 0 || family >= static_cast<int>(TestCatalogue.size())) return;
    for (PowerAnalysis* test : TestCatalogue[family])
        list->addItem(ToDisplayLabel(test->GetTestName()));
}

void CTestSelectCompForm::SelectFamily(int family, int test, int type) {
    List(kFamilyList)->setCurrentIndex(family);
    FillTests(family);
    SelectTest(test, type);
}

void CTestSelectCompForm::SelectTest(int test, int type) {
    const int family = List(kFamilyList)->currentIndex();
    if (family < 0 || family >= static_cast<int>(TestCatalogue.size())) return;
    const TestList& tests = TestCatalogue[family];
    if (test < 0 || test >= static_cast<int>(tests.size())) return;
    List(kTestList)->setCurrentIndex(test);

    PropertyList& types = frame_->AnalysisTypes();
    const int oldCount = static_cast<int>(types.size());
    frame_->SetCurrentTest(tests[test]);
    tests[test]->GetAnalysisTypes(&types);
    const int newCount = static_cast<int>(types.size());

    QComboBox* typeList = List(kTypeList);
    typeList->clear();
    for (const Property* entry : types) typeList->addItem(ToDisplayLabel(entry->name));

    int chosen = type;
    if (newCount == oldCount + 1) chosen += 1;
    if (newCount == oldCount - 1) chosen -= 1;
    chosen = std::max(0, std::min(chosen, newCount - 1));
    typeList->setCurrentIndex(chosen);
    frame_->SetChosenType(chosen);
    if (frame_->CurrentAnalysis() == kSensitivity) frame_->CloseEffectSizeDrawer();
}

void CTestSelectCompForm::ShowCurrentChoice() {
    int family = -1, index = -1;
    if (!FindInCatalogue(frame_->CurrentTest(), &family, &index)) return;
    if (List(kFamilyList)->currentIndex() != family) {
        List(kFamilyList)->setCurrentIndex(family);
        FillTests(family);
    }
    List(kTestList)->setCurrentIndex(index);
    List(kTypeList)->setCurrentIndex(frame_->ChosenTypeIndex());
}

void CTestSelectCompForm::OnControlEvent(int id, platform::ControlEvent event) {
    if (!frame_ || event != platform::ControlEvent::SelectionChanged) return;
    // While a calculation owns the test and its lists nothing may switch them.
    if (frame_->IsBusy()) {
        ShowCurrentChoice();
        return;
    }
    switch (id) {
        case kFamilyList:
            OnFamilyChanged();
            break;
        case kTestList:
            OnTestChanged();
            break;
        case kTypeList:
            frame_->OnAnalysisTypeSelected(List(kTypeList)->currentIndex());
            break;
        default:
            break;
    }
}

void CTestSelectCompForm::OnFamilyChanged() {
    const bool drawerOpen = frame_->EffectSizeDrawerOpen();
    if (drawerOpen) frame_->CloseEffectSizeDrawer();
    const int family = List(kFamilyList)->currentIndex();
    const int type = List(kTypeList)->currentIndex();
    SelectFamily(family, 0, type);
    frame_->ApplyTestToForms();
    frame_->OnInputsChanged();
    if (drawerOpen && frame_->EffectSizePanelId() > 0)
        frame_->CreateEffectSizePanels(frame_->EffectSizePanelId());
}

void CTestSelectCompForm::OnTestChanged() {
    const bool drawerOpen = frame_->EffectSizeDrawerOpen();
    if (drawerOpen) frame_->CloseEffectSizeDrawer();
    SelectTest(List(kTestList)->currentIndex(), List(kTypeList)->currentIndex());
    frame_->ApplyTestToForms();
    frame_->OnInputsChanged();
    if (drawerOpen && frame_->EffectSizePanelId() > 0)
        frame_->CreateEffectSizePanels(frame_->EffectSizePanelId());
}
