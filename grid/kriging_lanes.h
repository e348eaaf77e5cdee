// The sum of a kriging estimate, Σ u_i·γ(|P_i − (x, y)|) over the points, in
// vector lanes: one template for every instruction set. Each translation
// unit that includes this file compiles its own copy (an unnamed
// namespace) for the instruction set it is built for: kriging.cpp for SSE2,
// kriging_avx2.cpp with -mavx2 for AVX2, chosen when the processor has it.
//
// Each lane computes γ with exactly the operations of Kriging::gamma (no
// fused multiply-add), two accumulators of W lanes take turns over the
// points, and they are added at the end in pairs: only the order of the
// additions differs from a plain loop, and a node gets the same value
// whichever thread computes it. The exponential and Gaussian models call
// std::exp per lane.
//
// Nothing here but plain data and intrinsics may be included: an inline
// function of another header compiled with -mavx2 could be the copy the
// linker keeps for every caller.
#pragma once

#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace gridova {

// What an estimate sums over: the padded points and u, and the variogram.
struct KrigingTerms {
    const double* px;
    const double* py;
    const double* u;
    std::size_t count;  // a multiple of eight
    double range, invRange, nugget, partialSill, sill;
};

// The models, as Kriging numbers them.
enum KrigingModel : int {
    kKrigingLinear = 0,
    kKrigingSpherical,
    kKrigingExponential,
    kKrigingGaussian
};

// The AVX2 sum (kriging_avx2.cpp); only to be called when the processor
// has AVX2.
double krigingSumAvx2(int model, const KrigingTerms& t, double x, double y);

