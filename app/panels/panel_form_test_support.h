#pragma once

// Kept so that tests including this name still build; the support lives in
// one header.

#include "app/panels/panel_test_support.h"  // IWYU pragma: export
