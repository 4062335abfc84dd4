#include "analysis/CalibrationFit.h"

#include <QtMath>

namespace Analysis {

namespace {

// Solves the symmetric positive definite system a * x = b of `terms` rows (normal equations
// need no pivoting); false when it is singular.
bool solve(int terms, double a[3][3], double b[3], double x[3])
{
    for (int col = 0; col < terms; ++col) {
        if (!(qAbs(a[col][col]) > 1e-9)) return false;
        for (int row = col + 1; row < terms; ++row) {
            const double f = a[row][col] / a[col][col];
            for (int k = col; k < terms; ++k)
                a[row][k] -= f * a[col][k];
            b[row] -= f * b[col];
        }
    }
    for (int row = terms - 1; row >= 0; --row) {
        x[row] = b[row];
        for (int k = row + 1; k < terms; ++k)
            x[row] -= a[row][k] * x[k];
        x[row] /= a[row][row];
    }
    return true;
}

} // namespace

bool fitCalibration(const QVector<CalibrationPoint>& points, CalibrationShape shape, int binCount,
                    Calibration* calibration, QString* error)
{
    const int terms = shape == CalibrationShape::Line ? 2 : 3;
    double low = qInf(), high = -qInf();
    for (const CalibrationPoint& p : points) {
        if (!qIsFinite(p.channel) || !qIsFinite(p.kev)) {
            *error = QStringLiteral("A marked peak has no finite channel or energy");
            return false;
        }
        low = qMin(low, p.channel);
        high = qMax(high, p.channel);
    }
    // Normal equations in u = (ch - mid) / half, which lies within -1..1, so they stay well
    // conditioned; the terms found are then expanded back into channels.
    const double mid = (low + high) / 2, half = (high - low) / 2;
    double a[3][3] = {}, b[3] = {}, c[3] = {};
    for (const CalibrationPoint& p : points) {
        const double u = half > 0 ? (p.channel - mid) / half : 0;
        const double power[3] = {1, u, u * u};
        for (int row = 0; row < terms; ++row) {
            b[row] += power[row] * p.kev;
            for (int col = 0; col < terms; ++col)
                a[row][col] += power[row] * power[col];
        }
    }
    if (!solve(terms, a, b, c)) {
        *error = QStringLiteral("%1 needs marked peaks at %2 or more different channels")
                     .arg(terms == 2 ? "A line" : "A parabola")
                     .arg(terms);
        return false;
    }
    Calibration fitted;
    fitted.quad = c[2] / (half * half);
    fitted.gain = c[1] / half - 2 * fitted.quad * mid;
    fitted.offset = c[0] - c[1] * mid / half + fitted.quad * mid * mid;
    if (!fitted.risesOver(binCount)) {
        *error =
            QStringLiteral("The fitted energy does not rise over the spectrum's %1 channels").arg(binCount);
        return false;
    }
    *calibration = fitted;
    return true;
}

} // namespace Analysis
