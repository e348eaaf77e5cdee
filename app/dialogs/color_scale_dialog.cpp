#include "app/dialogs/color_scale_dialog.h"
#include "app/ui_text.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/font_dialog.h"
#include "app/dialogs/grid_size_dialog.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/qt/qt_device.h"
#include "render/color_bar_painter.h"
#include "render/drawing_canvas.h"

namespace gridova {
namespace {

constexpr int kNotANumber = 76;       // "'%s' не является числом"
constexpr int kNeedsNumber = 9161;    // "%s: нужно число"
constexpr int kNeedsFraction = 9179;  // "%s: нужно число от 0 до 1"
constexpr int kNeedsAboveMin = 9180;  // "%s: нужно число больше Min"
constexpr int kNeedsWhole = 9163;     // "%s: нужно целое число от 0 до %d"
const QSize kPreviewSize(220, 330);
// The preview's margins: 2 pixels round, 25 more on the left.
constexpr int kPreviewMargin = 2;
constexpr int kPreviewLeft = 25;

QRadioButton* radio(const QString& text, bool checked, QWidget* parent) {
    auto* button = new QRadioButton(text, parent);
    button->setChecked(checked);
    return button;
}

QGroupBox* pairGroup(const QString& title, QRadioButton* a, QRadioButton* b, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* row = new QHBoxLayout(group);
    row->addWidget(a);
    row->addWidget(b);
    return group;
}

// The range held at lo..hi ("Установить значения"), or the data's again;
// the bands become equal.
void holdRange(ColorScale& scale, std::optional<std::pair<double, double>> range) {
    scale.setMinMax = range ? 1 : 0;
    if (range) {
        scale.minValue = range->first;
        scale.maxValue = range->second;
    }
    scale.setRange(scale.dataMin, scale.dataMax);
    scale.makeEqualBoundaries();
    scale.changed |= ColorScale::kChangedBoundaries;
}

}  // namespace

// --- "Вставить цвета" ---------------------------------------------------------------------------

ColorPositionDialog::ColorPositionDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("colorPositionDialog"));
    setWindowTitle(uiText("Вставить цвета"));
    position_ = new QLineEdit(QStringLiteral("0"), this);
    auto* form = new QFormLayout;
    form->addRow(uiText("Вставить c позиции"), position_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(yesButtons(*this));
}

std::optional<int> ColorPositionDialog::position() {
    const std::optional<int> p = fieldWhole(*position_);
    if (!p) {
        warning(formatText(text(kNotANumber), {position_->text().toStdString()}));
        position_->setFocus();
        position_->selectAll();
        return std::nullopt;
    }
    if (*p < 0 || *p >= ColorScale::kMaxCount) {
        refuseField(kNeedsWhole, uiText("Вставить c позиции"), *position_,
                    ColorScale::kMaxCount - 1);
        return std::nullopt;
    }
    return p;
}

void ColorPositionDialog::accept() {
    if (!position()) return;  // said; the dialog asks again
    QDialog::accept();
}

// --- "Шкала цветов"
// -------------------------------------------------------------------------------

