#pragma once

// Appends one prototype of each z test to ZTestList, in the order the
// catalogue and the test-selection list show the family. Called once by the
// catalogue builder; appends without emptying the list first.
void RegisterZTests();
