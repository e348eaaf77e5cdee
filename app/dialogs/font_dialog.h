// "Шрифт": the face, the size in points, bold, italic and underline, and
// the text colour, with the sample text "Пример текста" drawn in them.
// Sizes are points at the 96 dots per inch of the map's pictures.
#pragma once

#include <QDialog>

#include "platform/gdi.h"

class QCheckBox;
class QFontComboBox;
class QLabel;
class QSpinBox;

namespace gridova {

class ColorButton;

class FontDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinPoints = 1;
    static constexpr int kMaxPoints = 400;

    FontDialog(const gdi::LogFont& font, gdi::ColorRef color, QWidget* parent);

    QFontComboBox* faceList() const { return face_; }
    QSpinBox* sizeBox() const { return size_; }
    QCheckBox* boldBox() const { return bold_; }
    QCheckBox* italicBox() const { return italic_; }
    QCheckBox* underlineBox() const { return underline_; }
    ColorButton* colorButton() const { return color_; }
    QLabel* sample() const { return sample_; }

    // The sample shows this text (the colour scale shows a number); the
    // colour button goes where the text's colour is not the font's to
    // choose.
    void setSampleText(const QString& text);
    void hideColor();

    // The font of the fields (the rest of the starting font kept).
    gdi::LogFont font() const;
    gdi::ColorRef color() const;

    // Points of a font's height, and the height (negative: the character
    // height in pixels) of a size in points.
    static int pointsOf(const gdi::LogFont& font);
    static std::int32_t heightOf(int points);

private:
    void showSample();

    gdi::LogFont start_;
    QFontComboBox* face_ = nullptr;
    QSpinBox* size_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QCheckBox* underline_ = nullptr;
    ColorButton* color_ = nullptr;
    QLabel* sample_ = nullptr;
};

}  // namespace gridova
