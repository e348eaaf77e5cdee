// A small plot of a variogram: the semivariance of the data's distance bins
// as dots (larger for bins of more pairs), the fitted model as a solid
// curve and the model of the dialog's fields as a dashed one, distance
// from 0 to the cut-off across, semivariance from 0 up.
#pragma once

#include <QWidget>
#include <optional>

#include "grid/variogram_fit.h"

namespace gridova {

class VariogramPlot final : public QWidget {
    Q_OBJECT
public:
    explicit VariogramPlot(QWidget* parent);

    void setVariogram(const ExperimentalVariogram& variogram);
    void setFitted(std::optional<FittedVariogram> fitted);
    void setEntered(std::optional<FittedVariogram> entered);

    QSize sizeHint() const override { return {360, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ExperimentalVariogram variogram_;
    std::optional<FittedVariogram> fitted_;
    std::optional<FittedVariogram> entered_;
};

}  // namespace gridova
