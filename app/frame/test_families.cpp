#include "app/frame/test_families.h"

#include "analysis/catalogue.h"

// Each family lives in a library of its own; a family that is not part of
// the build registers nothing, and the catalogue simply has no entry for it.
#ifdef QUORIX_WITH_POWER_EXACT
#if __has_include("power/exact/register_exact_tests.h")
#include "power/exact/register_exact_tests.h"
#else
void RegisterExactTests();
#endif
#endif
#ifdef QUORIX_WITH_POWER_F
#if __has_include("power/f/register_f_tests.h")
#include "power/f/register_f_tests.h"
#else
void RegisterFTests();
#endif
#endif
#ifdef QUORIX_WITH_POWER_T
#if __has_include("power/t/register_t_tests.h")
#include "power/t/register_t_tests.h"
#else
void RegisterTTests();
#endif
#endif
#ifdef QUORIX_WITH_POWER_CHI
#if __has_include("power/chi/register_chi_tests.h")
#include "power/chi/register_chi_tests.h"
#else
void RegisterChiTests();
#endif
#endif
#ifdef QUORIX_WITH_POWER_Z
#if __has_include("power/z/register_z_tests.h")
#include "power/z/register_z_tests.h"
#else
void RegisterZTests();
#endif
#endif

void InstallTestFamilies() {
#ifdef QUORIX_WITH_POWER_EXACT
    SetRegisterHook(TestFamily::kExact, RegisterExactTests);
#endif
#ifdef QUORIX_WITH_POWER_F
    SetRegisterHook(TestFamily::kF, RegisterFTests);
#endif
#ifdef QUORIX_WITH_POWER_T
    SetRegisterHook(TestFamily::kT, RegisterTTests);
#endif
#ifdef QUORIX_WITH_POWER_CHI
    SetRegisterHook(TestFamily::kChi, RegisterChiTests);
#endif
#ifdef QUORIX_WITH_POWER_Z
    SetRegisterHook(TestFamily::kZ, RegisterZTests);
#endif
}
