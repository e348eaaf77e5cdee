#include "data/polynomial_regression.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "data/point_set.h"
#include "data/section_io.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/progress.h"

namespace gridova {

std::string gaussj(std::vector<double>& a, std::size_t n, std::vector<double>& b, std::size_t m) {
    std::vector<std::size_t> indxc(n), indxr(n);
    std::vector<int> ipiv(n, 0);
    const auto at = [&](std::size_t r, std::size_t c) -> double& { return a[r * n + c]; };
    const auto rhs = [&](std::size_t r, std::size_t c) -> double& { return b[r * m + c]; };
    for (std::size_t i = 0; i < n; ++i) {
        double big = 0.0;
        std::size_t irow = 0, icol = 0;
        for (std::size_t j = 0; j < n; ++j) {
            if (ipiv[j] == 1) continue;
            for (std::size_t k = 0; k < n; ++k) {
                if (ipiv[k] == 0) {
                    if (std::fabs(at(j, k)) >= big) {
                        big = std::fabs(at(j, k));
                        irow = j;
                        icol = k;
                    }
                } else if (ipiv[k] > 1) {
                    return "gaussj: Singular Matrix-1";
                }
            }
        }
        ++ipiv[icol];
        if (irow != icol) {
            for (std::size_t l = 0; l < n; ++l) std::swap(at(irow, l), at(icol, l));
            for (std::size_t l = 0; l < m; ++l) std::swap(rhs(irow, l), rhs(icol, l));
        }
        indxr[i] = irow;
        indxc[i] = icol;
        // A pivot that is zero, or not a number, leaves no unique solution.
        if (!(at(icol, icol) != 0.0) || !std::isfinite(at(icol, icol))) {
            return "gaussj: Singular Matrix-2";
        }
        const double pivinv = 1.0 / at(icol, icol);
        at(icol, icol) = 1.0;
        for (std::size_t l = 0; l < n; ++l) at(icol, l) *= pivinv;
        for (std::size_t l = 0; l < m; ++l) rhs(icol, l) *= pivinv;
        for (std::size_t ll = 0; ll < n; ++ll) {
            if (ll == icol) continue;
            const double dum = at(ll, icol);
            at(ll, icol) = 0.0;
            for (std::size_t l = 0; l < n; ++l) at(ll, l) -= at(icol, l) * dum;
            for (std::size_t l = 0; l < m; ++l) rhs(ll, l) -= rhs(icol, l) * dum;
        }
    }
    for (std::size_t l = n; l-- > 0;) {
        if (indxr[l] != indxc[l]) {
            for (std::size_t k = 0; k < n; ++k) std::swap(at(k, indxr[l]), at(k, indxc[l]));
        }
    }
    return {};
}

void sortCovariance(std::vector<double>& covar, std::size_t ma, std::span<const bool> free) {
    const auto at = [&](std::size_t r, std::size_t c) -> double& { return covar[r * ma + c]; };
    std::size_t mfit = 0;
    for (std::size_t j = 0; j < ma; ++j) {
        if (free[j]) ++mfit;
    }
    for (std::size_t i = mfit; i < ma; ++i) {
        for (std::size_t j = 0; j <= i; ++j) at(i, j) = at(j, i) = 0.0;
    }
    std::size_t k = mfit;
    for (std::size_t j = ma; j-- > 0;) {
        if (!free[j]) continue;
        --k;
        for (std::size_t i = 0; i < ma; ++i) std::swap(at(i, k), at(i, j));
        for (std::size_t i = 0; i < ma; ++i) std::swap(at(k, i), at(j, i));
    }
}

LinearFit lfit(std::span<const double> x, std::span<const double> y, std::size_t ma,
               const std::function<void(double, std::span<double>)>& basis,
               std::span<const bool> free, std::span<const double> held) {
    LinearFit fit;
    fit.coefficients.assign(ma, 0.0);
    std::vector<std::size_t> fitted;
    for (std::size_t j = 0; j < ma; ++j) {
        if (free[j]) {
            fitted.push_back(j);
        } else if (j < held.size()) {
            fit.coefficients[j] = held[j];
        }
    }
    const std::size_t mfit = fitted.size();
    if (mfit == 0) {
        fit.failure = "lfit: no parameters to be fitted";
        return fit;
    }
    std::vector<double> alpha(mfit * mfit, 0.0), beta(mfit, 0.0), afunc(ma);
    for (std::size_t i = 0; i < x.size(); ++i) {
        basis(x[i], afunc);
        double ym = y[i];
        for (std::size_t j = 0; j < ma; ++j) {
            if (!free[j]) ym -= fit.coefficients[j] * afunc[j];
        }
        for (std::size_t j = 0; j < mfit; ++j) {
            const double wt = afunc[fitted[j]];
            for (std::size_t k = 0; k <= j; ++k) alpha[j * mfit + k] += wt * afunc[fitted[k]];
            beta[j] += ym * wt;
        }
    }
    for (std::size_t j = 1; j < mfit; ++j) {
        for (std::size_t k = 0; k < j; ++k) alpha[k * mfit + j] = alpha[j * mfit + k];
    }
    // Each column scaled to a unit diagonal: the pivots then compare like
    // with like whatever the units of x.
    std::vector<double> scale(mfit, 1.0);
    for (std::size_t j = 0; j < mfit; ++j) {
        const double d = alpha[j * mfit + j];
        if (d > 0 && std::isfinite(d)) scale[j] = 1.0 / std::sqrt(d);
    }
    for (std::size_t j = 0; j < mfit; ++j) {
        for (std::size_t k = 0; k < mfit; ++k) alpha[j * mfit + k] *= scale[j] * scale[k];
        beta[j] *= scale[j];
    }
    fit.failure = gaussj(alpha, mfit, beta, 1);
    if (!fit.failure.empty()) return fit;
    for (std::size_t j = 0; j < mfit; ++j) {
        fit.coefficients[fitted[j]] = beta[j] * scale[j];
    }
    for (double c : fit.coefficients) {
        if (!std::isfinite(c)) {
            fit.failure = "gaussj: Singular Matrix-2";
            return fit;
        }
    }
    fit.chisq = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        basis(x[i], afunc);
        double sum = 0.0;
        for (std::size_t j = 0; j < ma; ++j) sum += fit.coefficients[j] * afunc[j];
        fit.chisq += (y[i] - sum) * (y[i] - sum);
    }
    fit.covariance.assign(ma * ma, 0.0);
    for (std::size_t j = 0; j < mfit; ++j) {
        for (std::size_t k = 0; k < mfit; ++k) {
            fit.covariance[j * ma + k] = alpha[j * mfit + k] * scale[j] * scale[k];
        }
    }
    sortCovariance(fit.covariance, ma, free);
    return fit;
}

