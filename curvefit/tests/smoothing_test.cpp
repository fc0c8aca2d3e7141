// Smoothing splines: the natural spline of CSPLNSMTH, the smoothing iteration for
// a given sum of squares, and the cross-validated choice of the parameter,
// checked against a dense computation of the same fits.
#include "fixtures.h"
#include "splines.h"

using namespace curvefit_test;
using curvefit::PiecewiseCubic;

namespace {

using Matrix = std::vector<std::vector<double>>;

// Solves a x = b by Gaussian elimination with partial pivoting (b may hold
// several columns).
Matrix SolveDense(Matrix a, Matrix b) {
    const size_t n = a.size();
    for (size_t c = 0; c < n; ++c) {
        size_t pivot = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        std::swap(a[c], a[pivot]);
        std::swap(b[c], b[pivot]);
        for (size_t r = c + 1; r < n; ++r) {
            const double m = a[r][c] / a[c][c];
            for (size_t k = c; k < n; ++k)
                a[r][k] -= m * a[c][k];
            for (size_t k = 0; k < b[r].size(); ++k)
                b[r][k] -= m * b[c][k];
        }
    }
    for (size_t c = n; c-- > 0;) {
        for (size_t k = 0; k < b[c].size(); ++k) {
            for (size_t j = c + 1; j < n; ++j)
                b[c][k] -= a[c][j] * b[j][k];
            b[c][k] /= a[c][c];
        }
    }
    return b;
}

// The influence matrix A = (I + lambda K)^-1 of the natural smoothing spline
// with unit weights, K = Q T^-1 Q^T the roughness of the natural spline through
// given values, lambda = rho / 2 * (mean spacing)^3.
Matrix InfluenceMatrix(const std::vector<double> &x, double rho) {
    const size_t n = x.size(), m = n - 2;
    std::vector<double> h(n - 1);
    for (size_t i = 0; i + 1 < n; ++i)
        h[i] = x[i + 1] - x[i];
    const double mean = (x.back() - x.front()) / (n - 1);
    Matrix t(m, std::vector<double>(m, 0)), qt(m, std::vector<double>(n, 0));
    for (size_t j = 0; j < m; ++j) {
        t[j][j] = (h[j] + h[j + 1]) / 3;
        if (j + 1 < m) t[j][j + 1] = t[j + 1][j] = h[j + 1] / 6;
        qt[j][j] = 1 / h[j];
        qt[j][j + 1] = -1 / h[j] - 1 / h[j + 1];
        qt[j][j + 2] = 1 / h[j + 1];
    }
    const Matrix tinvqt = SolveDense(t, qt);
    const double lambda = rho / 2 * mean * mean * mean;
    Matrix system(n, std::vector<double>(n, 0)), identity(n, std::vector<double>(n, 0));
    for (size_t i = 0; i < n; ++i) {
        identity[i][i] = 1;
        system[i][i] = 1;
        for (size_t k = 0; k < n; ++k)
            for (size_t j = 0; j < m; ++j)
                system[i][k] += lambda * qt[j][i] * tinvqt[j][k];
    }
    return SolveDense(system, identity);
}

struct DenseFit {
    std::vector<double> values;
    double score;
};

DenseFit DenseSmoothing(const std::vector<double> &x, const std::vector<double> &f, double rho) {
    const Matrix a = InfluenceMatrix(x, rho);
    const size_t n = x.size();
    DenseFit fit{std::vector<double>(n, 0), 0};
    double rss = 0, trace = 0;
    for (size_t i = 0; i < n; ++i) {
        for (size_t k = 0; k < n; ++k)
            fit.values[i] += a[i][k] * f[k];
        rss += (f[i] - fit.values[i]) * (f[i] - fit.values[i]);
        trace += 1 - a[i][i];
    }
    fit.score = n * rss / (trace * trace);
    return fit;
}

// Weighted least-squares line a + b x, weights 1 / delta^2.
std::pair<double, double> LeastSquaresLine(const std::vector<double> &x,
                                           const std::vector<double> &f,
                                           const std::vector<double> &delta) {
    double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double w = 1 / (delta[i] * delta[i]);
        s += w;
        sx += w * x[i];
        sy += w * f[i];
        sxx += w * x[i] * x[i];
        sxy += w * x[i] * f[i];
    }
    const double b = (s * sxy - sx * sy) / (s * sxx - sx * sx);
    return {(sy - b * sx) / s, b};
}

class Smoothing : public ErrorCapture {};

TEST_F(Smoothing, UnitWeightsAndZeroParameterGiveTheNaturalSpline) {
    PiecewiseCubic natural;
    const curvefit::EndCondition free{curvefit::EndCondition::SecondDerivative, 0};
    ASSERT_TRUE(curvefit::SPLENDS(8, kEightX.data(), kEightF.data(), free, free, natural));
    for (double at : {-1.0, 0.5, 2.7, 3.5, 5.0, 8.8, 10.0})
        EXPECT_NEAR(CSPLNSMTH(8, kEightX.data(), kEightF.data(), at),
                    curvefit::SPLEVAL(natural, at), 1e-13)
            << at;
}