ColorScaleDialog::ColorScaleDialog(const ColorScale& scale, QWidget* parent)
    : QDialog(parent), scale_(scale), start_(scale) {
    setObjectName(QStringLiteral("colorScaleDialog"));
    setWindowTitle(uiText("Шкала цветов"));
    scale_.changed = 0;

    maxColor_ = new QPushButton(uiText("Максимум..."), this);
    minColor_ = new QPushButton(uiText("Минимум..."), this);
    save_ = new QPushButton(uiText("Записать в файл..."), this);
    load_ = new QPushButton(uiText("Ввести из файла..."), this);
    auto* colors = new QGroupBox(uiText("Цвета"), this);
    auto* colorGrid = new QGridLayout(colors);
    colorGrid->addWidget(maxColor_, 0, 0);
    colorGrid->addWidget(minColor_, 0, 1);
    colorGrid->addWidget(save_, 1, 0);
    colorGrid->addWidget(load_, 1, 1);

    digits_ = spinField(this, 0, ColorScale::kMaxDigits, scale.digit);
    font_ = new QPushButton(uiText("Шрифт..."), this);
    auto* labels = new QHBoxLayout;
    labels->addWidget(new QLabel(uiText("Число цифр дробной части"), this));
    labels->addWidget(digits_);
    labels->addWidget(font_);

    left_ = radio(uiText("Левое"), scale.location == 0, this);
    right_ = radio(uiText("Правое"), scale.location != 0, this);
    maxUp_ = radio(uiText("Max вверху"), scale.upDown == 0, this);
    maxDown_ = radio(uiText("Max внизу"), scale.upDown != 0, this);
    up_ = new QLineEdit(fieldText(scale.frUp), this);
    down_ = new QLineEdit(fieldText(scale.frDown), this);
    auto* fractions = new QFormLayout;
    fractions->addRow(uiText("Сверху"), up_);
    fractions->addRow(uiText("Снизу"), down_);

    count_ = spinField(this, 1, ColorScale::kDialogMaxCount,
                       std::min(scale.count(), ColorScale::kDialogMaxCount));
    values_ = new QPushButton(uiText("Значения..."), this);
    auto* bands = new QHBoxLayout;
    bands->addWidget(new QLabel(uiText("Число цветов"), this));
    bands->addWidget(count_);
    bands->addWidget(values_);

    fixedRange_ = new QCheckBox(uiText("Установить значения"), this);
    fixedRange_->setChecked(scale.setMinMax != 0);
    min_ = new QLineEdit(fieldText(scale.minValue), this);
    max_ = new QLineEdit(fieldText(scale.maxValue), this);
    auto* range = new QHBoxLayout;
    range->addWidget(fixedRange_);
    range->addWidget(new QLabel(QStringLiteral("Min"), this));
    range->addWidget(min_);
    range->addWidget(new QLabel(QStringLiteral("Max"), this));
    range->addWidget(max_);
    show_ = new QCheckBox(uiText("Показать"), this);
    show_->setChecked(scale.visible != 0);

    preview_ = new QLabel(this);
    preview_->setFixedSize(kPreviewSize);
    preview_->setFrameShape(QFrame::StyledPanel);

    auto* fields = new QVBoxLayout;
    fields->addWidget(colors);
    fields->addLayout(labels);
    fields->addWidget(pairGroup(uiText("Расположение"), left_, right_, this));
    fields->addLayout(fractions);
    fields->addWidget(pairGroup(uiText("Порядок"), maxUp_, maxDown_, this));
    fields->addLayout(bands);
    fields->addLayout(range);
    fields->addWidget(show_);
    auto* body = new QHBoxLayout;
    body->addLayout(fields);
    body->addWidget(preview_, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(yesButtons(*this));

    connect(maxColor_, &QPushButton::clicked, this, [this] { chooseEndColor(true); });
    connect(minColor_, &QPushButton::clicked, this, [this] { chooseEndColor(false); });
    connect(save_, &QPushButton::clicked, this, &ColorScaleDialog::saveColors);
    connect(load_, &QPushButton::clicked, this, &ColorScaleDialog::loadColors);
    connect(font_, &QPushButton::clicked, this, &ColorScaleDialog::chooseFont);
    connect(count_, &QSpinBox::valueChanged, this, &ColorScaleDialog::changeCount);
    connect(values_, &QPushButton::clicked, this, &ColorScaleDialog::editValues);
    connect(fixedRange_, &QCheckBox::toggled, this, &ColorScaleDialog::fixRange);
    for (QRadioButton* button : {left_, right_, maxUp_, maxDown_}) {
        connect(button, &QRadioButton::toggled, this, &ColorScaleDialog::showPreview);
    }
    connect(digits_, &QSpinBox::valueChanged, this, &ColorScaleDialog::showPreview);
    for (QLineEdit* edit : {up_, down_}) {
        connect(edit, &QLineEdit::editingFinished, this, &ColorScaleDialog::showPreview);
    }
    for (QLineEdit* edit : {min_, max_}) {
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            if (fixedRange_->isChecked()) fixRange(true);
        });
    }
    refreshCountAndRange();
    showPreview();
}

