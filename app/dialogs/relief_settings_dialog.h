// "Формат": the settings sheet of the 3D block relief. Page "Изменить
// вид": the surface ("3D поверхность": shown, transparent grid, the sides,
// the relief's height, the grid's colour and line width), the drop lines
// of the points ("Линии точек") and the plane with the isolines (shown,
// its distance, above or below the relief). Page "Поворот": the three
// angles, each a slider over -180..180 with its edit of whole degrees.
// Both pages show a small sample drawn with the sheet's values at their
// left. "Применить" and "Да" give the view the values (it keeps them in
// the profile and draws again); "Отменить" leaves what was applied.
#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <optional>

#include "view3d/relief_view.h"
#include "view3d/transform3d.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace gridova {

class ColorButton;
class ReliefSettingsDialog;

// The sample of the sheet: two columns with a drop line each, the plane
// with two closed isolines in its rectangle, and the axes, turned and
// drawn as the sheet's values say.
class ReliefPreview final : public QWidget {
    Q_OBJECT
public:
    explicit ReliefPreview(const ReliefSettingsDialog& sheet, QWidget* parent);
    QSize sizeHint() const override { return {180, 180}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ReliefSettingsDialog& sheet_;
};

class ReliefSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    enum Page { FormatPage = 0, RotationPage = 1 };
    static constexpr int kMaxAngle = 180;
    static constexpr int kMaxWidth = 10;
    static constexpr int kMaxPointsWidth = 20;

    ReliefSettingsDialog(CVexa3DView& view, Page page, QWidget* parent);

    // What the sample shows: the fields as they stand (a field that does
    // not read keeps the view's value).
    Relief3DSettings shownSettings() const;
    Transform3D shownTransform() const;

    // The fields to the view; false (said, the field focused) when a field
    // is refused, and then the view keeps its values.
    bool apply();
    void accept() override;

    QTabWidget* pages() const { return pages_; }
    QCheckBox* surfaceBox() const { return surface_; }
    QCheckBox* transparentBox() const { return transparent_; }
    QCheckBox* sidesBox() const { return sides_; }
    QLineEdit* heightEdit() const { return height_; }
    ColorButton* gridColorButton() const { return gridColor_; }
    QSpinBox* widthBox() const { return width_; }
    QCheckBox* pointsBox() const { return points_; }
    ColorButton* pointsColorButton() const { return pointsColor_; }
    QSpinBox* pointsWidthBox() const { return pointsWidth_; }
    QCheckBox* planeBox() const { return plane_; }
    QLineEdit* elevationEdit() const { return elevation_; }
    QRadioButton* aboveButton() const { return above_; }
    QRadioButton* belowButton() const { return below_; }
    QSlider* angleSlider(int axis) const { return sliders_[static_cast<std::size_t>(axis)]; }
    QLineEdit* angleEdit(int axis) const { return angleEdits_[static_cast<std::size_t>(axis)]; }
    QPushButton* applyButton() const { return apply_; }
    ReliefPreview* preview(Page page) const { return previews_[static_cast<std::size_t>(page)]; }

private:
    QWidget* makeFormatPage();
    QWidget* makeRotationPage();
    void showChange();

    CVexa3DView& view_;
    QTabWidget* pages_ = nullptr;
    QCheckBox* surface_ = nullptr;
    QCheckBox* transparent_ = nullptr;
    QCheckBox* sides_ = nullptr;
    QLineEdit* height_ = nullptr;
    ColorButton* gridColor_ = nullptr;
    QSpinBox* width_ = nullptr;
    QCheckBox* points_ = nullptr;
    ColorButton* pointsColor_ = nullptr;
    QSpinBox* pointsWidth_ = nullptr;
    QCheckBox* plane_ = nullptr;
    QLineEdit* elevation_ = nullptr;
    QRadioButton* above_ = nullptr;
    QRadioButton* below_ = nullptr;
    std::array<QSlider*, 3> sliders_{};
    std::array<QLineEdit*, 3> angleEdits_{};
    QPushButton* apply_ = nullptr;
    std::array<ReliefPreview*, 2> previews_{};
};

// The sheet for the view opened on the page; the values of "Да" or
// "Применить" go to the view.
void runReliefSettingsDialog(QWidget* parent, CVexa3DView& view, ReliefSettingsDialog::Page page);

}  // namespace gridova
