#include "data/polynomial_regression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "data/point_set.h"
#include "platform/progress.h"
#include "tests/common/section_bytes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::ByteInput;
using testing::doubleBytes;
using testing::wordBytes;
using testing::writtenBytes;

PointSet setOf(const std::vector<std::pair<double, double>>& xy) {
    PointSet set;
    for (const auto& [x, y] : xy) set.addPoint(x, y, 0.0);
    set.computeStatistics();
    return set;
}

// Fits worked out by hand: the polynomial through the points, or the
// least-squares line of points that are not collinear.
struct HandFit {
    const char* what;
    std::vector<std::pair<double, double>> points;
    int degree;
    std::vector<double> coefficients;  // lowest power first
    double chisq;
};

TEST(PolynomialRegression, FitsWhatIsWorkedOutByHand) {
    const HandFit cases[] = {
        {"a line through three collinear points", {{1, 5}, {2, 7}, {4, 11}}, 1, {3, 2}, 0},
        // y = 1 − 2x + 0.5x² + x³ at x = −1, 0, 2, 3.
        {"a cubic through four points",
         {{-1, 2.5}, {0, 1}, {2, 7}, {3, 26.5}},
         3,
         {1, -2, 0.5, 1},
         0},
        // Degree 0 is the mean; chisq the sum of squared deviations.
        {"a constant", {{0, 2}, {5, 4}, {9, 9}}, 0, {5}, 9 + 1 + 16},
        // x = 0, 1, 2, 3 and y = 1, 3, 2, 5: slope 1.1, intercept 1.1;
        // residuals −0.1, 0.8, −1.3, 0.6.
        {"a least-squares line",
         {{0, 1}, {1, 3}, {2, 2}, {3, 5}},
         1,
         {1.1, 1.1},
         0.01 + 0.64 + 1.69 + 0.36},
    };
    for (const HandFit& c : cases) {
        SCOPED_TRACE(c.what);
        const PointSet set = setOf(c.points);
        PolynomialRegression r;
        ASSERT_EQ(r.fit(&set, c.degree + 1, interactiveFeedback()), 0);
        ASSERT_EQ(r.m(), c.degree + 1);
        for (std::size_t k = 0; k < c.coefficients.size(); ++k) {
            EXPECT_NEAR(r.coefficients()[k], c.coefficients[k], 1e-12) << "x^" << k;
        }
        EXPECT_NEAR(r.chisq(), c.chisq, 1e-12);
        for (const auto& [x, y] : c.points) {
            if (c.chisq == 0) {
                EXPECT_NEAR(r.evaluate(x), y, 1e-12) << "at x = " << x;
            }
        }
    }
}

