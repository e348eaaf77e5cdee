// "Текст": a free text of the map: its words, the world point of its
// top-left corner ("X", "Y") and its font and colour ("Шрифт...").
#pragma once

#include <QDialog>
#include <optional>

#include "objects/map_items.h"
#include "render/map_view.h"

class QLineEdit;
class QPushButton;

namespace gridova {

class TextDialog final : public QDialog {
    Q_OBJECT
public:
    explicit TextDialog(const MapText& text, QWidget* parent);

    QLineEdit* textEdit() const { return text_; }
    QLineEdit* xEdit() const { return x_; }
    QLineEdit* yEdit() const { return y_; }
    QPushButton* fontButton() const { return font_; }

    // The text of the fields, placed at its world point; nothing after a
    // field was refused (said).
    std::optional<MapText> text();
    void accept() override;

private:
    MapText start_;
    QLineEdit* text_ = nullptr;
    QLineEdit* x_ = nullptr;
    QLineEdit* y_ = nullptr;
    QPushButton* font_ = nullptr;
};

// "Добавить текст...": a new text in the group, at the centre of the map
// in view, in Arial of 10 points; false when cancelled.
bool addTextAsked(QWidget* parent, CVexaView& view, Bush& group);
// "Изменить вид..", or a double click on the text in the map.
bool editTextAsked(QWidget* parent, CVexaView& view, BushItem& item);

}  // namespace gridova
