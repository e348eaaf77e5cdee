// "Заголовок карты": the title's three lines, each with its "Шрифт" (the
// canvas's general fonts 2, 3 and 4), and "Показать заголовок". "Да"
// replaces the lines (each keeps its colour) and keeps the three fonts in
// the profile ("GeneralFont2" .. "GeneralFont4").
#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "objects/map_title.h"
#include "render/map_view.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace gridova {

class TitleDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLines = 3;

    TitleDialog(const MapTitle& title, const std::array<gdi::LogFont, kLines>& fonts,
                QWidget* parent);

    QLineEdit* lineEdit(int k) const { return lines_[static_cast<std::size_t>(k)]; }
    QPushButton* fontButton(int k) const { return fontButtons_[static_cast<std::size_t>(k)]; }
    QCheckBox* showBox() const { return show_; }

    // The title of the fields, and the fonts chosen.
    MapTitle title() const;
    const std::array<gdi::LogFont, kLines>& fonts() const { return fonts_; }

private:
    MapTitle start_;
    std::array<gdi::LogFont, kLines> fonts_;
    std::array<QLineEdit*, kLines> lines_{};
    std::array<QPushButton*, kLines> fontButtons_{};
    QCheckBox* show_ = nullptr;
};

// The dialog for a title drawn on the canvas (the map's, the 3D view's):
// the title of the fields, the fonts given to the canvas and kept; nothing
// when cancelled.
std::optional<MapTitle> askTitle(QWidget* parent, DrawingCanvas& canvas, const MapTitle& current);

bool runTitleDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