TEST(PolynomialRegression, TextWritesEachCoefficientSignedFromTheHighestPower) {
    struct Case {
        std::vector<double> a;
        const char* text;
    };
    const Case cases[] = {
        {{3, -0.25, 1.5}, "+1.5x^2-0.25x^1+3"},
        {{-4.5}, "-4.5"},
        {{1.0 / 3.0, 123456789.0}, "+1.2346e+08x^1+0.33333"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        PolynomialRegression r;
        r.setCoefficients(c.a, 0);
        EXPECT_EQ(r.text(), c.text);
    }
}

TEST(PolynomialRegression, RefusedFitsKeepNoPolynomial) {
    const PointSet line = setOf({{1, 5}, {2, 7}, {4, 11}});
    // Every x repeated: a cubic has four coefficients but two distinct x.
    const PointSet twoColumns = setOf({{1, 5}, {1, 6}, {2, 7}, {2, 8}, {1, 4}});
    struct Case {
        const char* what;
        const PointSet* set;
        int m;
        const char* warning;  // nullptr: refused without a word
    };
    const Case cases[] = {
        {"no set", nullptr, 2, nullptr},
        {"degree 11", &line, 12, nullptr},
        {"a negative count", &line, -1, nullptr},
        {"fewer points than coefficients", &line, 4, nullptr},
        {"repeated x values", &twoColumns, 4,
         "Полином регрессии: различных X 2, а коэффициентов 4. Система вырождена."},
        {"nothing to fit", &line, 0, "lfit: no parameters to be fitted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t logged = c.warning ? testing::timesLogged(c.warning) : 0;
        PolynomialRegression r;
        r.setCoefficients(std::vector<double>{1, 2, 3}, 4);
        EXPECT_EQ(r.fit(c.set, c.m, interactiveFeedback()), -1);
        EXPECT_EQ(r.m(), 0);
        EXPECT_EQ(r.text(), "");
        EXPECT_EQ(r.chisq(), 0);
        for (double a : r.coefficients()) EXPECT_EQ(a, 0);
        EXPECT_EQ(r.evaluate(2.0), 0);
        if (c.warning) {
            EXPECT_EQ(testing::timesLogged(c.warning), logged + 1);
        }
    }
}

TEST(PolynomialRegression, GaussJordanFindsASingularSystemAndInvertsARegularOne) {
    // Rows 1 and 2 are multiples of each other.
    std::vector<double> singular{1, 2, 3, 2, 4, 6, 0, 1, 1};
    std::vector<double> b{1, 2, 3};
    EXPECT_EQ(gaussj(singular, 3, b, 1), "gaussj: Singular Matrix-2");

    // [[2, 1], [1, 3]]: inverse [[0.6, −0.2], [−0.2, 0.4]], solution of
    // b = (3, 5) is (0.8, 1.4).
    std::vector<double> a{2, 1, 1, 3};
    std::vector<double> rhs{3, 5};
    ASSERT_EQ(gaussj(a, 2, rhs, 1), "");
    const double inverse[] = {0.6, -0.2, -0.2, 0.4};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(a[static_cast<std::size_t>(i)], inverse[i], 1e-15);
    EXPECT_NEAR(rhs[0], 0.8, 1e-15);
    EXPECT_NEAR(rhs[1], 1.4, 1e-15);
}

TEST(PolynomialRegression, HeldCoefficientsStayAndTheirCovarianceIsZero) {
    // y = 2 + 3x exactly, the constant held at 2: the slope alone is fitted.
    const std::vector<double> x{0, 1, 2, 3}, y{2, 5, 8, 11};
    const bool free[] = {false, true};
    const double held[] = {2, 0};
    const LinearFit fit = lfit(
        x, y, 2,
        [](double v, std::span<double> out) {
            out[0] = 1;
            out[1] = v;
        },
        free, held);
    ASSERT_EQ(fit.failure, "");
    EXPECT_EQ(fit.coefficients[0], 2);
    EXPECT_NEAR(fit.coefficients[1], 3, 1e-14);
    // The slope's variance is 1 / Σx² = 1/14; the held row and column are 0.
    EXPECT_NEAR(fit.covariance[3], 1.0 / 14.0, 1e-15);
    EXPECT_EQ(fit.covariance[0], 0);
    EXPECT_EQ(fit.covariance[1], 0);
    EXPECT_EQ(fit.covariance[2], 0);
}

// tests/fixtures/polyfit_reference.txt, made by tests/data/polyfit_reference.py
// with numpy.polyfit.
TEST(PolynomialRegression, CoefficientsAgreeWithNumpyPolyfitOnNoisyPoints) {
    std::ifstream in(std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/polyfit_reference.txt");
    ASSERT_TRUE(in) << "fixture missing";
    std::string line, word;
    std::getline(in, line);  // the comment
    std::size_t n = 0;
    in >> word >> n;
    ASSERT_EQ(word, "points");
    PointSet set;
    for (std::size_t i = 0; i < n; ++i) {
        double x = 0, y = 0;
        in >> x >> y;
        set.addPoint(x, y, 0.0);
    }
    ASSERT_EQ(set.size(), 1000u);
    int degrees = 0;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream row(line);
        int degree = 0;
        double chisq = 0;
        std::string w1, w2, w3;
        row >> w1 >> degree >> w2 >> chisq >> w3;
        ASSERT_EQ(w1, "degree");
        SCOPED_TRACE("degree " + std::to_string(degree));
        PolynomialRegression r;
        ASSERT_EQ(r.fit(&set, degree + 1, interactiveFeedback()), 0);
        for (int k = 0; k <= degree; ++k) {
            double expected = 0;
            row >> expected;
            EXPECT_NEAR(r.coefficients()[static_cast<std::size_t>(k)], expected,
                        1e-9 * std::fabs(expected))
                << "x^" << k;
        }
        EXPECT_NEAR(r.chisq(), chisq, 1e-9 * chisq);
        ++degrees;
    }
    EXPECT_EQ(degrees, 4);
}

TEST(PolynomialRegression, ASetWithItsRegressionSavesAndReadsBackTheSameBytes) {
    PointSet set = setOf({{-1, 2.5}, {0, 1}, {2, 7}, {3, 26.5}, {5, 4}});
    auto regression = std::make_unique<PolynomialRegression>();
    ASSERT_EQ(regression->fit(&set, 3, interactiveFeedback()), 0);
    regression->color = gdi::rgb(10, 20, 30);
    regression->width = 4;
    const PolynomialRegression fitted = *regression;
    set.setRegression(std::move(regression));

    const std::string bytes = writtenBytes([&](BinaryWriter& out) { set.writeSection(out); });
    ByteInput input(bytes);
    PointSet back;
    ASSERT_TRUE(back.readSection(input.reader()));
    ASSERT_NE(back.regression(), nullptr);
    EXPECT_TRUE(*back.regression() == fitted);
    EXPECT_EQ(back.regression()->text(), fitted.text());
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { back.writeSection(out); }), bytes);
    // A copy of the set carries its own copy of the regression.
    const PointSet copy(back);
    ASSERT_NE(copy.regression(), nullptr);
    EXPECT_NE(copy.regression(), back.regression());
    EXPECT_TRUE(*copy.regression() == fitted);
}

