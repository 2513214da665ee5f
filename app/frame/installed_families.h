#pragma once

// Hands the test catalogue the register function of every test family that
// is part of this build. Call before BuildTestCatalogue.
void InstallTestFamilies();
