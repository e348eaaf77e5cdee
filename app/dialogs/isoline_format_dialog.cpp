#include "app/dialogs/isoline_format_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/font_dialog.h"
#include "app/ui_text.h"
#include "contour/isoline_set.h"
#include "platform/messages.h"
#include "platform/qt/qt_device.h"
#include "render/drawing_canvas.h"
#include "render/isoline_painter.h"

namespace gridova {
namespace {

constexpr int kEmptyIsoline = 182;  // "Изолиния пустая"
constexpr int kMaxWidth = 20;
constexpr int kMaxSpacing = 10000;  // px
const QSize kPreviewSize(300, 160);

}  // namespace

IsolineFormatDialog::IsolineFormatDialog(const IsolineFormat& format, const Line& piece,
                                         QWidget* parent)
    : QDialog(parent),
      start_(format),
      piece_(piece),
      fontChosen_(format.font),
      textColor_(format.colorText) {
    setObjectName(QStringLiteral("isolineFormatDialog"));
    setWindowTitle(uiText("Изменить вид изолинии"));
    const auto spin = [this](int lo, int hi, int value) { return spinField(this, lo, hi, value); };
    width_ = spin(0, kMaxWidth, format.widthLine);
    style_ = new QComboBox(this);
    for (const char* name : kPenStyleNames) style_->addItem(uiText(name));
    style_->setCurrentIndex(std::clamp(format.penStyle, 0, style_->count() - 1));
    lineColor_ = new ColorButton(uiText("Цвет..."), format.colorLine, this);
    labels_ = new QCheckBox(uiText("Показывать"), this);
    labels_->setChecked(format.badgetShow != 0);
    orient_ = new QComboBox(this);
    for (const char* name : {"По умолчанию", "В сторону возрастания", "В сторону убывания"}) {
        orient_->addItem(uiText(name));
    }
    orient_->setCurrentIndex(std::clamp(static_cast<int>(format.orient), 0, 2));
    digits_ = spin(0, IsolineFormat::kMaxDigits, format.decimalDigit);
    font_ = new QPushButton(uiText("Шрифт..."), this);
    border_ = new ColorButton(uiText("Цвет бордюра..."), format.colorLabelLine, this);
    fill_ = new ColorButton(uiText("Цвет значка..."), format.colorLabelPattern, this);
    first_ = spin(0, kMaxSpacing, format.initSpacing);
    spacing_ = spin(0, kMaxSpacing, format.spacing);
    all_ = new QCheckBox(uiText("Все изолинии"), this);
    preview_ = new QLabel(this);
    preview_->setFixedSize(kPreviewSize);
    preview_->setFrameShape(QFrame::StyledPanel);

    auto* line = new QGroupBox(uiText("Линия"), this);
    auto* lineForm = new QFormLayout(line);
    lineForm->addRow(uiText("Ширина"), width_);
    lineForm->addRow(uiText("Тип"), style_);
    lineForm->addRow(QString(), lineColor_);
    auto* label = new QGroupBox(uiText("Значок значения"), this);
    auto* labelForm = new QFormLayout(label);
    labelForm->addRow(labels_);
    labelForm->addRow(uiText("Направление"), orient_);
    labelForm->addRow(uiText("Число дробных цифр"), digits_);
    labelForm->addRow(QString(), font_);
    labelForm->addRow(QString(), border_);
    labelForm->addRow(QString(), fill_);
    labelForm->addRow(uiText("От начала линии"), first_);
    labelForm->addRow(uiText("Между"), spacing_);
    auto* fields = new QHBoxLayout;
    fields->addWidget(line);
    fields->addWidget(label);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(preview_, 0, Qt::AlignHCenter);
    layout->addWidget(all_);
    layout->addWidget(yesButtons(*this));

    connect(font_, &QPushButton::clicked, this, [this] {
        FontDialog dialog(fontChosen_, textColor_, this);
        if (runDialog(dialog) == QDialog::Accepted) setFont(dialog.font(), dialog.color());
    });
    for (QSpinBox* box : {width_, digits_, first_, spacing_}) {
        connect(box, &QSpinBox::valueChanged, this, &IsolineFormatDialog::showPreview);
    }
    for (QComboBox* list : {style_, orient_}) {
        connect(list, &QComboBox::currentIndexChanged, this, &IsolineFormatDialog::showPreview);
    }
    connect(labels_, &QCheckBox::toggled, this, &IsolineFormatDialog::showPreview);
    for (ColorButton* button : {lineColor_, border_, fill_}) {
        connect(button, &QPushButton::clicked, this, &IsolineFormatDialog::showPreview);
    }
    showPreview();
}

IsolineFormat IsolineFormatDialog::format() const {
    IsolineFormat f = start_;
    f.widthLine = width_->value();
    f.penStyle = style_->currentIndex();
    f.colorLine = lineColor_->color();
    f.badgetShow = labels_->isChecked() ? 1 : 0;
    f.orient = static_cast<LabelOrient>(orient_->currentIndex());
    f.decimalDigit = digits_->value();
    f.font = fontChosen_;
    f.colorText = textColor_;
    f.colorLabelLine = border_->color();
    f.colorLabelPattern = fill_->color();
    f.initSpacing = first_->value();
    f.spacing = spacing_->value();
    return f;
}

void IsolineFormatDialog::setFont(const gdi::LogFont& font, gdi::ColorRef color) {
    fontChosen_ = font;
    textColor_ = color;
    showPreview();
}

QImage IsolineFormatDialog::previewPicture(const Line& piece, const IsolineFormat& format,
                                           QSize size) {
    QtImageDevice device({size.width(), size.height()}, gdi::rgb(255, 255, 255));
    DrawingCanvas canvas;
    canvas.beginExternal(&device);
    const DRect& e = piece.extent();
    const double w = std::max(e.maxX - e.minX, 1e-9), h = std::max(e.maxY - e.minY, 1e-9);
    canvas.setWorldWindow(e.minX - 0.05 * w, e.minY - 0.05 * h, e.maxX + 0.05 * w,
                          e.maxY + 0.05 * h);
    // As an isoline draws its pieces: in the format's font.
    canvas.selectFont(format.font);
    drawIsolinePiece(canvas, piece, format);
    canvas.restoreGeneralFont();
    canvas.endExternal();
    return device.finishedImage().convertToFormat(QImage::Format_RGB32);
}

void IsolineFormatDialog::showPreview() {
    preview_->setPixmap(QPixmap::fromImage(previewPicture(piece_, format(), kPreviewSize)));
}

bool runIsolineFormatDialog(QWidget* parent, MapModel& model, const std::vector<int>& indexes) {
    IsolineSet* set = model.isolines();
    if (set == nullptr || indexes.empty() || set->at(indexes.front()) == nullptr) return false;
    const Isoline& first = *set->at(indexes.front());
    const Line* longest = first.pieces().longestLine();
    if (longest == nullptr) {
        warning(text(kEmptyIsoline));
        return false;
    }
    IsolineFormatDialog dialog(first.format, *longest, parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    model.applyIsolineFormat(indexes, dialog.format(), dialog.allBox()->isChecked());
    return true;
}

}  // namespace gridova
