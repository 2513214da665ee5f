#pragma once

// Appends one prototype of each t test to TTestList, in the order the
// catalogue and the test-selection list show the family. Called once by the
// catalogue builder; appends without emptying the list first.
void RegisterTTests();
