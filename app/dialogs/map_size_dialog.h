// "Размеры карты": the page of the map (a paper format less its margins,
// the screen, or a size typed in pixels), the margins on the screen and on
// paper, the overlaps of printed tiles, printing over several pages by
// counts ("Многостраничная печать") or to scale ("Масштабная печать"),
// with a preview of the page on its paper. "Да" gives the view the
// settings and keeps them in the profile.
#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "render/canvas_view.h"
#include "render/map_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace gridova {

// What the dialog edits.
struct MapSizeSettings {
    PrintSetup setup;
    MultiPageSettings multiPage;
    std::array<std::int32_t, 4> pixelMargins{};  // left, top, right, bottom
    gdi::Size pageSize{800, 800};
};

class MapSizeDialog final : public QDialog {
    Q_OBJECT
public:
    // The sides in the order of the dialog's rows.
    enum Side { Left = 0, Right = 1, Top = 2, Bottom = 3 };
    static constexpr int kMaxPixelMargin = 1000;

    MapSizeDialog(const MapSizeSettings& start, bool aspectLocked, const ScreenMetrics& screen,
                  QWidget* parent);

    QComboBox* formatList() const { return format_; }
    QRadioButton* portraitButton() const { return portrait_; }
    QRadioButton* landscapeButton() const { return landscape_; }
    QLineEdit* widthEdit() const { return width_; }
    QLineEdit* heightEdit() const { return height_; }
    QLineEdit* pixelEdit(Side side) const { return pixels_[side]; }
    QLineEdit* paperEdit(Side side) const { return paper_[side]; }
    QLineEdit* overlapEdit(Side side) const { return overlap_[side]; }
    QCheckBox* multiPageBox() const { return multiPage_; }
    QSpinBox* acrossBox() const { return across_; }
    QSpinBox* downBox() const { return down_; }
    QCheckBox* scaleBox() const { return scale_; }
    QLineEdit* unitsXEdit() const { return unitsX_; }
    QLineEdit* unitsYEdit() const { return unitsY_; }
    QComboBox* unitList() const { return units_; }
    QLabel* unitsLabel() const { return unitsLabel_; }
    QLabel* preview() const { return preview_; }

    // The settings of the fields; nothing after a field was refused (said).
    std::optional<MapSizeSettings> settings();
    void accept() override;

private:
    // The paper margins as typed, a right (bottom) one held to what the
    // left (top) one leaves.
    PrintSetup typedSetup();
    // Printing over pages is applied, one way or the other.
    bool overlapsUsed() const;
    // The page size of the format and margins into the width and height.
    void showPageSize();
    void showStates();
    void showPreview();

    MapSizeSettings start_;
    bool aspectLocked_ = true;
    ScreenMetrics screen_;
    QComboBox* format_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    std::array<QLineEdit*, 4> pixels_{};
    std::array<QLineEdit*, 4> paper_{};
    std::array<QLineEdit*, 4> overlap_{};
    QCheckBox* multiPage_ = nullptr;
    QSpinBox* across_ = nullptr;
    QSpinBox* down_ = nullptr;
    QCheckBox* scale_ = nullptr;
    QLineEdit* unitsX_ = nullptr;
    QLineEdit* unitsY_ = nullptr;
    QComboBox* units_ = nullptr;
    QLabel* unitsLabel_ = nullptr;
    QLabel* unitsYLabel_ = nullptr;
    QLabel* preview_ = nullptr;
};

// The screen the program runs on: its logical pixels per inch and size.
ScreenMetrics currentScreenMetrics();

// The dialog for any drawn view: on "Да" the view takes the settings, they
// go to the profile and the view is drawn again. Nothing when cancelled or
// refused, else whether a setting changed.
std::optional<bool> askMapSize(QWidget* parent, CanvasView& view);

// "Размер карты...": the dialog for the map's view; on "Да" the view takes the
// settings, they go to the profile and the map is drawn again.
bool runMapSizeDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
