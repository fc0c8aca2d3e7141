// B-spline fits of ARBSPLNSMTH: interpolation, least squares on the fixed knot
// rule, and least squares with optimised knots, checked against a dense fit with
// the Cox-de Boor recursion.
#include "fixtures.h"
#include "splines.h"

using namespace curvefit_test;
using curvefit::BSpline;
using curvefit::BSplineFit;

namespace {

// B_(i,k)(x) by the Cox-de Boor recursion.
double CoxDeBoor(const std::vector<double> &t, int i, int k, double x) {
    if (k == 1) return t[i] <= x && x < t[i + 1] ? 1 : 0;
    double s = 0;
    if (t[i + k - 1] > t[i]) s += (x - t[i]) / (t[i + k - 1] - t[i]) * CoxDeBoor(t, i, k - 1, x);
    if (t[i + k] > t[i + 1])
        s += (t[i + k] - x) / (t[i + k] - t[i + 1]) * CoxDeBoor(t, i + 1, k - 1, x);
    return s;
}

// Solves the normal equations held as an augmented matrix [A | b] (symmetric
// positive definite A, small and well conditioned here).
std::vector<double> SolveNormalEquations(std::vector<std::vector<double>> a) {
    const size_t m = a.size();
    for (size_t c = 0; c < m; ++c)
        for (size_t r = c + 1; r < m; ++r) {
            const double factor = a[r][c] / a[c][c];
            for (size_t j = c; j <= m; ++j)
                a[r][j] -= factor * a[c][j];
        }
    std::vector<double> x(m);
    for (size_t c = m; c-- > 0;) {
        double s = a[c][m];
        for (size_t j = c + 1; j < m; ++j)
            s -= a[c][j] * x[j];
        x[c] = s / a[c][c];
    }
    return x;
}

// Residual sum of squares of the dense least-squares fit on knots t.
double DenseResidual(const std::vector<double> &t, int k, const std::vector<double> &x,
                     const std::vector<double> &f) {
    const size_t m = t.size() - k;
    std::vector<std::vector<double>> a(m, std::vector<double>(m + 1, 0));
    std::vector<std::vector<double>> rows;
    for (size_t p = 0; p < x.size(); ++p) {
        std::vector<double> row(m);
        for (size_t i = 0; i < m; ++i)
            row[i] = CoxDeBoor(t, static_cast<int>(i), k, x[p]);
        for (size_t i = 0; i < m; ++i) {
            for (size_t j = 0; j < m; ++j)
                a[i][j] += row[i] * row[j];
            a[i][m] += row[i] * f[p];
        }
        rows.push_back(row);
    }
    const std::vector<double> coef = SolveNormalEquations(a);
    double rss = 0;
    for (size_t p = 0; p < x.size(); ++p) {
        double v = 0;
        for (size_t i = 0; i < m; ++i)
            v += rows[p][i] * coef[i];
        rss += (f[p] - v) * (f[p] - v);
    }
    return rss;
}

double Residual(const BSpline &spline, const std::vector<double> &x, const std::vector<double> &f) {
    double rss = 0;
    for (size_t p = 0; p < x.size(); ++p)
        rss += std::pow(f[p] - curvefit::BSplineValue(spline, x[p]), 2);
    return rss;
}

class BSplines : public ErrorCapture {};

TEST_F(BSplines, InterpolationPassesThroughEveryPoint) {
    const std::vector<double> x = UnevenAbscissas(15);
    std::vector<double> f;
    for (double v : x)
        f.push_back(std::cos(v) * v);
    for (int type = 4; type <= 8; ++type)
        for (size_t i = 0; i < x.size(); ++i)
            EXPECT_NEAR(OfType(type)(x, f, x[i]), f[i], 1e-11) << "type " << type << " point " << i;
}

TEST_F(BSplines, LeastSquaresWithoutInteriorKnotsIsThePolynomialFit) {
    // Four points: no interior knot, so order k fits the least-squares polynomial
    // of degree k - 1 (for k = 4 the interpolating cubic).
    const std::vector<double> x = {-1, 0.5, 2, 4}, f = {1, -2, 0.5, 3};
    for (int type = 10; type <= 12; ++type) {
        const int terms = type - 8;
        std::vector<std::vector<double>> a(terms, std::vector<double>(terms + 1, 0));
        for (size_t p = 0; p < x.size(); ++p)
            for (int i = 0; i < terms; ++i) {
                for (int j = 0; j < terms; ++j)
                    a[i][j] += std::pow(x[p], i + j);
                a[i][terms] += std::pow(x[p], i) * f[p];
            }
        const std::vector<double> coef = SolveNormalEquations(a);
        for (double at : {-2.0, 0.0, 1.7, 5.0}) {
            double expected = 0;
            for (int i = 0; i < terms; ++i)
                expected += coef[i] * std::pow(at, i);
            EXPECT_NEAR(OfType(type)(x, f, at), expected, 1e-12) << "type " << type << " at " << at;
        }
    }
}

TEST_F(BSplines, LeastSquaresKnotsSitAtEveryFourthAbscissa) {
    // n points and the abscissa indices of the interior knots: a broken line with
    // its corners there is reproduced by the linear fit, one cornered elsewhere
    // is not.
    const std::pair<int, std::vector<int>> cases[] = {
        {13, {3, 7, 9}}, {14, {3, 7, 10}}, {15, {3, 7, 10}}, {16, {3, 7, 11}}, {7, {2}}};
    for (const auto &[n, corners] : cases) {
        const std::vector<double> x = UnevenAbscissas(n);
        auto broken = [&](double v, const std::vector<int> &at) {
            double s = 0.5 * v;
            for (size_t c = 0; c < at.size(); ++c)
                s += (c % 2 ? -1.0 : 1.5) * std::max(0.0, v - x[at[c]]);
            return s;
        };
        std::vector<double> f, g;
        for (double v : x) {
            f.push_back(broken(v, corners));
            g.push_back(broken(v, {corners[0] + 1}));
        }
        for (double at : {-0.5, 1.3, 4.9, 8.2, 10.6})
            EXPECT_NEAR(OfType(10)(x, f, at), broken(at, corners), 1e-11) << n << " at " << at;
        double misfit = 0;
        for (size_t i = 0; i < x.size(); ++i)
            misfit += std::fabs(OfType(10)(x, g, x[i]) - g[i]);
        EXPECT_GT(misfit, 1e-3) << n;
    }
}

TEST_F(BSplines, OptimisedKnotFindsTheCornerOfTheData) {
    // Eight points, one interior knot: the data come from splines with a knot
    // between abscissas, which the optimisation must find.
    std::vector<double> x;
    for (int i = 0; i < 8; ++i)
        x.push_back(i / 7.0);
    const std::pair<int, std::function<double(double)>> cases[] = {
        {2, [](double v) { return 1 - v + 3 * std::max(0.0, v - 0.37); }},
        {4, [](double v) { return v * v * v + 5 * std::pow(std::max(0.0, v - 0.6), 3); }}};
    for (const auto &[order, truth] : cases) {
        std::vector<double> f;
        for (double v : x)
            f.push_back(truth(v));
        BSpline spline;
        ASSERT_TRUE(
            curvefit::SPLBSPL(BSplineFit::OptimisedKnots, order, 8, x.data(), f.data(), spline));
        ASSERT_EQ(spline.coefs.size(), size_t(order + 1));
        EXPECT_NEAR(spline.knots[order], order == 2 ? 0.37 : 0.6, 1e-6);
        for (double at : {-0.1, 0.2, 0.37, 0.6, 0.95, 1.1})
            EXPECT_NEAR(curvefit::BSplineValue(spline, at), truth(at), 1e-6) << order << " " << at;
    }
}

TEST_F(BSplines, OptimisedKnotsLowerTheSumOfSquares) {
    // A steep front in 200 points: knots placed by the data count miss it.
    const std::vector<double> x = UnevenAbscissas(200);
    std::vector<double> f;
    for (double v : x)
        f.push_back(std::tanh(4 * (v - 3.1)) + 0.05 * v * v);
    const int n = 200, count = (n - 1) / 8;
    for (int order = 2; order <= 4; ++order) {
        BSpline spline;
        ASSERT_TRUE(
            curvefit::SPLBSPL(BSplineFit::OptimisedKnots, order, n, x.data(), f.data(), spline));
        ASSERT_EQ(spline.coefs.size(), size_t(count + order));
        for (int j = order; j < count + order; ++j) {
            EXPECT_GT(spline.knots[j], spline.knots[j - 1]);
            EXPECT_LT(spline.knots[j], x.back());
        }
        std::vector<double> start(order, x.front());
        for (int j = 1; j <= count; ++j)
            start.push_back(x[std::lround(double(j) * (n - 1) / (count + 1))]);
        start.insert(start.end(), order, x.back() * (1 + 100 * 2.220446049250313e-16));
        const double before = DenseResidual(start, order, x, f);
        const double after = Residual(spline, x, f);
        EXPECT_LT(after, 0.5 * before) << "order " << order;
        // The coefficients are the least-squares fit on the knots returned.
        EXPECT_NEAR(after, DenseResidual(spline.knots, order, x, f), 1e-9 * before);
        // ARBSPLNSMTH 13 - 15 is this fit.
        EXPECT_EQ(OfType(order + 11)(x, f, 4.321), curvefit::BSplineValue(spline, 4.321));
    }
}

} // namespace
