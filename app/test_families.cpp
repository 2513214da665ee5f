#include "app/test_families.h"

#include "analysis/catalogue.h"

// Each family lives in a library of its own; a family that is not part of
// the build registers nothing, and the catalogue simply has no entry for it.
#ifdef QUORIX_WITH_TESTS_EXACT
void RegisterExactTests();
#endif
#ifdef QUORIX_WITH_TESTS_F
void RegisterFTests();
#endif
#ifdef QUORIX_WITH_TESTS_T
void RegisterTTests();
#endif
#ifdef QUORIX_WITH_TESTS_CHI
void RegisterChiTests();
#endif
#ifdef QUORIX_WITH_TESTS_Z
void RegisterZTests();
#endif

void InstallTestFamilies() {
#ifdef QUORIX_WITH_TESTS_EXACT
    SetRegisterHook(TestFamily::kExact, RegisterExactTests);
#endif
#ifdef QUORIX_WITH_TESTS_F
    SetRegisterHook(TestFamily::kF, RegisterFTests);
#endif
#ifdef QUORIX_WITH_TESTS_T
    SetRegisterHook(TestFamily::kT, RegisterTTests);
#endif
#ifdef QUORIX_WITH_TESTS_CHI
    SetRegisterHook(TestFamily::kChi, RegisterChiTests);
#endif
#ifdef QUORIX_WITH_TESTS_Z
    SetRegisterHook(TestFamily::kZ, RegisterZTests);
#endif
}
