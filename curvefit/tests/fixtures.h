// Data sets and helpers shared by the spline tests.
#pragma once

#include "curvefit.h"
#include "numerr/errstack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace curvefit_test {

// Scattered data without trend, the set the worked examples use.
inline const std::vector<double> kEightX = {0, 1, 2.5, 3, 4.2, 6, 7, 9};
inline const std::vector<double> kEightF = {1, 2.2, 0.5, 0.8, 3.0, 2.0, 2.5, 1.0};

using Export = double (*)(int32_t, const double *, const double *, double);

struct NamedExport {
    const char *name;
    Export fit;
};

inline const std::vector<NamedExport> kExports = {
    {"CSPLNSMPL", CSPLNSMPL},    {"CSPLNAKM", CSPLNAKM}, {"CSPLNCON", CSPLNCON},
    {"CSPLNNAT", CSPLNNAT},      {"CSPLNHER", CSPLNHER}, {"CSPLNSMTH", CSPLNSMTH},
    {"CSPLNSMTHCV", CSPLNSMTHCV}};

// One export or ARBSPLNSMTH type as a function of the data and X.
using Method =
    std::function<double(const std::vector<double> &, const std::vector<double> &, double)>;

inline Method Of(Export fit) {
    return [fit](const std::vector<double> &x, const std::vector<double> &f, double at) {
        return fit(static_cast<int32_t>(x.size()), x.data(), f.data(), at);
    };
}

inline Method OfType(int type) {
    return [type](const std::vector<double> &x, const std::vector<double> &f, double at) {
        return ARBSPLNSMTH(type, static_cast<int32_t>(x.size()), x.data(), f.data(), at);
    };
}

// Catches what the error stack prints, so tests can read it and stay quiet.
class ErrorCapture : public ::testing::Test {
protected:
    void SetUp() override {
        numerr::SetPrintSink([this](const std::string &text) { printed += text; });
    }
    void TearDown() override { numerr::SetPrintSink({}); }
    std::string printed;
};

// Uneven abscissas on [0, 10].
inline std::vector<double> UnevenAbscissas(int n) {
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i)
        x[i] = 10.0 * i / (n - 1) + 0.3 * std::sin(1.7 * i) * 10.0 / (n - 1);
    return x;
}

// Deterministic noise in [-1, 1] for point i.
inline double Noise(int i) {
    uint32_t v = static_cast<uint32_t>(i) * 2654435761u + 0x9e3779b9u;
    v ^= v >> 15;
    v *= 2246822519u;
    v ^= v >> 13;
    return v / 2147483647.5 - 1;
}

} // namespace curvefit_test