QImage ColorScaleDialog::previewPicture(const ColorScale& scale, QSize size) {
    QtImageDevice device({size.width(), size.height()}, gdi::rgb(255, 255, 255));
    DrawingCanvas canvas;
    canvas.beginExternal(&device);
    canvas.setWorldWindow(0, 0, 1, 1);
    canvas.setMargins(kPreviewMargin + kPreviewLeft, kPreviewMargin, kPreviewMargin,
                      kPreviewMargin);
    // The layout of the drawing is the preview's own.
    ColorScale shown;
    shown.copyFrom(scale);
    measureColorBar(canvas, shown);
    drawColorBar(canvas, shown);
    canvas.restoreGeneralFont();
    canvas.endExternal();
    return device.finishedImage().convertToFormat(QImage::Format_RGB32);
}

bool ColorScaleDialog::takeFields(bool say) {
    const auto fraction = [say](QLineEdit& edit, const QString& name) -> std::optional<double> {
        const std::optional<double> v = fieldNumber(edit);
        if (v && *v >= 0 && *v <= 1) return v;
        if (say) refuseField(kNeedsFraction, name, edit);
        return std::nullopt;
    };
    const std::optional<double> up = fraction(*up_, uiText("Сверху"));
    if (!up && say) return false;
    const std::optional<double> down = fraction(*down_, uiText("Снизу"));
    if (!down && say) return false;
    if (up) scale_.frUp = *up;
    if (down) scale_.frDown = *down;
    scale_.digit = digits_->value();
    scale_.location = left_->isChecked() ? 0 : 1;
    scale_.upDown = maxDown_->isChecked() ? 1 : 0;
    scale_.visible = show_->isChecked() ? 1 : 0;
    return true;
}

void ColorScaleDialog::showPreview() {
    takeFields(false);
    preview_->setPixmap(QPixmap::fromImage(previewPicture(scale_, kPreviewSize)));
}

void ColorScaleDialog::refreshCountAndRange() {
    const QSignalBlocker block(count_);
    count_->setValue(std::min(scale_.count(), ColorScale::kDialogMaxCount));
    min_->setEnabled(fixedRange_->isChecked());
    max_->setEnabled(fixedRange_->isChecked());
}

void ColorScaleDialog::chooseEndColor(bool highest) {
    const gdi::ColorRef lowest = scale_.minColor, highestColor = scale_.maxColor;
    const std::optional<gdi::ColorRef> chosen = askColor(this, highest ? highestColor : lowest);
    if (!chosen.has_value()) return;
    const gdi::ColorRef color = chosen.value();
    scale_.setEndColors(highest ? lowest : color, highest ? color : highestColor);
    scale_.changed |= ColorScale::kChangedColors;
    showPreview();
}

void ColorScaleDialog::changeCount(int count) {
    if (!scale_.setCount(std::min(count, ColorScale::kMaxCount))) return;
    scale_.changed |= ColorScale::kChangedBoundaries | ColorScale::kChangedColors;
    showPreview();
}

void ColorScaleDialog::editValues() {
    NumberListDialog dialog(uiText("Значения"), scale_.boundaries(), this);
    if (runDialog(dialog) != QDialog::Accepted) return;
    std::vector<double> values = dialog.numbers();
    std::sort(values.begin(), values.end());
    // Two edges at least make a band; a new number of them is a new count.
    if (values.size() < 2 || values.size() - 1 > ColorScale::kDialogMaxCount) return;
    const auto count = static_cast<std::int32_t>(values.size() - 1);
    if (count != scale_.count()) {
        scale_.setCount(count);  // with a fresh gradient
        scale_.changed |= ColorScale::kChangedColors;
    }
    for (std::int32_t i = 0; i <= count; ++i) {
        scale_.setBoundary(i, values[static_cast<std::size_t>(i)]);
    }
    // The bar runs from the lowest edge to the highest.
    if (scale_.setMinMax != 0) {
        scale_.minValue = values.front();
        scale_.maxValue = values.back();
        min_->setText(fieldText(scale_.minValue));
        max_->setText(fieldText(scale_.maxValue));
    }
    scale_.setRange(values.front(), values.back());
    scale_.changed |= ColorScale::kChangedBoundaries;
    refreshCountAndRange();
    showPreview();
}