// A "Polynom01" section by hand: the tag, the count and coefficients, chisq,
// colour, m, width and the text.
std::string polynomBytes(const std::string& tag, std::int32_t count, std::int32_t m,
                         std::int32_t textLength, const std::string& text) {
    std::string s = wordBytes(static_cast<std::int32_t>(tag.size())) + tag + wordBytes(count);
    for (std::int32_t i = 0; i < std::max(count, 0) && i < 20; ++i) s += doubleBytes(i + 0.5);
    s += doubleBytes(1.25) + wordBytes(0xFF0000) + wordBytes(m) + wordBytes(2);
    return s + wordBytes(textLength) + text;
}

TEST(PolynomialRegression, TheReaderRefusesWhatDoesNotFitItsArrays) {
    struct Case {
        const char* what;
        std::string bytes;
        bool ok;
    };
    const std::string big(2000, 'x');
    const Case cases[] = {
        {"a sound section", polynomBytes("Polynom01", 12, 3, 4, "+1x^"), true},
        {"another tag", polynomBytes("Polynom02", 12, 3, 0, ""), false},
        {"a degree above 10", polynomBytes("Polynom01", 12, 12, 0, ""), false},
        {"a negative m", polynomBytes("Polynom01", 12, -1, 0, ""), false},
        {"11 coefficients", polynomBytes("Polynom01", 11, 3, 0, ""), false},
        {"13 coefficients", polynomBytes("Polynom01", 13, 3, 0, ""), false},
        {"a huge count", polynomBytes("Polynom01", 1 << 30, 3, 0, ""), false},
        {"a text over 1 KB", polynomBytes("Polynom01", 12, 3, 2000, big), false},
        {"a text longer than the file", polynomBytes("Polynom01", 12, 3, 100, "abc"), false},
        {"a file that ends early", polynomBytes("Polynom01", 12, 3, 0, "").substr(0, 60), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t logged = testing::timesLogged("Invalid format.");
        ByteInput input(c.bytes);
        PolynomialRegression r;
        EXPECT_EQ(r.readSection(input.reader()), c.ok);
        if (c.ok) {
            EXPECT_EQ(r.m(), 3);
            EXPECT_EQ(r.coefficients()[11], 11.5);
            EXPECT_EQ(r.chisq(), 1.25);
            EXPECT_EQ(r.text(), "+1x^");
        } else {
            EXPECT_EQ(testing::timesLogged("Invalid format."), logged + 1);
            EXPECT_EQ(r.m(), 0);
            EXPECT_EQ(r.text(), "");
        }
    }
}

}  // namespace
}  // namespace gridova