// --- Settings -------------------------------------------------------------------

RegressionSettings RegressionSettings::load() {
    RegressionSettings s;
    std::int32_t color = static_cast<std::int32_t>(s.color);
    readProfileInt(kSection, "ColorLine", color);
    s.color = static_cast<gdi::ColorRef>(color) & 0xFFFFFFu;
    readProfileInt(kSection, "WidthLine", s.width);
    readProfileInt(kSection, "Order", s.degree);
    return s;
}

void RegressionSettings::save() const {
    writeProfileInt(kSection, "ColorLine", static_cast<std::int32_t>(color));
    writeProfileInt(kSection, "WidthLine", width);
    writeProfileInt(kSection, "Order", degree);
}

// --- The regression object --------------------------------------------------

void PolynomialRegression::clearFit() {
    m_ = 0;
    a_.fill(0.0);
    chisq_ = 0.0;
    text_.clear();
}

int PolynomialRegression::fit(const PointSet* set, int m, RunFeedback& feedback) {
    clearFit();
    if (set == nullptr || m < 0 || m > kMaxCoefficients) return -1;
    const std::vector<DataPoint>& points = set->points();
    if (points.size() < static_cast<std::size_t>(m)) return -1;
    std::vector<double> x, y;
    x.reserve(points.size());
    y.reserve(points.size());
    for (const DataPoint& p : points) {
        x.push_back(p.x);
        y.push_back(p.y);
    }
    // The normal equations have a unique solution only when at least m of
    // the X values differ.
    const std::set<double> distinct(x.begin(), x.end());
    if (m > 0 && distinct.size() < static_cast<std::size_t>(m)) {
        feedback.warning(formatText(
            gridova::text(
                9162, "Полином регрессии: различных X %d, а коэффициентов %d. Система вырождена."),
            {static_cast<std::int64_t>(distinct.size()), static_cast<std::int64_t>(m)}));
        return -1;
    }
    std::array<bool, kArraySize> free{};
    free.fill(true);
    const LinearFit result = lfit(
        x, y, static_cast<std::size_t>(m),
        [](double v, std::span<double> out) {
            double power = 1.0;
            for (double& f : out) {
                f = power;
                power *= v;
            }
        },
        std::span<const bool>(free.data(), static_cast<std::size_t>(m)));
    if (!result.failure.empty()) {
        feedback.warning(result.failure);
        return -1;
    }
    setCoefficients(result.coefficients, result.chisq);
    return 0;
}

