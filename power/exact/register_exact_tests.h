#pragma once

// Appends one new prototype of every exact test to ExactTestList, in
// catalogue order, without emptying the list first. The application installs
// it as the exact family's register hook of the test catalogue.
void RegisterExactTests();
