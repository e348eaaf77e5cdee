#include "app/dialogs/line_dialog.h"
#include "app/ui_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <utility>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "grid/eq_net.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "render/drawing_canvas.h"
#include "render/line_painter.h"

namespace gridova {
namespace {

constexpr const char* kLineOption = "Line Option";
constexpr const char* kShownColor = "shownColor";  // a colour list's colour before "Другой..."
const QSize kPreviewSize(260, 150);
const QSize kSampleSize(48, 16);
// A colour of the object tree's palette is shown in grey where no
// palette is at hand.
constexpr gdi::ColorRef kPaletteColorShown = gdi::rgb(128, 128, 128);

// The colours of the lists, in their order; "Automatic" follows them.
constexpr std::array<gdi::ColorRef, 16> kListColors{
    gdi::rgb(0, 0, 0),       gdi::rgb(128, 0, 0),   gdi::rgb(0, 128, 0),   gdi::rgb(128, 128, 0),
    gdi::rgb(0, 0, 128),     gdi::rgb(128, 0, 128), gdi::rgb(0, 128, 128), gdi::rgb(192, 192, 192),
    gdi::rgb(128, 128, 128), gdi::rgb(255, 0, 0),   gdi::rgb(0, 255, 0),   gdi::rgb(255, 255, 0),
    gdi::rgb(0, 0, 255),     gdi::rgb(255, 0, 255), gdi::rgb(0, 255, 255), gdi::rgb(255, 255, 255),
};
// Hatch styles in the list's order: "////" first.
constexpr std::array<std::int32_t, 6> kHatchOrder{3, 4, 5, 2, 0, 1};
constexpr std::array<const char*, 4> kFillNames{"Без заливки", "Сплошная", "Сплошная и штриховка",
                                                "Штриховка"};
constexpr std::array<const char*, 6> kHatchNames{"Горизонтальная", "Вертикальная", "\\\\\\\\",
                                                 "////",           "Сетка",        "Косая сетка"};

// The line drawn in its style into a picture of the size, over the world
// rectangle.
QImage drawn(const Line& line, QSize size, const DRect& world) {
    QtImageDevice device({size.width(), size.height()}, gdi::rgb(255, 255, 255));
    DrawingCanvas canvas;
    canvas.beginExternal(&device);
    canvas.setWorldWindow(world.minX, world.minY, world.maxX, world.maxY);
    Line shown = line;
    for (std::int32_t* c :
         {&shown.style.colorLine, &shown.style.fillColor, &shown.style.patternColor}) {
        if (*c < 0) *c = static_cast<std::int32_t>(kPaletteColorShown);
    }
    drawLine(canvas, shown, nullptr);
    canvas.endExternal();
    return device.finishedImage().convertToFormat(QImage::Format_RGB32);
}

// A sample of a pen (an open stroke) or a fill (a closed square) in the
// style.
QIcon sampleIcon(const LineStyle& style, bool closed) {
    Line sample = closed ? Line({{1, 1}, {9, 1}, {9, 9}, {1, 9}, {1, 1}}) : Line({{0, 5}, {10, 5}});
    sample.style = style;
    return QIcon(QPixmap::fromImage(drawn(sample, kSampleSize, DRect{0, 0, 10, 10})));
}

QIcon colorIcon(std::int32_t color) {
    QPixmap swatch(kSampleSize);
    swatch.fill(qColorOf(color < 0 ? kPaletteColorShown : static_cast<gdi::ColorRef>(color)));
    return QIcon(swatch);
}

QString colorName(std::int32_t color) {
    if (color < 0) return uiText("Палитра %1").arg(-color);
    const auto c = static_cast<gdi::ColorRef>(color);
    return QStringLiteral("%1, %2, %3").arg(gdi::redOf(c)).arg(gdi::greenOf(c)).arg(gdi::blueOf(c));
}

gdi::ColorRef automaticColor() {
    return colorRefOf(QApplication::palette().color(QPalette::WindowText));
}

template <typename T>
T dataOf(const QComboBox& list) {
    return static_cast<T>(list.currentData().toInt());
}

// Selects the value; a value the list lacks (a style from a file) is added
// so that the field shows what the line has.
void selectData(QComboBox& list, int value) {
    int k = list.findData(value);
    if (k < 0) {
        list.addItem(QString::number(value), value);
        k = list.count() - 1;
    }
    list.setCurrentIndex(k);
}

QString sumText(const char* format, double value) {
    return QString::fromStdString(formatText(format, {value}));
}

}  // namespace

// --- What the dialog gives ---------------------------------------------------------------------

bool LineLook::anyChanged() const {
    return nameChanged || widthChanged || penChanged || colorChanged || fillChanged ||
           fillColorChanged || hatchChanged || patternColorChanged;
}

void LineLook::applyTo(Line& line, bool named) const {
    if (named && nameChanged) line.name = name;
    if (widthChanged) line.style.widthLine = style.widthLine;
    if (penChanged) line.style.penStyle = style.penStyle;
    if (colorChanged) line.style.colorLine = style.colorLine;
    if (fillChanged) line.style.typeDraw = style.typeDraw;
    if (fillColorChanged) line.style.fillColor = style.fillColor;
    if (hatchChanged) line.style.hatch = style.hatch;
    if (patternColorChanged) line.style.patternColor = style.patternColor;
}

void LineLook::writeDefaults() const {
    if (fillChanged) writeProfileInt(kLineOption, "TypeDraw", style.typeDraw);
    if (fillColorChanged) writeProfileInt(kLineOption, "ColorPattern", style.fillColor);
    if (colorChanged) writeProfileInt(kLineOption, "ColorLine", style.colorLine);
    if (widthChanged) writeProfileInt(kLineOption, "WidthLine", style.widthLine);
    if (nameChanged) writeProfileText(kLineOption, "DefaultLineName", name);
}

// --- "Изменить вид линии" ------------------------------------------------------------------------

LineDialog::LineDialog(const std::vector<const Line*>& lines, const EqNet* grid, QWidget* parent)
    : QDialog(parent), start_(lines.empty() || lines.front() == nullptr ? Line() : *lines.front()) {
    setObjectName(QStringLiteral("lineDialog"));
    setWindowTitle(uiText("Изменить вид линии"));
    const LineStyle& s = start_.style;
    name_ = new QLineEdit(QString::fromStdString(start_.name.value_or("")), this);
    // A name is a line's own: the lines of a group keep theirs.
    name_->setEnabled(lines.size() == 1);
    width_ = spinField(this, 0, std::max(kMaxWidth, s.widthLine), s.widthLine);
    pen_ = new QComboBox(this);
    for (int k = 0; k < static_cast<int>(kPenStyleNames.size()); ++k) {
        LineStyle sample;
        sample.penStyle = k;
        pen_->addItem(sampleIcon(sample, false),
                      uiText(kPenStyleNames[static_cast<std::size_t>(k)]), k);
    }
    pen_->setIconSize(kSampleSize);
    selectData(*pen_, s.penStyle);
    color_ = colorList(s.colorLine);
    fill_ = new QComboBox(this);
    for (int k = 0; k < static_cast<int>(kFillNames.size()); ++k) {
        fill_->addItem(uiText(kFillNames[static_cast<std::size_t>(k)]), k);
    }
    selectData(*fill_, s.typeDraw);
    fillColor_ = colorList(s.fillColor);
    hatch_ = new QComboBox(this);
    for (const std::int32_t h : kHatchOrder) {
        LineStyle sample;
        sample.typeDraw = LineStyle::kHatched;
        sample.hatch = h;
        hatch_->addItem(sampleIcon(sample, true), uiText(kHatchNames[static_cast<std::size_t>(h)]),
                        h);
    }
    hatch_->setIconSize(kSampleSize);
    selectData(*hatch_, s.hatch);
    patternColor_ = colorList(s.patternColor);
    all_ = new QCheckBox(uiText("Все линии"), this);

    // The sums over the lines.
    double length = 0, area = 0, volume = 0;
    bool closed = false;
    const bool gridded = grid != nullptr && grid->hasValues();
    for (const Line* line : lines) {
        if (line == nullptr) continue;
        length += line->length();
        if (line->isClosed()) {
            closed = true;
            area += line->area();
            if (gridded) volume += grid->volumeOver(*line);
        }
    }
    length_ = new QLabel(sumText("L = %lg", length), this);
    area_ = new QLabel(closed ? sumText("S = %lg", area) : QString(), this);
    volume_ = new QLabel(closed && gridded ? sumText("V = %lg", volume) : QString(), this);
    for (QLabel* label : {length_, area_, volume_}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    preview_ = new QLabel(this);
    preview_->setFixedSize(kPreviewSize);
    preview_->setFrameShape(QFrame::StyledPanel);

    auto* form = new QFormLayout;
    form->addRow(uiText("Имя"), name_);
    form->addRow(uiText("Ширина"), width_);
    form->addRow(uiText("Тип линии"), pen_);
    form->addRow(uiText("Цвет"), color_);
    form->addRow(uiText("Заливка"), fill_);
    form->addRow(uiText("Цвет заливки"), fillColor_);
    form->addRow(uiText("Штриховка"), hatch_);
    form->addRow(uiText("Цвет штриховки"), patternColor_);
    auto* sums = new QHBoxLayout;
    sums->addWidget(length_);
    sums->addWidget(area_);
    sums->addWidget(volume_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview_, 0, Qt::AlignHCenter);
    layout->addLayout(form);
    layout->addLayout(sums);
    layout->addWidget(all_);
    layout->addWidget(yesButtons(*this));

    connect(width_, &QSpinBox::valueChanged, this, &LineDialog::showPreview);
    for (QComboBox* list : {pen_, color_, fill_, fillColor_, hatch_, patternColor_}) {
        connect(list, &QComboBox::currentIndexChanged, this, &LineDialog::showPreview);
    }
    showPreview();
}

QComboBox* LineDialog::colorList(std::int32_t color) {
    auto* list = new QComboBox(this);
    list->setIconSize(kSampleSize);
    for (const gdi::ColorRef c : kListColors) {
        const auto value = static_cast<std::int32_t>(c);
        list->addItem(colorIcon(value), colorName(value), value);
    }
    const auto automatic = static_cast<std::int32_t>(automaticColor());
    list->addItem(colorIcon(automatic), uiText("Automatic"), automatic);
    // "Другой...": any colour through the colour dialog.
    list->addItem(uiText("Другой..."));
    selectColor(*list, color);
    // The colour shown before "Другой..." was picked: the colour dialog
    // starts at it, and a cancelled dialog goes back to it.
    list->setProperty(kShownColor, color);
    connect(list, &QComboBox::currentIndexChanged, this, [list](int index) {
        if (list->itemData(index).isValid()) list->setProperty(kShownColor, list->itemData(index));
    });
    connect(list, &QComboBox::activated, this, [this, list](int index) {
        if (list->itemData(index).isValid()) return;
        const std::int32_t shown = list->property(kShownColor).toInt();
        const std::optional<gdi::ColorRef> chosen =
            askColor(this, shown < 0 ? 0 : static_cast<gdi::ColorRef>(shown));
        selectColor(*list, chosen ? static_cast<std::int32_t>(*chosen) : shown);
    });
    return list;
}

void LineDialog::selectColor(QComboBox& list, std::int32_t color) {
    int k = list.findData(color);
    if (k < 0) {
        // A colour of its own goes before "Другой...".
        k = std::max(0, list.count() - 1);
        list.insertItem(k, colorIcon(color), colorName(color), color);
    }
    list.setCurrentIndex(k);
}

LineLook LineDialog::look() const {
    LineLook l;
    const LineStyle& s = start_.style;
    l.style = s;
    l.style.widthLine = width_->value();
    l.style.penStyle = dataOf<std::int32_t>(*pen_);
    l.style.colorLine = dataOf<std::int32_t>(*color_);
    l.style.typeDraw = dataOf<std::int32_t>(*fill_);
    l.style.fillColor = dataOf<std::int32_t>(*fillColor_);
    l.style.hatch = dataOf<std::int32_t>(*hatch_);
    l.style.patternColor = dataOf<std::int32_t>(*patternColor_);
    l.name = name_->text().toStdString();
    l.nameChanged = l.name != start_.name.value_or("");
    l.widthChanged = l.style.widthLine != s.widthLine;
    l.penChanged = l.style.penStyle != s.penStyle;
    l.colorChanged = l.style.colorLine != s.colorLine;
    l.fillChanged = l.style.typeDraw != s.typeDraw;
    l.fillColorChanged = l.style.fillColor != s.fillColor;
    l.hatchChanged = l.style.hatch != s.hatch;
    l.patternColorChanged = l.style.patternColor != s.patternColor;
    l.allLines = all_->isChecked();
    return l;
}

QImage LineDialog::previewPicture(const Line& line, QSize size) {
    const DRect& e = line.extent();
    const double w = std::max(e.maxX - e.minX, e.maxY - e.minY) * 1e-3 + 1e-9;
    const double dx = std::max(e.maxX - e.minX, w), dy = std::max(e.maxY - e.minY, w);
    const double cx = (e.minX + e.maxX) / 2, cy = (e.minY + e.maxY) / 2;
    return drawn(line, size, DRect{cx - 0.55 * dx, cy - 0.55 * dy, cx + 0.55 * dx, cy + 0.55 * dy});
}

void LineDialog::showPreview() {
    Line shown = start_;
    look().applyTo(shown, false);
    preview_->setPixmap(QPixmap::fromImage(previewPicture(shown, kPreviewSize)));
}

bool runLineDialog(QWidget* parent, CVexaView& view, const std::vector<Line*>& lines) {
    if (lines.empty()) return false;
    MapModel& model = view.model();
    const std::vector<const Line*> shown(lines.begin(), lines.end());
    LineDialog dialog(shown, model.grid(), parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const LineLook look = dialog.look();
    if (!look.anyChanged() && !look.allLines) return false;
    // A name is a line's own: a group's lines keep theirs.
    const bool named = lines.size() == 1;
    for (Line* line : lines) look.applyTo(*line, named);
    if (look.allLines) model.objectTree().copyLineStyle(*lines.front());
    look.writeDefaults();
    if (look.nameChanged && named) model.kept.defaultLineName = look.name;
    model.notify(kLinesChanged);
    view.markChanged();
    return true;
}

}  // namespace gridova
