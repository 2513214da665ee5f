#include "glm/helmert.h"

#include <algorithm>
#include <cmath>

void MakeHelmertContrasts(Matrix& M, int n) {
    n = std::max(n, 0);
    const int rows = std::max(n - 1, 0);
    M.resize(rows, n);
    if (rows == 0) return;
    M = 0.0;
    for (int k = 0; k < rows; ++k) {
        const double m = n - 1 - k;
        const double d = std::sqrt(m * m + m);
        M(k, k) = -m / d;
        for (int j = k + 1; j < n; ++j) M(k, j) = 1.0 / d;
    }
}

void MakeUnitRow(Matrix& M, int n) {
    n = std::max(n, 0);
    M.resize(1, n);
    if (n == 0) return;
    M = 1.0 / std::sqrt(static_cast<double>(n));
}
