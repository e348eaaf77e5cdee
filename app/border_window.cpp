#include "app/border_window.h"
#include "app/ui_text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/window_place.h"
#include "objects/line_text_files.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr int kNotANumber = 9161;  // "%s: нужно число"
constexpr int kMaxWidth = 20;

}  // namespace

// --- The border value ---------------------------------------------------------------------------

BorderValueDialog::BorderValueDialog(const OptionalValue& value, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("borderValueDialog"));
    setWindowTitle(uiText("Значение на границе"));
    auto* note = new QLabel(
        uiText("На границе можно задать значение, тогда изолиини получаются замкнутыми"), this);
    note->setWordWrap(true);
    enabled_ = new QCheckBox(uiText("Учитывать значение на границе"), this);
    enabled_->setChecked(value.present());
    value_ = new QLineEdit(fieldText(value.value), this);
    value_->setEnabled(value.present());
    connect(enabled_, &QCheckBox::toggled, value_, &QLineEdit::setEnabled);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &BorderValueDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(enabled_);
    layout->addWidget(value_);
    layout->addWidget(buttons);
}

std::optional<OptionalValue> BorderValueDialog::choice() {
    if (!enabled_->isChecked()) return OptionalValue{};
    const auto v = fieldNumber(*value_);
    if (!v) {
        refuseField(kNotANumber, uiText("Значение"), *value_);
        return std::nullopt;
    }
    return OptionalValue(*v);
}

void BorderValueDialog::accept() {
    if (!choice()) return;
    QDialog::accept();
}

// --- The border window
// ----------------------------------------------------------------------------

BorderWindow::BorderWindow(CVexaView& view, QWidget* owner)
    : QDialog(owner, Qt::Tool), view_(view), owner_(owner) {
    setObjectName(QStringLiteral("borderWindow"));
    setWindowTitle(uiText("Граница поля"));
    setModal(false);
    auto* hint = new QLabel(
        uiText("Ввод точек границы левой кнопкой мыши. Правая кнопка соединяет концы ломанной."),
        this);
    hint->setWordWrap(true);
    define_ = new QPushButton(uiText("Определить границу"), this);
    add_ = new QPushButton(uiText("Добавить к объекту"), this);
    delete_ = new QPushButton(uiText("Уничтожить границу"), this);
    save_ = new QPushButton(uiText("Записать в файл"), this);
    load_ = new QPushButton(uiText("Ввести из файла"), this);
    colour_ = new QPushButton(uiText("Изменить цвет"), this);
    value_ = new QPushButton(uiText("Значение"), this);
    shown_ = new QCheckBox(uiText("Показать на карте"), this);
    autoLoad_ = new QCheckBox(uiText("Автозагрузка"), this);
    width_ = new QSpinBox(this);
    width_->setRange(0, kMaxWidth);
    std::int32_t load = 0;
    readProfileInt("Border", "Load", load);
    autoLoad_->setChecked(load != 0);

    auto* grid = new QGridLayout;
    grid->addWidget(define_, 0, 0);
    grid->addWidget(add_, 0, 1);
    grid->addWidget(delete_, 1, 0);
    grid->addWidget(value_, 1, 1);
    grid->addWidget(save_, 2, 0);
    grid->addWidget(load_, 2, 1);
    grid->addWidget(colour_, 3, 0);
    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(new QLabel(uiText("Толщина"), this));
    widthRow->addWidget(width_);
    grid->addLayout(widthRow, 3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(grid);
    layout->addWidget(shown_);
    layout->addWidget(autoLoad_);

    MapModel& model = view_.model();
    connect(define_, &QPushButton::clicked, this, [this] { view_.startBorderLine(); });
    connect(add_, &QPushButton::clicked, this, [this] { view_.addDrawnLineToBorder(); });
    connect(delete_, &QPushButton::clicked, this, [&model] { model.deleteBorder(); });
    connect(save_, &QPushButton::clicked, this, [&model] {
        if (model.border() == nullptr) return;
        if (const auto path = chooseFile(false, kExtension))
            saveLineListFile(*path, *model.border());
    });
    connect(load_, &QPushButton::clicked, this, [&model] {
        if (const auto path = chooseFile(true, kExtension)) model.loadBorder(*path);
    });
    connect(colour_, &QPushButton::clicked, this, [this, &model] {
        if (model.border() == nullptr) return;
        // Starting at the border's colour (its first line's).
        const LineList& border = *model.border();
        const std::int32_t now = border.empty() ? 0 : border.lines().front().style.colorLine;
        const auto chosen = askColor(this, now >= 0 ? static_cast<gdi::ColorRef>(now) : 0);
        if (!chosen) return;
        model.border()->setColor(static_cast<std::int32_t>(*chosen));
        model.notify(kBorderChanged);
    });
    connect(width_, &QSpinBox::valueChanged, this, [&model](int width) {
        if (model.border() == nullptr) return;
        model.border()->setWidth(width);
        model.notify(kBorderChanged);
    });
    connect(value_, &QPushButton::clicked, this, [this, &model] {
        BorderValueDialog dialog(model.settings.borderValue, this);
        if (runDialog(dialog) != QDialog::Accepted) return;
        if (const auto chosen = dialog.choice()) model.setBorderValue(*chosen);
    });
    connect(shown_, &QCheckBox::toggled, this, [&model](bool on) {
        if ((model.settings.showBorder != 0) != on) model.setBorderShown(on);
    });
    connect(autoLoad_, &QCheckBox::toggled, this,
            [](bool on) { writeProfileInt("Border", "Load", on ? 1 : 0); });
    follow();
}

void BorderWindow::openWindow() {
    follow();
    if (!isVisible()) {
        placeWindow(*this, kResource, owner_);
        show();
    }
    raise();
}

void BorderWindow::follow() {
    const QSignalBlocker quiet(shown_);
    shown_->setChecked(view_.model().settings.showBorder != 0);
    const bool border = view_.model().border() != nullptr;
    delete_->setEnabled(border);
    save_->setEnabled(border);
    colour_->setEnabled(border);
    width_->setEnabled(border);
}

void BorderWindow::done(int result) {
    if (isVisible()) rememberWindowPlace(*this, kResource);
    QDialog::done(result);
}

}  // namespace gridova
