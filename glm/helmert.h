#pragma once

#include "numerics/matrix.h"

// M becomes (n - 1) x n: orthonormal contrast rows, row k comparing level k
// with the mean of the levels after it (-m/d at k, 1/d after it, with
// m = n - 1 - k and d = sqrt(m^2 + m)). n below 2 gives no rows.
void MakeHelmertContrasts(Matrix& M, int n);
// M becomes 1 x n with every entry 1/sqrt(n); n below 1 gives 1 x 0.
void MakeUnitRow(Matrix& M, int n);
