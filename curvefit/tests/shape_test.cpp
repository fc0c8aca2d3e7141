// The shape-preserving spline: its inserted breakpoints, straight stretches and
// corners, and the shape it keeps on larger data.
#include "fixtures.h"
#include "splines.h"

using namespace curvefit_test;
using curvefit::PiecewiseCubic;

namespace {

class ShapeSpline : public ErrorCapture {};

const std::vector<double> kSteps = {0, 1, 2, 3, 4, 5, 6, 7};

TEST_F(ShapeSpline, FlatThenRisingDataGetBreakpointsWhereTheCurvatureEnds) {
    const std::vector<double> f = {0, 0, 0, 0.1, 0.9, 1, 1, 1};
    PiecewiseCubic curve;
    ASSERT_TRUE(curvefit::SPLSHAPE(8, kSteps.data(), f.data(), curve));
    const std::vector<double> breaks = {0, 1, 2, 2.412304735160447, 3, 4, 4.587695264839553,
                                        5, 6, 7};
    ASSERT_EQ(curve.breaks.size(), breaks.size());
    for (size_t i = 0; i < breaks.size(); ++i)
        EXPECT_NEAR(curve.breaks[i], breaks[i], 1e-14);
    EXPECT_NEAR(curve.coefs[4][2], 1.737188, 1e-6); // second derivative at x = 3
    EXPECT_NEAR(curve.coefs[5][2], -1.737188, 1e-6);
    for (double at : {-0.5, 0.5, 1.5, 2.0, 2.2, 2.41})
        EXPECT_EQ(CSPLNCON(8, kSteps.data(), f.data(), at), 0.0) << at;
    for (double at : {5.0, 5.5, 6.5, 7.5})
        EXPECT_EQ(CSPLNCON(8, kSteps.data(), f.data(), at), 1.0) << at;
    EXPECT_EQ(printed, "");
}

TEST_F(ShapeSpline, PointBetweenStraightStretchesIsACorner) {
    const std::vector<double> f = {0, 0, 0, 0, 1, 2, 3, 4};
    for (double at : {-1.0, 0.5, 2.9, 3.0, 3.25, 5.5, 8.0})
        EXPECT_NEAR(CSPLNCON(8, kSteps.data(), f.data(), at), std::max(0.0, at - 3), 1e-15) << at;
}

TEST_F(ShapeSpline, ConvexNaturalSplineIsKept) {
    const std::vector<double> x = UnevenAbscissas(12);
    std::vector<double> f;
    for (double v : x)
        f.push_back(std::exp(0.3 * v));
    PiecewiseCubic natural;
    ASSERT_TRUE(curvefit::SPLSMOOTH(12, x.data(), f.data(), nullptr, 0, natural));
    for (const auto &c : natural.coefs)
        ASSERT_GE(c[2], 0) << "the natural spline of these data is convex";
    for (double at : {-0.5, 0.7, 3.1, 5.55, 9.9, 10.4})
        EXPECT_NEAR(CSPLNCON(12, x.data(), f.data(), at), curvefit::SPLEVAL(natural, at), 1e-11);
}

// Interpolates, has a continuous slope at every point where the data bend, and
// bends only the way the data do.
void ExpectShapeKept(const std::vector<double> &x, const std::vector<double> &f) {
    const int n = static_cast<int>(x.size());
    PiecewiseCubic curve;
    ASSERT_TRUE(curvefit::SPLSHAPE(n, x.data(), f.data(), curve));
    ASSERT_LE(curve.breaks.size(), size_t(2 * n - 1));
    double scale = 0;
    for (double v : f)
        scale = std::max(scale, std::fabs(v));
    std::vector<double> w(n, 0);
    for (int i = 1; i + 1 < n; ++i)
        w[i] = (f[i + 1] - f[i]) / (x[i + 1] - x[i]) - (f[i] - f[i - 1]) / (x[i] - x[i - 1]);
    size_t piece = 0;
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(curvefit::SPLEVAL(curve, x[i]), f[i], 1e-12 * scale) << "point " << i;
        while (piece + 1 < curve.breaks.size() && curve.breaks[piece] < x[i])
            ++piece;
        if (i == 0 || i == n - 1 || w[i] == 0) continue;
        // Slope arriving from the previous piece and leaving on this one.
        const auto &before = curve.coefs[piece - 1];
        const double h = x[i] - curve.breaks[piece - 1];
        const double arriving = before[1] + h * before[2] + h * h * before[3] / 2;
        EXPECT_NEAR(arriving, curve.coefs[piece][1], 1e-9 * (1 + std::fabs(arriving)))
            << "slope at point " << i;
    }
    for (int j = 0; j + 1 < n; ++j) {
        const double a = j == 0 ? w[1] : w[j], b = j + 2 == n ? w[n - 2] : w[j + 1];
        for (double s : {0.01, 0.3, 0.5, 0.77, 0.99}) {
            const double at = x[j] + s * (x[j + 1] - x[j]);
            size_t p = 0;
            while (p + 1 < curve.coefs.size() && curve.breaks[p + 1] <= at)
                ++p;
            const double g = curve.coefs[p][2] + (at - curve.breaks[p]) * curve.coefs[p][3];
            const double tolerance = 1e-9 * (1 + std::fabs(curve.coefs[p][2]));
            if (a >= 0 && b >= 0) {
                EXPECT_GE(g, -tolerance) << "interval " << j;
            }
            if (a <= 0 && b <= 0) {
                EXPECT_LE(g, tolerance) << "interval " << j;
            }
        }
    }
}

TEST_F(ShapeSpline, KeepsTheShapeOfRoughProfiles) {
    // A terrace profile: flat, steep, flat, and a bumpy stretch; and 300 points
    // of a noisy ridge.
    ExpectShapeKept({0, 1, 2, 3, 3.5, 4, 5, 6, 7, 8, 9, 10, 11},
                    {5, 5, 5, 5.2, 8, 9.5, 10, 10, 10, 10.5, 9.8, 10.3, 10.3});
    std::vector<double> x = UnevenAbscissas(300), f;
    for (size_t i = 0; i < x.size(); ++i)
        f.push_back(100 * std::exp(-(x[i] - 5) * (x[i] - 5)) + Noise(static_cast<int>(i)));
    ExpectShapeKept(x, f);
    EXPECT_EQ(printed, "") << "Newton's method converged without warnings";
}

} // namespace
