// Polynomial regression of a point set: y = a1 + a2·x + … + am·x^(m−1)
// fitted to the X and Y of the set's points by linear least squares.
//
// The fit solves the normal equations by Gauss–Jordan elimination with full
// pivoting (gaussj), each basis column scaled to unit norm first so that a
// cubic over coordinates in the thousands stays well conditioned. A system
// that has no unique solution — fewer distinct X values than coefficients,
// or a pivot that comes out zero — is refused: the fit says so and keeps no
// polynomial, instead of keeping infinite or undefined coefficients.
//
// A point set owns at most one regression (PointSet::regression), fitted to
// that set, so the regression keeps no pointer back to it; the
// document keeps it as a "Polynom01" section of direct items, after the
// set's derived set.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "data/record_buffer.h"
#include "platform/gdi.h"

namespace gridova {

class PointSet;
class RunFeedback;

// --- Linear least squares --------------------------------------------------

// Solves a·x = b in place for the n × n matrix a (row-major) and m
// right-hand sides b (n × m, row-major) by Gauss–Jordan elimination with
// full pivoting; a becomes its inverse, b the solutions. Empty on success,
// else the reason: "gaussj: Singular Matrix-1" (a column chosen twice) or
// "gaussj: Singular Matrix-2" (a zero pivot); a and b are then undefined.
std::string gaussj(std::vector<double>& a, std::size_t n, std::vector<double>& b, std::size_t m);

// The covariance of the free coefficients spread back over all ma
// coefficients: rows and columns of held coefficients become 0. With every
// coefficient free it changes nothing.
void sortCovariance(std::vector<double>& covariance, std::size_t ma, std::span<const bool> free);

struct LinearFit {
    std::vector<double> coefficients;  // one per basis function
    std::vector<double> covariance;    // ma × ma, row-major
    double chisq = 0;
    std::string failure;  // empty when the fit succeeded
};

// General linear least squares with every σ = 1: the coefficients of the
// basis functions (basis(x, out) fills out[0..ma)) that minimise
// Σ (y − Σ a_k φ_k(x))². Coefficients whose `free` is false keep the value
// given in `held` (which may be empty when all are free).
LinearFit lfit(std::span<const double> x, std::span<const double> y, std::size_t ma,
               const std::function<void(double, std::span<double>)>& basis,
               std::span<const bool> free, std::span<const double> held = {});

// --- The regression object --------------------------------------------------

// Profile section "Regression Option": "ColorLine", "WidthLine", "Order".
struct RegressionSettings {
    static constexpr const char* kSection = "Regression Option";
    gdi::ColorRef color = 0xFF0000;  // blue
    std::int32_t width = 2;
    std::int32_t degree = 3;

    static RegressionSettings load();
    void save() const;
};

class PolynomialRegression {
public:
    static constexpr int kMaxCoefficients = 11;  // degree 10
    static constexpr int kArraySize = 12;
    static constexpr std::size_t kMaxTextBytes = 1024;
    static constexpr const char* kTag = "Polynom01";

    // Fits m coefficients to the X and Y of every point of the set. −1, with
    // nothing kept (m 0, no text), when there is no set, m is outside
    // 1..11, the set has fewer than m points or fewer than m distinct X
    // values, or the system is singular (the last two are reported through
    // feedback); otherwise 0.
    int fit(const PointSet* set, int m, RunFeedback& feedback);

    // Horner evaluation; 0 for a regression that was not fitted.
    double evaluate(double x) const;
    // "%+.5lg" of each coefficient from the highest, the powers of x after
    // each but the last: "+1.5x^2-0.25x^1+3". Empty for m < 1.
    const std::string& text() const { return text_; }

    int m() const { return m_; }
    // coefficients()[k] belongs to x^k, k = 0..m − 1; the rest are 0.
    const std::array<double, kArraySize>& coefficients() const { return a_; }
    double chisq() const { return chisq_; }

    gdi::ColorRef color = 0;
    std::int32_t width = 2;

    // The "Polynom01" section: the tag as a direct text, the 12
    // coefficients as a direct double array, chisq, colour, m, width and
    // the text.
    void writeSection(BinaryWriter& out) const;
    // False with "Invalid format." shown for a wrong tag (nothing more
    // read) and for a damaged section: a coefficient array of other than 12,
    // m outside 0..11, a text longer than 1 KB or a file that ends early
    // (the reader is then failed and the regression cleared).
    bool readSection(BinaryReader& in);

    // Sets m = a.size() (at most 11) coefficients, lowest power first, and
    // the chisq, and rebuilds the text.
    void setCoefficients(std::span<const double> a, double chisq);

    friend bool operator==(const PolynomialRegression& a, const PolynomialRegression& b);

private:
    void clearFit();
    void rebuildText();

    int m_ = 0;
    std::array<double, kArraySize> a_{};
    double chisq_ = 0;
    std::string text_;
};

}  // namespace gridova
