// The border window "Граница поля" ("Граница..."), modeless so that the
// border can be drawn on the map while it is open: "Определить границу"
// starts a line entered with the left button (the right button closes it),
// "Добавить к объекту" joins it to the border (saved to its file),
// "Уничтожить границу" asks whether to keep the file, "Записать в файл" and
// "Ввести из файла", "Показать на карте", the colour and width of its
// lines, "Значение" (the border value) and "Автозагрузка". Its place is
// remembered (resource 131).
#pragma once

#include <QDialog>

#include "render/map_view.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace gridova {

// "Значение на границе": whether the edge nodes are held at a value, and
// the value (its edit enabled only while the box is ticked).
class BorderValueDialog final : public QDialog {
    Q_OBJECT
public:
    BorderValueDialog(const OptionalValue& value, QWidget* parent);
    QCheckBox* enabledBox() const { return enabled_; }
    QLineEdit* valueEdit() const { return value_; }
    // Nothing (and the message shown) when the ticked value is not a number.
    std::optional<OptionalValue> choice();
    void accept() override;

private:
    QCheckBox* enabled_ = nullptr;
    QLineEdit* value_ = nullptr;
};

class BorderWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResource = 131;
    static constexpr const char* kExtension = "brd";

    BorderWindow(CVexaView& view, QWidget* owner);
    void openWindow();
    // The state of the map: the shown check box.
    void follow();

    QPushButton* defineButton() const { return define_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* valueButton() const { return value_; }
    QCheckBox* shownBox() const { return shown_; }
    QCheckBox* autoLoadBox() const { return autoLoad_; }
    QSpinBox* widthBox() const { return width_; }

protected:
    void done(int result) override;

private:
    CVexaView& view_;
    QWidget* owner_;
    QPushButton* define_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* load_ = nullptr;
    QPushButton* colour_ = nullptr;
    QPushButton* value_ = nullptr;
    QCheckBox* shown_ = nullptr;
    QCheckBox* autoLoad_ = nullptr;
    QSpinBox* width_ = nullptr;
};

}  // namespace gridova
