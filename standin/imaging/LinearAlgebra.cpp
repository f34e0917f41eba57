#include "LinearAlgebra.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace standin::imaging::linalg {

bool bSolve(int n, double* a, double* b, double* x)
{
    double scale = 0.0;
    for (int i = 0; i < n * n; ++i)
        scale = std::max(scale, std::fabs(a[i]));
    if (!(scale > 0.0) || !std::isfinite(scale))
        return false;
    const double tiny = scale * 1e-14;
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int r = col + 1; r < n; ++r)
            if (std::fabs(a[r * n + col]) > std::fabs(a[pivot * n + col]))
                pivot = r;
        if (!(std::fabs(a[pivot * n + col]) > tiny))
            return false;
        if (pivot != col) {
            for (int c = 0; c < n; ++c)
                std::swap(a[pivot * n + c], a[col * n + c]);
            std::swap(b[pivot], b[col]);
        }
        for (int r = col + 1; r < n; ++r) {
            const double f = a[r * n + col] / a[col * n + col];
            if (f == 0.0)
                continue;
            for (int c = col; c < n; ++c)
                a[r * n + c] -= f * a[col * n + c];
            b[r] -= f * b[col];
        }
    }
    for (int r = n - 1; r >= 0; --r) {
        double s = b[r];
        for (int c = r + 1; c < n; ++c)
            s -= a[r * n + c] * x[c];
        x[r] = s / a[r * n + r];
    }
    return std::all_of(x, x + n, [](double v) { return std::isfinite(v); });
}

bool bSolveSpd(int n, const double* a, const double* b, double* x)
{
    std::vector<double> l(std::size_t(n) * n, 0.0);
    double largest = 0.0;
    for (int i = 0; i < n; ++i)
        largest = std::max(largest, a[i * n + i]);
    if (!(largest > 0.0) || !std::isfinite(largest))
        return false;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            double s = a[j * n + i];
            for (int k = 0; k < j; ++k)
                s -= l[i * n + k] * l[j * n + k];
            if (i == j) {
                if (!(s > largest * 1e-13))
                    return false;
                l[i * n + i] = std::sqrt(s);
            } else {
                l[i * n + j] = s / l[j * n + j];
            }
        }
    }
    std::vector<double> y(n);
    for (int i = 0; i < n; ++i) {
        double s = b[i];
        for (int k = 0; k < i; ++k)
            s -= l[i * n + k] * y[k];
        y[i] = s / l[i * n + i];
    }
    for (int i = n - 1; i >= 0; --i) {
        double s = y[i];
        for (int k = i + 1; k < n; ++k)
            s -= l[k * n + i] * x[k];
        x[i] = s / l[i * n + i];
    }
    return std::all_of(x, x + n, [](double v) { return std::isfinite(v); });
}

void vSymmetricEigen(int n, const double* a, std::vector<double>& values, std::vector<double>& vectors)
{
    std::vector<double> m(a, a + std::size_t(n) * n);
    std::vector<double> v(std::size_t(n) * n, 0.0);
    for (int i = 0; i < n; ++i)
        v[i * n + i] = 1.0;
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0.0;
        double diag = 0.0;
        for (int p = 0; p < n; ++p) {
            diag += m[p * n + p] * m[p * n + p];
            for (int q = p + 1; q < n; ++q)
                off += m[p * n + q] * m[p * n + q];
        }
        if (off <= 1e-32 * diag || off == 0.0)
            break;
        for (int p = 0; p < n; ++p) {
            for (int q = p + 1; q < n; ++q) {
                const double apq = m[p * n + q];
                if (apq == 0.0)
                    continue;
                const double theta = (m[q * n + q] - m[p * n + p]) / (2.0 * apq);
                const double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double s = t * c;
                for (int k = 0; k < n; ++k) {
                    const double mkp = m[k * n + p];
                    const double mkq = m[k * n + q];
                    m[k * n + p] = c * mkp - s * mkq;
                    m[k * n + q] = s * mkp + c * mkq;
                }
                for (int k = 0; k < n; ++k) {
                    const double mpk = m[p * n + k];
                    const double mqk = m[q * n + k];
                    m[p * n + k] = c * mpk - s * mqk;
                    m[q * n + k] = s * mpk + c * mqk;
                }
                for (int k = 0; k < n; ++k) {
                    const double vkp = v[k * n + p];
                    const double vkq = v[k * n + q];
                    v[k * n + p] = c * vkp - s * vkq;
                    v[k * n + q] = s * vkp + c * vkq;
                }
            }
        }
    }
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int i, int j) { return m[i * n + i] < m[j * n + j]; });
    values.assign(n, 0.0);
    vectors.assign(std::size_t(n) * n, 0.0);
    for (int k = 0; k < n; ++k) {
        values[k] = m[order[k] * n + order[k]];
        for (int r = 0; r < n; ++r)
            vectors[r * n + k] = v[r * n + order[k]];
    }
}

} // namespace standin::imaging::linalg
