#include "monitor/KevAxis.h"

#include "consumer/McaTransfer.h"

#include <QCoreApplication>
#include <QLocale>
#include <qwt_plot.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_engine.h>

namespace {

// Where the linear engine would put its ticks on the energy range shown, moved to channels.
class KevScaleEngine : public QwtLinearScaleEngine
{
public:
    explicit KevScaleEngine(const Analysis::Calibration& c) : cal(c) {}

    QwtScaleDiv divideScale(double x1, double x2, int maxMajor, int maxMinor, double) const override
    {
        const QwtScaleDiv kev =
            QwtLinearScaleEngine::divideScale(cal.kev(x1 - 0.5), cal.kev(x2 - 0.5), maxMajor, maxMinor);
        QList<double> ticks[QwtScaleDiv::NTickTypes];
        for (int type = 0; type < QwtScaleDiv::NTickTypes; ++type)
            for (double energy : kev.ticks(type))
                if (const std::optional<double> channel = cal.channel(energy, McaTransfer::binCount))
                    ticks[type] << *channel + 0.5;
        return QwtScaleDiv(x1, x2, ticks);
    }

private:
    Analysis::Calibration cal;
};

class KevScaleDraw : public QwtScaleDraw
{
public:
    explicit KevScaleDraw(const Analysis::Calibration& c) : cal(c) {}
    QwtText label(double x) const override
    {
        // The tick at 0 keV comes back from its channel a rounding error off.
        const double kev = cal.kev(x - 0.5);
        return QLocale().toString(qAbs(kev) < 1e-9 * cal.kev(McaTransfer::binCount) ? 0 : kev, 'g', 6);
    }

private:
    Analysis::Calibration cal;
};

} // namespace

namespace KevAxis {

void apply(QwtPlot* plot, const std::optional<Analysis::Calibration>& calibration)
{
    // Only a calibration that rises has a channel for every energy shown.
    if (calibration && calibration->risesOver(McaTransfer::binCount)) {
        plot->setAxisScaleEngine(QwtPlot::xBottom, new KevScaleEngine(*calibration));
        plot->setAxisScaleDraw(QwtPlot::xBottom, new KevScaleDraw(*calibration));
        plot->setAxisTitle(QwtPlot::xBottom, QCoreApplication::translate("MonitorWindow", "energy (keV)"));
    } else {
        plot->setAxisScaleEngine(QwtPlot::xBottom, new QwtLinearScaleEngine);
        plot->setAxisScaleDraw(QwtPlot::xBottom, new QwtScaleDraw);
        plot->setAxisTitle(QwtPlot::xBottom, "bin");
    }
    plot->replot();
}

} // namespace KevAxis
