#pragma once

// Appends one new prototype of every chi-square test to ChiTestList, in
// catalogue order, without emptying the list first. The application installs
// it as the chi-square family's register hook of the test catalogue.
void RegisterChiTests();
