#include "app/dialogs/variogram_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace gridova {

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
    const int left = metrics.horizontalAdvance(QStringLiteral("0000.00")) + 6;
    const int bottom = metrics.height() + 6;
    const QRectF area(left, 6, width() - left - 8, height() - bottom - 8);
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

    // Axes with their end values.
    p.setPen(palette().color(QPalette::Text));
    p.drawLine(area.bottomLeft(), area.bottomRight());
    p.drawLine(area.bottomLeft(), area.topLeft());
    const auto shortNumber = [](double v) { return QString::number(v, 'g', 4); };
    p.drawText(QRectF(0, area.top() - 2, left - 4, metrics.height()), Qt::AlignRight | Qt::AlignTop,
               shortNumber(ymax));
    p.drawText(QRectF(0, area.bottom() - metrics.height(), left - 4, metrics.height()),
               Qt::AlignRight | Qt::AlignBottom, QStringLiteral("0"));
    p.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), metrics.height()),
               Qt::AlignLeft | Qt::AlignTop, QStringLiteral("0"));
    p.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), metrics.height()),
               Qt::AlignRight | Qt::AlignTop, shortNumber(xmax));
    p.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), metrics.height()),
               Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("h"));

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
