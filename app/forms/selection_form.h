#pragma once

#include "app/widgets/form_view_ex.h"

class FormHost;
class PowerAnalysis;

// The pane in which the user chooses a test in three lists: test family,
// statistical test and type of power analysis. Family f is catalogue family
// f, test t the family's test t, type k element k of the frame's
// analysis-type list. Choosing makes the test current in the frame.
class CTestSelectCompForm : public CFormViewEx {
  public:
    static constexpr int kFamilyList = 1000;
    static constexpr int kTestList = 1001;
    static constexpr int kTypeList = 1002;

    explicit CTestSelectCompForm(FormHost* host);

    // One entry per catalogue family, named after its first test's family.
    void FillFamilies();
    // Selects the family, fills the test list with its tests, then SelectTest.
    void SelectFamily(int family, int test, int type);
    // Makes test `test` of the selected family current and chooses the type
    // `type`, moved by one when the new type list is one longer or shorter
    // than the old one, so that switching to or from a family's generic test
    // (which lacks "A priori") keeps the same type; limited to the list.
    void SelectTest(int test, int type);

    // The catalogue position of `test`; false when it is not in the catalogue.
    static bool FindInCatalogue(const PowerAnalysis* test, int* family, int* index);

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    void OnFamilyChanged();
    void OnTestChanged();
    void FillTests(int family);
    // Shows the frame's current choice again, undoing a change of a list.
    void ShowCurrentChoice();

    FormHost* frame_;
};
