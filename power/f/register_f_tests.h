#pragma once

// Appends one new prototype of every F test to FTestList, in catalogue
// order, without emptying the list first. The application installs it as
// the F family's register hook of the test catalogue.
void RegisterFTests();
