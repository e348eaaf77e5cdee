#include "app/dialogs/relief_settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/ui_text.h"
#include "view3d/scene3d.h"

namespace gridova {
namespace {

constexpr int kNeedsNumber = 9161;  // "%s: нужно число"
constexpr int kNeedsPositiveOrZero = 9480;  // "%s: нужно положительное число или 0"
constexpr int kNeedsAngle = 9481;  // "%s: нужно целое число от -180 до 180"

const std::array<QString, 3> kAxisNames{QStringLiteral("X"), QStringLiteral("Y"),
                                        QStringLiteral("Z")};

// --- The sample ------------------------------------------------------------------------------

// The sample in model space: the plane z = 0 of the map spans x ±0.5 and
// y ±0.4; a closed isoline around each half's centre; the two columns
// stand on z = 0 at those centres.
constexpr double kHalfX = 0.5, kHalfY = 0.4;
constexpr double kColumnHalf = 0.1;
constexpr double kAxisLength = 0.6;
constexpr std::array<double, 2> kColumnX{-0.25, 0.25};
// The columns' heights at the default relief height (0.1).
constexpr std::array<double, 2> kColumnHeight{0.3, 0.55};

std::vector<Point3> isoline(double side, double z) {
    // (-0.5, 0), (-0.25, -0.4), (0, 0), (-0.25, 0.4), back; mirrored for +.
    return {{side * 0.5, 0, z},
            {side * 0.25, -kHalfY, z},
            {0, 0, z},
            {side * 0.25, kHalfY, z},
            {side * 0.5, 0, z}};
}

// x' to the right, z' up; the model point `middle` at the widget's centre.
struct Projection {
    const Transform3D& transform;
    Point3 middle;
    QPointF centre;
    double scale;
    QPointF operator()(const Point3& p) const {
        const Point3 v = transform.apply({p.x - middle.x, p.y - middle.y, p.z - middle.z});
        return {centre.x() + scale * v.x, centre.y() - scale * v.z};
    }
};

void drawPolyline(QPainter& painter, const Projection& project, const std::vector<Point3>& line) {
    QPolygonF shown;
    for (const Point3& p : line) shown << project(p);
    painter.drawPolyline(shown);
}

QPen pen(gdi::ColorRef color, int width) {
    QPen p(qColorOf(color));
    p.setWidth(width);  // 0: one pixel whatever the scale
    return p;
}

}  // namespace

ReliefPreview::ReliefPreview(const ReliefSettingsDialog& sheet, QWidget* parent)
    : QWidget(parent), sheet_(sheet) {
    setObjectName(QStringLiteral("reliefPreview"));
    setMinimumSize(180, 180);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ReliefPreview::paintEvent(QPaintEvent*) {
    const Relief3DSettings s = sheet_.shownSettings();
    const Transform3D transform = sheet_.shownTransform();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    // The relief's height scales the columns as it scales the relief.
    const double grow = std::clamp(s.hight / Relief3DSettings{}.hight, 0.0, 3.0);
    std::array<double, 2> heights{};
    for (std::size_t k = 0; k < 2; ++k) heights[k] = kColumnHeight[k] * grow;
    const double top = std::max(heights[0], heights[1]);
    const double range = std::max(top, 0.2);
    const bool plane = s.flat != 0;
    const double planeZ = s.topFlat != 0 ? top + s.elevation * range : -s.elevation * range;

    // The sample turns about the middle of its height and keeps its size
    // whatever the angles: the sphere around it fits the widget.
    const double low = std::min(0.0, plane ? planeZ : 0.0);
    const double high = std::max({top, kAxisLength, plane ? planeZ : 0.0});
    const Point3 middle{0, 0, (low + high) / 2};
    const double radius =
        std::hypot(std::hypot(kHalfX, kHalfY), std::max(high - middle.z, middle.z - low));
    const Projection project{transform, middle, QPointF(width() / 2.0, height() / 2.0),
                             (std::min(width(), height()) / 2.0 - 10) / radius};

    const auto drawPlane = [&] {
        painter.setPen(QPen(Qt::darkGray, 0));
        painter.setBrush(Qt::NoBrush);
        drawPolyline(painter, project,
                     {{-kHalfX, -kHalfY, planeZ},
                      {kHalfX, -kHalfY, planeZ},
                      {kHalfX, kHalfY, planeZ},
                      {-kHalfX, kHalfY, planeZ},
                      {-kHalfX, -kHalfY, planeZ}});
        painter.setPen(QPen(QColor(0, 0, 200), 0));
        drawPolyline(painter, project, isoline(-1, planeZ));
        drawPolyline(painter, project, isoline(1, planeZ));
    };
    if (plane && s.topFlat == 0) drawPlane();

    if (s.topSurface != 0) {
        // Far columns first: the viewer looks from the large y' side.
        std::array<Prism3D, 2> prisms;
        for (std::size_t k = 0; k < 2; ++k) {
            const double x0 = kColumnX[k] - kColumnHalf, x1 = kColumnX[k] + kColumnHalf;
            const double y0 = -kColumnHalf, y1 = kColumnHalf;
            const double h = heights[k];
            prisms[k].model = {Point3{x0, y0, h}, {x1, y0, h}, {x0, y1, h}, {x1, y1, h},
                               {x0, y0, 0},       {x1, y0, 0}, {x0, y1, 0}, {x1, y1, 0}};
            double nearest = 1e300;
            for (std::size_t c = 0; c < 8; ++c) {
                prisms[k].view[c] = transform.apply(prisms[k].model[c]);
                nearest = std::min(nearest, prisms[k].view[c].y);
            }
            prisms[k].depthKey = nearest;
        }
        std::array<std::size_t, 2> order{0, 1};
        if (prisms[1].depthKey < prisms[0].depthKey) std::swap(order[0], order[1]);
        const std::array<QColor, 2> tops{QColor(110, 170, 255), QColor(255, 170, 90)};
        painter.setPen(pen(s.colorGrid, s.width));
        for (const std::size_t k : order) {
            const Prism3D& prism = prisms[k];
            for (int face = 0; face < 6; ++face) {
                const bool side = face != Prism3D::kTop && face != Prism3D::kBottom;
                if ((side && s.sides == 0) || !prism.faces(face)) continue;
                QPolygonF shown;
                for (const int c : Prism3D::kFaces[static_cast<std::size_t>(face)]) {
                    shown << project(prism.model[static_cast<std::size_t>(c)]);
                }
                if (s.transparent != 0) {
                    painter.setBrush(Qt::NoBrush);
                } else {
                    painter.setBrush(side ? tops[k].darker(150) : tops[k]);
                }
                painter.drawPolygon(shown);
            }
        }
    }
    if (plane && s.topFlat != 0) drawPlane();

    // The drop lines: from a column's top down (or up) to the plane, or to
    // the foot of the relief without it; the point stands at the lower end.
    if (s.pointsShow != 0) {
        painter.setPen(pen(s.pointsLinesColor, s.pointsLinesWidth));
        painter.setBrush(qColorOf(s.pointsLinesColor));
        for (std::size_t k = 0; k < 2; ++k) {
            const Point3 from{kColumnX[k], 0, heights[k]};
            const Point3 to{kColumnX[k], 0, plane ? planeZ : 0.0};
            drawPolyline(painter, project, {from, to});
            painter.drawEllipse(project(to), 2.5, 2.5);
        }
    }

    // The axes.
    const std::array<QColor, 3> axisColors{Qt::red, QColor(0, 150, 0), Qt::blue};
    painter.setBrush(Qt::NoBrush);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        Point3 end;
        (axis == 0 ? end.x : axis == 1 ? end.y : end.z) = kAxisLength;
        painter.setPen(QPen(axisColors[axis], 1.5));
        const QPointF a = project(Point3{}), b = project(end);
        painter.drawLine(a, b);
        painter.drawText(b + QPointF(3, -3), kAxisNames[axis]);
    }
}

// --- The sheet -------------------------------------------------------------------------------

ReliefSettingsDialog::ReliefSettingsDialog(CVexa3DView& view, Page page, QWidget* parent)
    : QDialog(parent), view_(view) {
    setObjectName(QStringLiteral("reliefSettingsDialog"));
    setWindowTitle(uiText("Формат"));
    pages_ = new QTabWidget(this);
    pages_->addTab(makeFormatPage(), uiText("Изменить вид"));
    pages_->addTab(makeRotationPage(), uiText("Поворот"));
    pages_->setCurrentIndex(page);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(uiText("Да"), QDialogButtonBox::AcceptRole);
    buttons->addButton(uiText("Отменить"), QDialogButtonBox::RejectRole);
    apply_ = buttons->addButton(uiText("Применить"), QDialogButtonBox::ApplyRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, [this] { apply(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
}

QWidget* ReliefSettingsDialog::makeFormatPage() {
    const Relief3DSettings& s = view_.settings();
    auto* page = new QWidget(this);
    const auto changed = [this] { showChange(); };

    auto* surface = new QGroupBox(uiText("3D поверхность"), page);
    surface_ = new QCheckBox(uiText("Показать"), surface);
    surface_->setChecked(s.topSurface != 0);
    transparent_ = new QCheckBox(uiText("Прозрачная сетка"), surface);
    transparent_->setChecked(s.transparent != 0);
    sides_ = new QCheckBox(uiText("Боковые стороны"), surface);
    sides_->setChecked(s.sides != 0);
    height_ = new QLineEdit(fieldText(s.hight), surface);
    gridColor_ = new ColorButton(uiText("Цвет сетки"), s.colorGrid, surface);
    width_ = spinField(surface, 0, kMaxWidth, s.width);
    auto* surfaceForm = new QFormLayout(surface);
    surfaceForm->addRow(surface_);
    surfaceForm->addRow(transparent_);
    surfaceForm->addRow(sides_);
    surfaceForm->addRow(uiText("Размер экстреумов"), height_);
    surfaceForm->addRow(gridColor_);
    surfaceForm->addRow(uiText("Ширина линий"), width_);

    auto* points = new QGroupBox(uiText("Линии точек"), page);
    points_ = new QCheckBox(uiText("Показать"), points);
    points_->setChecked(s.pointsShow != 0);
    pointsColor_ = new ColorButton(uiText("Цвет линий"), s.pointsLinesColor, points);
    pointsWidth_ = spinField(points, 0, kMaxPointsWidth, s.pointsLinesWidth);
    auto* pointsForm = new QFormLayout(points);
    pointsForm->addRow(points_);
    pointsForm->addRow(pointsColor_);
    pointsForm->addRow(uiText("Ширина линий"), pointsWidth_);

    auto* flat = new QGroupBox(uiText("Плоскость с изолиниями"), page);
    plane_ = new QCheckBox(uiText("Показать"), flat);
    plane_->setChecked(s.flat != 0);
    elevation_ = new QLineEdit(fieldText(s.elevation), flat);
    above_ = new QRadioButton(uiText("Вверху"), flat);
    below_ = new QRadioButton(uiText("Внизу"), flat);
    (s.topFlat != 0 ? above_ : below_)->setChecked(true);
    auto* flatForm = new QFormLayout(flat);
    flatForm->addRow(plane_);
    flatForm->addRow(uiText("Высота"), elevation_);
    auto* place = new QHBoxLayout;
    place->addWidget(above_);
    place->addWidget(below_);
    place->addStretch(1);
    flatForm->addRow(place);

    for (QCheckBox* box : {surface_, transparent_, sides_, points_, plane_}) {
        connect(box, &QCheckBox::toggled, this, changed);
    }
    connect(above_, &QRadioButton::toggled, this, changed);
    for (QLineEdit* edit : {height_, elevation_}) {
        connect(edit, &QLineEdit::textChanged, this, changed);
    }
    for (QSpinBox* box : {width_, pointsWidth_}) {
        connect(box, &QSpinBox::valueChanged, this, changed);
    }
    // The colour buttons are clicked through their own dialog.
    for (ColorButton* button : {gridColor_, pointsColor_}) {
        connect(button, &QPushButton::clicked, this, changed);
    }

    previews_[FormatPage] = new ReliefPreview(*this, page);
    auto* groups = new QVBoxLayout;
    groups->addWidget(surface);
    groups->addWidget(points);
    groups->addWidget(flat);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(previews_[FormatPage], 0, Qt::AlignTop);
    layout->addLayout(groups, 1);
    return page;
}

QWidget* ReliefSettingsDialog::makeRotationPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout;
    for (int axis = 0; axis < 3; ++axis) {
        const auto k = static_cast<std::size_t>(axis);
        const int degrees = view_.transform().angleDegrees(axis);
        auto* slider = new QSlider(Qt::Horizontal, page);
        slider->setRange(-kMaxAngle, kMaxAngle);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(45);
        slider->setMinimumWidth(200);
        slider->setValue(std::clamp(degrees, -kMaxAngle, kMaxAngle));
        auto* edit = new QLineEdit(QString::number(slider->value()), page);
        edit->setMaximumWidth(60);
        sliders_[k] = slider;
        angleEdits_[k] = edit;
        grid->addWidget(new QLabel(kAxisNames[k], page), axis, 0);
        grid->addWidget(slider, axis, 1);
        grid->addWidget(edit, axis, 2);
        // The slider writes its edit; a whole number in range typed moves
        // the slider.
        connect(slider, &QSlider::valueChanged, this, [this, edit](int value) {
            const QSignalBlocker quiet(edit);
            edit->setText(QString::number(value));
            showChange();
        });
        connect(edit, &QLineEdit::textEdited, this, [this, slider, edit] {
            const std::optional<int> typed = fieldWhole(*edit);
            if (!typed || std::abs(*typed) > kMaxAngle) return;
            const QSignalBlocker quiet(slider);
            slider->setValue(*typed);
            showChange();
        });
    }
    grid->setRowStretch(3, 1);
    previews_[RotationPage] = new ReliefPreview(*this, page);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(previews_[RotationPage], 0, Qt::AlignTop);
    layout->addLayout(grid, 1);
    return page;
}

void ReliefSettingsDialog::showChange() {
    for (ReliefPreview* preview : previews_) {
        if (preview != nullptr) preview->update();
    }
}

Relief3DSettings ReliefSettingsDialog::shownSettings() const {
    Relief3DSettings s = view_.settings();
    if (surface_ == nullptr || plane_ == nullptr) return s;  // still being built
    s.topSurface = surface_->isChecked() ? 1 : 0;
    s.transparent = transparent_->isChecked() ? 1 : 0;
    s.sides = sides_->isChecked() ? 1 : 0;
    if (const auto h = fieldNumber(*height_); h && *h >= 0) s.hight = *h;
    s.colorGrid = gridColor_->color();
    s.width = width_->value();
    s.pointsShow = points_->isChecked() ? 1 : 0;
    s.pointsLinesColor = pointsColor_->color();
    s.pointsLinesWidth = pointsWidth_->value();
    s.flat = plane_->isChecked() ? 1 : 0;
    if (const auto e = fieldNumber(*elevation_)) s.elevation = *e;
    s.topFlat = above_->isChecked() ? 1 : 0;
    return s;
}

Transform3D ReliefSettingsDialog::shownTransform() const {
    Transform3D t = view_.transform();
    if (sliders_[2] == nullptr) return t;
    t.setAnglesDegrees(sliders_[0]->value(), sliders_[1]->value(), sliders_[2]->value());
    return t;
}

bool ReliefSettingsDialog::apply() {
    const std::optional<double> h = fieldNumber(*height_);
    if (!h || *h < 0) {
        pages_->setCurrentIndex(FormatPage);
        refuseField(kNeedsPositiveOrZero, uiText("Размер экстреумов"), *height_);
        return false;
    }
    if (!fieldNumber(*elevation_)) {
        pages_->setCurrentIndex(FormatPage);
        refuseField(kNeedsNumber, uiText("Высота"), *elevation_);
        return false;
    }
    std::array<int, 3> angles{};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::optional<int> typed = fieldWhole(*angleEdits_[k]);
        if (!typed || std::abs(*typed) > kMaxAngle) {
            pages_->setCurrentIndex(RotationPage);
            refuseField(kNeedsAngle, kAxisNames[k], *angleEdits_[k]);
            return false;
        }
        angles[k] = *typed;
    }
    view_.applySettings(shownSettings());
    view_.setAnglesDegrees(angles[0], angles[1], angles[2]);
    return true;
}

void ReliefSettingsDialog::accept() {
    if (apply()) QDialog::accept();
}

void runReliefSettingsDialog(QWidget* parent, CVexa3DView& view, ReliefSettingsDialog::Page page) {
    ReliefSettingsDialog dialog(view, page, parent);
    // A runner that answers "Да" without the button still gives the values.
    if (runDialog(dialog) == QDialog::Accepted && dialog.result() != QDialog::Accepted) {
        dialog.apply();
    }
}

}  // namespace gridova