TEST_F(Smoothing, GivenSumOfSquaresIsMetByANaturalSpline) {
    const std::vector<double> x = UnevenAbscissas(40);
    std::vector<double> f, delta;
    for (size_t i = 0; i < x.size(); ++i) {
        f.push_back(std::sin(x[i]) + 0.2 * Noise(static_cast<int>(i)));
        delta.push_back(0.5 + 0.1 * (i % 3));
    }
    const auto [a, b] = LeastSquaresLine(x, f, delta);
    double lineSum = 0;
    for (size_t i = 0; i < x.size(); ++i)
        lineSum += std::pow((f[i] - a - b * x[i]) / delta[i], 2);

    PiecewiseCubic curve;
    // A sum the weighted least-squares line already meets gives that line.
    ASSERT_TRUE(curvefit::SPLSMOOTH(40, x.data(), f.data(), delta.data(), lineSum * 1.01, curve));
    for (double at : {-1.0, 2.0, 7.5, 11.0})
        EXPECT_NEAR(curvefit::SPLEVAL(curve, at), a + b * at, 1e-10);

    for (double target : {0.5 * lineSum, 0.05 * lineSum, 1e-6 * lineSum}) {
        ASSERT_TRUE(curvefit::SPLSMOOTH(40, x.data(), f.data(), delta.data(), target, curve));
        double sum = 0;
        for (size_t i = 0; i < x.size(); ++i)
            sum += std::pow((f[i] - curvefit::SPLEVAL(curve, x[i])) / delta[i], 2);
        EXPECT_NEAR(sum, target, 1e-8 * target);
        const auto &last = curve.coefs.back();
        const double h = curve.breaks.back() - curve.breaks[curve.breaks.size() - 2];
        EXPECT_NEAR(curve.coefs.front()[2], 0, 1e-12);
        EXPECT_NEAR(last[2] + h * last[3], 0, 1e-9 * (1 + std::fabs(last[2])));
    }
    EXPECT_EQ(printed, "");
}

TEST_F(Smoothing, CrossValidationMinimisesTheDenseScore) {
    const std::vector<double> x = UnevenAbscissas(25);
    std::vector<double> f;
    for (size_t i = 0; i < x.size(); ++i)
        f.push_back(std::sin(0.8 * x[i]) + 0.3 * Noise(static_cast<int>(i)));
    PiecewiseCubic curve;
    curvefit::GcvResult result;
    ASSERT_TRUE(curvefit::SPLGCV(25, x.data(), f.data(), nullptr, curve, &result));
    ASSERT_GT(result.rho, 1e-3);
    ASSERT_LT(result.rho, 1e6);
    const DenseFit best = DenseSmoothing(x, f, result.rho);
    EXPECT_NEAR(result.score, best.score, 1e-9 * best.score) << "trace of the influence matrix";
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(curvefit::SPLEVAL(curve, x[i]), best.values[i], 1e-9);
    for (double factor : {0.8, 1.25})
        EXPECT_GE(DenseSmoothing(x, f, result.rho * factor).score, best.score);
    // A point with a small standard deviation is followed more closely.
    std::vector<double> weights(25, 1);
    weights[12] = 0.05;
    PiecewiseCubic weighted;
    ASSERT_TRUE(curvefit::SPLGCV(25, x.data(), f.data(), weights.data(), weighted));
    EXPECT_LT(std::fabs(curvefit::SPLEVAL(weighted, x[12]) - f[12]),
              0.2 * std::fabs(curvefit::SPLEVAL(curve, x[12]) - f[12]));
}

TEST_F(Smoothing, CrossValidationExtremes) {
    PiecewiseCubic curve;
    curvefit::GcvResult result;
    // Trendless data: the parameter runs away and the fit is the least-squares line.
    ASSERT_TRUE(curvefit::SPLGCV(8, kEightX.data(), kEightF.data(), nullptr, curve, &result));
    EXPECT_GT(result.rho, 1e13);
    const auto [a, b] = LeastSquaresLine(kEightX, kEightF, std::vector<double>(8, 1));
    for (double at : {-0.5, 3.5, 9.0})
        EXPECT_NEAR(curvefit::SPLEVAL(curve, at), a + b * at, 1e-11);
    // Data on a line: every score is 0, every tie moves the left end, and the
    // search ends near 4 with that line.
    const std::vector<double> x = {0, 1, 2, 3, 4, 5, 6, 7}, f = {1, 3, 5, 7, 9, 11, 13, 15};
    ASSERT_TRUE(curvefit::SPLGCV(8, x.data(), f.data(), nullptr, curve, &result));
    EXPECT_NEAR(result.rho, 4, 1e-6);
    for (double at : {-1.0, 2.5, 8.0})
        EXPECT_NEAR(curvefit::SPLEVAL(curve, at), 1 + 2 * at, 1e-12);
    // Smooth data without noise: the parameter shrinks to the interpolating end.
    const std::vector<double> xs = UnevenAbscissas(25);
    std::vector<double> fs;
    for (double v : xs)
        fs.push_back(std::sin(0.8 * v));
    ASSERT_TRUE(curvefit::SPLGCV(25, xs.data(), fs.data(), nullptr, curve, &result));
    EXPECT_LT(result.rho, 1e-10);
    for (size_t i = 0; i < xs.size(); ++i)
        EXPECT_NEAR(curvefit::SPLEVAL(curve, xs[i]), fs[i], 1e-12);
    // Three points: any member of the family, but a usable one.
    EXPECT_TRUE(std::isfinite(CSPLNSMTHCV(3, x.data(), kEightF.data(), 1.5)));
    EXPECT_EQ(printed, "");
}

} // namespace