std::optional<std::pair<double, double>> ColorScaleDialog::typedRange() {
    const std::optional<double> lo = fieldNumber(*min_), hi = fieldNumber(*max_);
    if (!lo) {
        refuseField(kNeedsNumber, QStringLiteral("Min"), *min_);
        return std::nullopt;
    }
    if (!hi || *hi <= *lo) {
        refuseField(kNeedsAboveMin, QStringLiteral("Max"), *max_);
        return std::nullopt;
    }
    return std::pair{*lo, *hi};
}

void ColorScaleDialog::fixRange(bool fixed) {
    if (fixed) {
        const auto range = typedRange();
        if (!range) {
            // Said; the range stays as it was.
            const QSignalBlocker block(fixedRange_);
            fixedRange_->setChecked(scale_.setMinMax != 0);
            return;
        }
        holdRange(scale_, range);
    } else {
        holdRange(scale_, std::nullopt);
    }
    refreshCountAndRange();
    showPreview();
}

bool ColorScaleDialog::saveColors() {
    const std::optional<std::string> path =
        chooseFile(false, std::string(ColorScale::kColorFileExtension));
    if (!path || path->empty()) return false;
    takeFields(false);  // the order on file is the bar's
    return scale_.writeColorFile(*path);
}

bool ColorScaleDialog::loadColors() {
    const std::optional<std::string> path =
        chooseFile(true, std::string(ColorScale::kColorFileExtension));
    if (!path || path->empty()) return false;
    ColorPositionDialog ask(this);
    if (runDialog(ask) != QDialog::Accepted) return false;
    const std::optional<int> position = ask.position();
    if (!position) return false;
    takeFields(false);
    const std::int32_t count = scale_.count();
    const bool read = scale_.readColorFile(*path, *position);
    // Colours read before a bad line stay, so the copy changed either way.
    scale_.changed |= ColorScale::kChangedColors;
    scale_.paletteMode = 0;
    if (scale_.count() != count) scale_.changed |= ColorScale::kChangedBoundaries;
    refreshCountAndRange();
    showPreview();
    return read;
}

void ColorScaleDialog::chooseFont() {
    FontDialog dialog(scale_.font, 0, this);
    dialog.setSampleText(QStringLiteral("1.23"));
    dialog.hideColor();
    if (runDialog(dialog) != QDialog::Accepted) return;
    scale_.font = dialog.font();
    scale_.changed |= ColorScale::kChangedLook;
    showPreview();
}

std::optional<ColorScale> ColorScaleDialog::edited() {
    if (!takeFields(true)) return std::nullopt;
    ColorScale s = scale_;
    if (fixedRange_->isChecked()) {
        // Min and Max typed but not yet taken.
        const auto range = typedRange();
        if (!range) return std::nullopt;
        if (range->first != s.minValue || range->second != s.maxValue || s.setMinMax == 0) {
            holdRange(s, range);
        }
    }
    if (s.digit != start_.digit || s.upDown != start_.upDown || s.visible != start_.visible) {
        s.changed |= ColorScale::kChangedLook;
    }
    // The bar moves or changes its height: the map is laid out again.
    if (s.location != start_.location || s.frUp != start_.frUp || s.frDown != start_.frDown) {
        s.changed |= ColorScale::kChangedLook | ColorScale::kChangedColors;
    }
    return s;
}

void ColorScaleDialog::accept() {
    if (!edited()) return;  // said; the dialog stays
    QDialog::accept();
}

bool runColorScaleDialog(QWidget* parent, CVexaView& view) {
    EqNet* grid = view.model().grid();
    if (grid == nullptr) return false;
    ColorScaleDialog dialog(grid->colorScale, parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const std::optional<ColorScale> edited = dialog.edited();
    if (!edited) return true;
    view.model().applyColorScale(*edited);
    view.invalidateMap();
    return true;
}

}  // namespace gridova