namespace {

#if defined(__SSE2__)
// Two lanes.
struct Sse2Lanes {
    using V = __m128d;
    static constexpr int kWidth = 2;
    static V set(double v) { return _mm_set1_pd(v); }
    static V zero() { return _mm_setzero_pd(); }
    static V load(const double* p) { return _mm_loadu_pd(p); }
    static V add(V a, V b) { return _mm_add_pd(a, b); }
    static V sub(V a, V b) { return _mm_sub_pd(a, b); }
    static V mul(V a, V b) { return _mm_mul_pd(a, b); }
    static V sqrt(V a) { return _mm_sqrt_pd(a); }
    // a < b ? t : f, lane by lane.
    static V belowElse(V a, V b, V t, V f) {
        const V below = _mm_cmplt_pd(a, b);
        return _mm_or_pd(_mm_and_pd(below, t), _mm_andnot_pd(below, f));
    }
    // a > 0 ? t : 0, lane by lane.
    static V positiveOrZero(V a, V t) { return _mm_and_pd(_mm_cmpgt_pd(a, zero()), t); }
    static void store(double* p, V a) { _mm_storeu_pd(p, a); }
};
#endif

#if defined(__AVX2__)
// Four lanes.
struct Avx2Lanes {
    using V = __m256d;
    static constexpr int kWidth = 4;
    static V set(double v) { return _mm256_set1_pd(v); }
    static V zero() { return _mm256_setzero_pd(); }
    static V load(const double* p) { return _mm256_loadu_pd(p); }
    static V add(V a, V b) { return _mm256_add_pd(a, b); }
    static V sub(V a, V b) { return _mm256_sub_pd(a, b); }
    static V mul(V a, V b) { return _mm256_mul_pd(a, b); }
    static V sqrt(V a) { return _mm256_sqrt_pd(a); }
    static V belowElse(V a, V b, V t, V f) {
        return _mm256_blendv_pd(f, t, _mm256_cmp_pd(a, b, _CMP_LT_OQ));
    }
    static V positiveOrZero(V a, V t) {
        return _mm256_and_pd(_mm256_cmp_pd(a, zero(), _CMP_GT_OQ), t);
    }
    static void store(double* p, V a) { _mm256_storeu_pd(p, a); }
};
#endif

template <class L>
struct VariogramLanes {
    typename L::V range, invRange, nugget, partialSill, sill;
};

// γ of W distances, with the operations of Kriging::gamma.
template <class L, int Model>
inline typename L::V gammaLanes(typename L::V h, const VariogramLanes<L>& c) {
    using V = typename L::V;
    if constexpr (Model == kKrigingLinear) {
        const V g = L::add(c.nugget, L::mul(c.partialSill, L::mul(h, c.invRange)));
        return L::belowElse(h, c.range, g, c.sill);
    } else if constexpr (Model == kKrigingSpherical) {
        const V t = L::mul(h, c.invRange);
        const V t3 = L::mul(L::mul(t, t), t);
        const V f = L::sub(L::mul(L::set(1.5), t), L::mul(L::set(0.5), t3));
        const V g = L::add(c.nugget, L::mul(c.partialSill, f));
        return L::belowElse(h, c.range, g, c.sill);
    } else {
        V arg;
        if constexpr (Model == kKrigingExponential) {
            arg = L::mul(L::set(-3.0), L::mul(h, c.invRange));
        } else {
            const V t = L::mul(h, c.invRange);
            arg = L::mul(L::set(-3.0), L::mul(t, t));
        }
        double a[L::kWidth];
        L::store(a, arg);
        for (double& v : a) v = std::exp(v);
        const V e = L::load(a);
        const V g = L::add(c.nugget, L::mul(c.partialSill, L::sub(L::set(1.0), e)));
        if constexpr (Model == kKrigingExponential) {
            return L::positiveOrZero(h, g);  // γ(0) = 0
        } else {
            return g;
        }
    }
}

template <class L, int Model>
double sumLanes(const KrigingTerms& t, double x, double y) {
    using V = typename L::V;
    constexpr int W = L::kWidth;
    const VariogramLanes<L> c{L::set(t.range), L::set(t.invRange), L::set(t.nugget),
                              L::set(t.partialSill), L::set(t.sill)};
    const V X = L::set(x);
    const V Y = L::set(y);
    V acc0 = L::zero();
    V acc1 = L::zero();
    for (std::size_t i = 0; i < t.count; i += 2 * W) {
        const V dx0 = L::sub(L::load(t.px + i), X);
        const V dy0 = L::sub(L::load(t.py + i), Y);
        const V dx1 = L::sub(L::load(t.px + i + W), X);
        const V dy1 = L::sub(L::load(t.py + i + W), Y);
        const V h0 = L::sqrt(L::add(L::mul(dx0, dx0), L::mul(dy0, dy0)));
        const V h1 = L::sqrt(L::add(L::mul(dx1, dx1), L::mul(dy1, dy1)));
        acc0 = L::add(acc0, L::mul(L::load(t.u + i), gammaLanes<L, Model>(h0, c)));
        acc1 = L::add(acc1, L::mul(L::load(t.u + i + W), gammaLanes<L, Model>(h1, c)));
    }
    double s[W];
    L::store(s, L::add(acc0, acc1));
    // In pairs: s0 + s1, then (s0 + s1) + (s2 + s3).
    for (int width = W; width > 1; width /= 2) {
        for (int k = 0; k < width / 2; ++k) s[k] = s[2 * k] + s[2 * k + 1];
    }
    return s[0];
}

// The sum for a model number; 0 for an unknown one.
template <class L>
double sumForModel(int model, const KrigingTerms& t, double x, double y) {
    switch (model) {
        case kKrigingLinear:
            return sumLanes<L, kKrigingLinear>(t, x, y);
        case kKrigingSpherical:
            return sumLanes<L, kKrigingSpherical>(t, x, y);
        case kKrigingExponential:
            return sumLanes<L, kKrigingExponential>(t, x, y);
        case kKrigingGaussian:
            return sumLanes<L, kKrigingGaussian>(t, x, y);
        default:
            return 0.0;
    }
}

}  // namespace
}  // namespace gridova