void PolynomialRegression::setCoefficients(std::span<const double> a, double chisq) {
    clearFit();
    m_ = static_cast<int>(std::min<std::size_t>(a.size(), kMaxCoefficients));
    std::copy_n(a.begin(), m_, a_.begin());
    chisq_ = chisq;
    rebuildText();
}

double PolynomialRegression::evaluate(double x) const {
    double y = 0.0;
    for (int k = m_; k-- > 0;) y = y * x + a_[static_cast<std::size_t>(k)];
    return y;
}

void PolynomialRegression::rebuildText() {
    text_.clear();
    if (m_ < 1) return;
    text_ = formatText("%+.5lg", {a_[static_cast<std::size_t>(m_ - 1)]});
    for (int k = m_ - 1; k >= 1; --k) {
        text_ += formatText("x^%d", {static_cast<std::int64_t>(k)});
        text_ += formatText("%+.5lg", {a_[static_cast<std::size_t>(k - 1)]});
    }
}

bool operator==(const PolynomialRegression& a, const PolynomialRegression& b) {
    return a.m_ == b.m_ && a.a_ == b.a_ && a.chisq_ == b.chisq_ && a.color == b.color &&
           a.width == b.width && a.text_ == b.text_;
}

void PolynomialRegression::writeSection(BinaryWriter& out) const {
    writeDirectText(out, std::string(kTag));
    writeDirectDoubles(out, std::vector<double>(a_.begin(), a_.end()));
    out.number(chisq_);
    out.word(static_cast<std::int32_t>(color));
    out.word(m_);
    out.word(width);
    writeDirectText(out, text_);
}

bool PolynomialRegression::readSection(BinaryReader& in) {
    clearFit();
    std::optional<std::string> tag;
    if (!readDirectText(in, tag)) return section_io::refuse(in);
    if (tag != std::string(kTag)) {
        invalidFormat();
        return false;
    }
    // Only a count of 12 is read: any other count is refused before the
    // array is allocated or read.
    std::int32_t count = 0;
    if (!in.word(count) || count != kArraySize || !in.fits(count, sizeof(double))) {
        return section_io::refuse(in);
    }
    std::array<double, kArraySize> a{};
    for (double& v : a) {
        if (!in.number(v)) return section_io::refuse(in);
    }
    double chisq = 0;
    std::int32_t colour = 0, m = 0, lineWidth = 0, length = 0;
    if (!in.number(chisq) || !in.word(colour) || !in.word(m) || !in.word(lineWidth) || m < 0 ||
        m > kMaxCoefficients) {
        return section_io::refuse(in);
    }
    // The text is read only when it fits its 1 KB.
    if (!in.word(length) || length < -1 || length > static_cast<std::int32_t>(kMaxTextBytes) ||
        !in.fits(std::max(length, 0), 1)) {
        return section_io::refuse(in);
    }
    std::string stored(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0 && !in.bytes(stored.data(), stored.size())) return section_io::refuse(in);
    a_ = a;
    m_ = m;
    chisq_ = chisq;
    color = static_cast<gdi::ColorRef>(colour);
    width = lineWidth;
    text_ = std::move(stored);
    return true;
}

}  // namespace gridova
