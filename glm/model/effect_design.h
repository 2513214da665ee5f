// The 3 x 3 x 2 design in effect coding that the huge-effect benchmark and
// tests run on: 18 cells, 18 predictors (the intercept, A, B, C and their
// interactions), three responses. The intercept's means are 10, 11 and 12,
// the first A effect is a1 on the first response and the second a1 on the
// second, every other effect 0.1 ((i + j) mod 5).
#pragma once

#include <vector>

struct EffectDesign {
    std::vector<double> x;      // 18 x 18, row by row
    std::vector<double> means;  // 18 x 3, row by row
};

inline EffectDesign ThreeByThreeByTwo(double a1) {
    const double codes3[3][2] = {{1, 0}, {0, 1}, {-1, -1}};
    const double codes2[2] = {1, -1};
    EffectDesign d;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 2; ++k) {
                const double *a = codes3[i], *b = codes3[j], c = codes2[k];
                std::vector<double> row = {1, a[0], a[1], b[0], b[1], c};
                for (int u = 0; u < 2; ++u)
                    for (int v = 0; v < 2; ++v) row.push_back(a[u] * b[v]);
                for (int u = 0; u < 2; ++u) row.push_back(a[u] * c);
                for (int v = 0; v < 2; ++v) row.push_back(b[v] * c);
                for (int u = 0; u < 2; ++u)
                    for (int v = 0; v < 2; ++v) row.push_back(a[u] * b[v] * c);
                d.x.insert(d.x.end(), row.begin(), row.end());
            }
    d.means.resize(18 * 3);
    for (int i = 0; i < 18; ++i)
        for (int j = 0; j < 3; ++j) d.means[i * 3 + j] = 0.1 * ((i + j) % 5);
    for (int j = 0; j < 3; ++j) d.means[j] = 10.0 + j;
    d.means[3] = d.means[7] = a1;
    d.means[4] = d.means[5] = d.means[6] = d.means[8] = 0.0;
    return d;
}
