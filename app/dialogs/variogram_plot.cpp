#include "app/dialogs/variogram_plot.h"
#include "app/ui_text.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace gridova {

namespace {

// Ticks from 0 to at most `top` at a round step (1, 2 or 5 times a power of
// ten) giving three to six of them.
std::vector<double> roundTicks(double top) {
    std::vector<double> ticks;
    if (!(top > 0) || !std::isfinite(top)) return ticks;
    const double raw = top / 4;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw * 0.75) {
            step = m * power;
            break;
        }
    }
    for (int k = 0; k * step <= top * (1 + 1e-12) && k < 20; ++k) ticks.push_back(k * step);
    return ticks;
}

}  // namespace

VariogramPlot::VariogramPlot(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("variogramPlot"));
    setMinimumSize(260, 150);
}

void VariogramPlot::setVariogram(const ExperimentalVariogram& variogram) {
    variogram_ = variogram;
    update();
}

void VariogramPlot::setFitted(std::optional<FittedVariogram> fitted) {
    fitted_ = std::move(fitted);
    update();
}

void VariogramPlot::setEntered(std::optional<FittedVariogram> entered) {
    entered_ = std::move(entered);
    update();
}

void VariogramPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    const QFontMetrics metrics(font());
    // Room for the tick labels and the axis names.
    const int left = metrics.horizontalAdvance(QStringLiteral("0000.0")) + metrics.height() + 8;
    const int bottom = 2 * metrics.height() + 6;
    const QRectF area(left, 6, width() - left - 10, height() - bottom - 8);
    if (variogram_.bins.empty() || !(variogram_.cutoff > 0) || area.width() < 20 ||
        area.height() < 20) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("γ(h)"));
        return;
    }
    const double xmax = variogram_.cutoff;
    double ymax = 0;
    for (const VariogramBin& b : variogram_.bins) ymax = std::max(ymax, b.gamma);
    for (const auto& model : {fitted_, entered_}) {
        if (model) ymax = std::max(ymax, model->gamma(xmax));
    }
    if (!(ymax > 0) || !std::isfinite(ymax)) ymax = 1;
    ymax *= 1.08;
    const auto at = [&](double h, double g) {
        return QPointF(area.left() + area.width() * h / xmax,
                       area.bottom() - area.height() * std::min(g, ymax) / ymax);
    };

    // Axes with ticks at round numbers, and their names.
    p.setPen(palette().color(QPalette::Text));
    p.drawLine(area.bottomLeft(), area.bottomRight());
    p.drawLine(area.bottomLeft(), area.topLeft());
    const auto shortNumber = [](double v) { return QString::number(v, 'g', 4); };
    for (const double h : roundTicks(xmax)) {
        const QPointF t = at(h, 0);
        p.drawLine(t, t + QPointF(0, 3));
        p.drawText(QRectF(t.x() - 40, area.bottom() + 3, 80, metrics.height()),
                   Qt::AlignHCenter | Qt::AlignTop, shortNumber(h));
    }
    for (const double g : roundTicks(ymax)) {
        const QPointF t = at(0, g);
        p.drawLine(t, t - QPointF(3, 0));
        p.drawText(QRectF(metrics.height() + 2, t.y() - metrics.height() / 2.0,
                          left - metrics.height() - 8, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, shortNumber(g));
    }
    p.drawText(
        QRectF(area.left(), area.bottom() + metrics.height() + 4, area.width(), metrics.height()),
        Qt::AlignHCenter | Qt::AlignTop, uiText("расстояние h"));
    p.save();
    p.translate(2, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-area.height() / 2, 0, area.height(), metrics.height()),
               Qt::AlignHCenter | Qt::AlignTop, uiText("полудисперсия γ"));
    p.restore();

    // The models.
    const auto curve = [&](const FittedVariogram& model, const QPen& pen) {
        QPainterPath path;
        constexpr int kSteps = 200;
        for (int k = 0; k <= kSteps; ++k) {
            const double h = xmax * k / kSteps;
            const QPointF point = at(h, model.gamma(h));
            if (k == 0) {
                path.moveTo(point);
            } else {
                path.lineTo(point);
            }
        }
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    if (entered_) curve(*entered_, QPen(QColor(128, 128, 128), 1.2, Qt::DashLine));
    if (fitted_) curve(*fitted_, QPen(QColor(0, 70, 200), 2.0));

    // The bins: dot areas grow with the number of pairs.
    std::int64_t most = 1;
    for (const VariogramBin& b : variogram_.bins) most = std::max(most, b.pairs);
    p.setPen(QPen(QColor(0, 0, 0), 1.0));
    p.setBrush(QColor(230, 120, 20));
    for (const VariogramBin& b : variogram_.bins) {
        const double r = 2.0 + 3.0 * std::sqrt(static_cast<double>(b.pairs) / most);
        p.drawEllipse(at(b.distance, b.gamma), r, r);
    }
}

}  // namespace gridova
