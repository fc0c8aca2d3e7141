// The exports' worked values and the properties every method shares: order of
// the points, straight lines, polynomials, extrapolation by the end pieces.
#include "fixtures.h"
#include "splines.h"

#include <algorithm>

using namespace curvefit_test;

namespace {

struct Example {
    const char *method;
    Method fit;
    double x, expected, tolerance;
};

class Examples : public ErrorCapture {};

TEST_F(Examples, EightPointDataSet) {
    const Example examples[] = {
        {"CSPLNSMPL", Of(CSPLNSMPL), 3.5, 1.7431531374969413, 1e-15},
        {"CSPLNAKM", Of(CSPLNAKM), 3.5, 1.7514950570074563, 1e-15},
        {"CSPLNNAT", Of(CSPLNNAT), 3.5, 1.7637908049278184, 1e-15},
        {"CSPLNCON", Of(CSPLNCON), 3.5, 1.7547891202688626, 1e-15},
        {"CSPLNSMTH", Of(CSPLNSMTH), 3.5, 1.7547891202688626, 1e-15},
        {"CSPLNSMTH", Of(CSPLNSMTH), 5.0, 2.8290083162993436, 1e-15},
        // The cross-validated fit ends at a huge parameter: the least-squares line.
        {"CSPLNSMTHCV", Of(CSPLNSMTHCV), 3.5, 1.5911801898722, 1e-12},
        {"CSPLNSMTHCV", Of(CSPLNSMTHCV), -0.5, 1.3609176528320, 1e-12},
        // Linear B-spline interpolation: the broken line, extended at both ends.
        {"ARBSPLNSMTH 4", OfType(4), -0.5, 0.4, 1e-15},
        {"ARBSPLNSMTH 4", OfType(4), 3.5, 1.7166666666666667, 1e-15},
        {"ARBSPLNSMTH 4", OfType(4), 9.5, 0.625, 1e-15},
    };
    for (const Example &e : examples)
        EXPECT_NEAR(e.fit(kEightX, kEightF, e.x), e.expected, e.tolerance)
            << e.method << " at " << e.x;
    EXPECT_EQ(printed, "");
}

TEST_F(Examples, GeneralEntryRepeatsTheNamedMethods) {
    const std::pair<int, Export> same[] = {
        {1, CSPLNSMPL}, {2, CSPLNAKM}, {3, CSPLNCON}, {6, CSPLNSMPL}, {9, CSPLNSMTHCV}};
    for (const auto &[type, fit] : same) {
        for (double x : {-1.0, 0.4, 2.5, 3.5, 8.0, 10.5}) {
            const double named = Of(fit)(kEightX, kEightF, x);
            EXPECT_NEAR(OfType(type)(kEightX, kEightF, x), named, 1e-12 * (1 + std::fabs(named)))
                << "type " << type << " at " << x;
        }
    }
}

// Every export and every ARBSPLNSMTH type, with the number of points it needs.
std::vector<std::pair<std::string, Method>> AllMethods() {
    std::vector<std::pair<std::string, Method>> all;
    for (const NamedExport &e : kExports)
        all.emplace_back(e.name, Of(e.fit));
    for (int type = 1; type <= 15; ++type)
        all.emplace_back("ARBSPLNSMTH " + std::to_string(type), OfType(type));
    return all;
}

TEST_F(Examples, OrderOfThePointsDoesNotMatter) {
    const std::vector<double> x = UnevenAbscissas(23);
    std::vector<double> f(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        f[i] = std::sin(x[i]) + 0.1 * std::cos(7 * x[i]);
    // Reversed, and interleaved from both ends.
    std::vector<size_t> reversed(x.size()), interleaved;
    for (size_t i = 0; i < x.size(); ++i)
        reversed[i] = x.size() - 1 - i;
    for (size_t lo = 0, hi = x.size() - 1; lo <= hi; ++lo, --hi) {
        interleaved.push_back(hi);
        if (lo != hi) interleaved.push_back(lo);
    }
    for (const auto &order : {reversed, interleaved}) {
        std::vector<double> xs, fs;
        for (size_t i : order) {
            xs.push_back(x[i]);
            fs.push_back(f[i]);
        }
        for (const auto &[name, fit] : AllMethods())
            for (double at : {-0.7, 0.05, 3.3, 6.71, 9.99, 11.0})
                EXPECT_EQ(fit(xs, fs, at), fit(x, f, at)) << name << " at " << at;
    }
    EXPECT_EQ(printed, "");
}

TEST_F(Examples, StraightLinesAreReproducedExceptWithZeroEndSlopes) {
    const std::vector<double> x = UnevenAbscissas(17);
    std::vector<double> f;
    for (double v : x)
        f.push_back(2.5 - 0.75 * v);
    for (const auto &[name, fit] : AllMethods()) {
        double largest = 0;
        for (double at : {-2.0, 0.0, 1.234, 5.5, 10.0, 12.5}) {
            const double error = std::fabs(fit(x, f, at) - (2.5 - 0.75 * at));
            largest = std::max(largest, error);
            if (name != "CSPLNNAT") {
                EXPECT_LT(error, 1e-11) << name << " at " << at;
            }
        }
        if (name == "CSPLNNAT") {
            EXPECT_GT(largest, 0.1) << "flat ends leave the line";
        }
    }
}

TEST_F(Examples, PolynomialsInTheSpaceAreReproduced) {
    // Method and the degree it reproduces exactly, also outside the data.
    const std::pair<Method, int> cases[] = {{Of(CSPLNSMPL), 3}, {OfType(4), 1},  {OfType(5), 2},
                                            {OfType(6), 3},     {OfType(7), 4},  {OfType(8), 5},
                                            {OfType(10), 1},    {OfType(11), 2}, {OfType(12), 3},
                                            {OfType(13), 1},    {OfType(14), 2}, {OfType(15), 3}};
    const std::vector<double> x = UnevenAbscissas(30);
    for (const auto &[fit, degree] : cases) {
        auto poly = [degree](double v) {
            double s = 0;
            for (int p = 0; p <= degree; ++p)
                s += std::pow(0.3 * v - 1.2, p) * (p % 2 ? -1.5 : 1.0);
            return s;
        };
        std::vector<double> f;
        for (double v : x)
            f.push_back(poly(v));
        for (double at : {-1.0, 0.3, 4.44, 9.7, 11.0})
            EXPECT_NEAR(fit(x, f, at), poly(at), 1e-9 * (1 + std::fabs(poly(at))))
                << "degree " << degree << " at " << at;
    }
}

// Value at `at` of the polynomial through (t_i, v_i), in Lagrange's form.
double Lagrange(const std::vector<double> &t, const std::vector<double> &v, double at) {
    double sum = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        double term = v[i];
        for (size_t j = 0; j < t.size(); ++j)
            if (j != i) term *= (at - t[j]) / (t[i] - t[j]);
        sum += term;
    }
    return sum;
}

// Value at `at` of the cubic through four samples of the curve inside one piece.
double ExtendPiece(const Method &fit, const std::vector<double> &x, const std::vector<double> &f,
                   double lo, double hi, double at) {
    std::vector<double> t, v;
    for (int i = 0; i < 4; ++i) {
        t.push_back(lo + (hi - lo) * (0.1 + 0.25 * i));
        v.push_back(fit(x, f, t.back()));
    }
    return Lagrange(t, v, at);
}

TEST_F(Examples, OutsideTheDataTheEndPiecesContinue) {
    for (const NamedExport &e : kExports) {
        const Method fit = Of(e.fit);
        for (double at : {-3.0, -0.5}) {
            const double expected = ExtendPiece(fit, kEightX, kEightF, 0, 1, at);
            EXPECT_NEAR(fit(kEightX, kEightF, at), expected, 1e-9) << e.name << " at " << at;
        }
        for (double at : {9.5, 14.0}) {
            const double expected = ExtendPiece(fit, kEightX, kEightF, 7, 9, at);
            EXPECT_NEAR(fit(kEightX, kEightF, at), expected, 1e-9) << e.name << " at " << at;
        }
    }
}

TEST_F(Examples, FewPointsGiveLineParabolaAndFlatEndedCubic) {
    const std::vector<double> x2 = {1, 3}, f2 = {2, 5};
    const std::vector<double> x3 = {-1, 0.5, 2}, f3 = {3, -1, 4};
    auto parabola = [&](double v) { return Lagrange(x3, f3, v); };
    for (double at : {-4.0, 1.0, 2.2, 7.0}) {
        EXPECT_NEAR(Of(CSPLNSMPL)(x2, f2, at), 2 + 1.5 * (at - 1), 1e-13);
        EXPECT_NEAR(Of(CSPLNHER)(x2, f2, at), 2 + 1.5 * (at - 1), 1e-13);
        EXPECT_NEAR(Of(CSPLNSMPL)(x3, f3, at), parabola(at), 1e-12);
    }
    // Zero end slopes through two points: 2 + 3 (3 s^2 - 2 s^3), s = (x - 1) / 2.
    for (double s : {0.0, 0.25, 0.5, 0.9}) {
        const double expected = 2 + 3 * (3 * s * s - 2 * s * s * s);
        EXPECT_NEAR(Of(CSPLNNAT)(x2, f2, 1 + 2 * s), expected, 1e-13);
    }
}

TEST_F(Examples, ZeroEndSlopesAreFirstDerivatives) {
    curvefit::PiecewiseCubic curve;
    const curvefit::EndCondition flat{curvefit::EndCondition::FirstDerivative, 0};
    ASSERT_TRUE(curvefit::SPLENDS(8, kEightX.data(), kEightF.data(), flat, flat, curve));
    const double h = 1e-6;
    const double left = (curvefit::SPLEVAL(curve, h) - curvefit::SPLEVAL(curve, 0)) / h;
    const double right = (curvefit::SPLEVAL(curve, 9) - curvefit::SPLEVAL(curve, 9 - h)) / h;
    EXPECT_NEAR(left, 0, 1e-5);
    EXPECT_NEAR(right, 0, 1e-5);
    // Every data point is met.
    for (size_t i = 0; i < kEightX.size(); ++i)
        EXPECT_NEAR(curvefit::SPLEVAL(curve, kEightX[i]), kEightF[i], 1e-14);
}

TEST_F(Examples, AkimaTakesTheAverageSlopeWhereBothWeightsVanish) {
    const std::vector<double> x = {0, 1, 2, 3, 4, 5, 6, 7}, f = {0, 1, 2, 3, 3, 3, 5, 4};
    EXPECT_NEAR(Of(CSPLNAKM)(x, f, 0.5), 0.5, 1e-15);
    EXPECT_NEAR(Of(CSPLNAKM)(x, f, 2.5), 2.5625, 1e-15);
}

TEST_F(Examples, HermiteSlopes) {
    // Point 2 is a strict maximum (horizontal tangent); point 4 is not an
    // extremum (slope of the chord over its neighbours).
    const std::vector<double> x = {0, 1, 2, 3.5, 4, 6}, f = {0, 2, 3, 1, 0.5, -1};
    const Method fit = Of(CSPLNHER);
    auto slope = [&](double at) {
        const double h = 1e-6;
        return (fit(x, f, at + h) - fit(x, f, at - h)) / (2 * h);
    };
    EXPECT_NEAR(slope(2), 0, 1e-6);
    EXPECT_NEAR(slope(4), (-1 - 1) / (6 - 3.5), 1e-6);
    EXPECT_NEAR(slope(1), (3.0 - 0) / (2 - 0), 1e-6);
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(fit(x, f, x[i]), f[i], 1e-14);
}

} // namespace
