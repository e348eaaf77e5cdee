#include "app/dialogs/map_size_dialog.h"
#include "app/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <tuple>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr int kNeedsPositive = 9159;  // "%s: нужно положительное число"
constexpr int kNeedsWhole = 9163;     // "%s: нужно целое число от 0 до %d"
constexpr int kNeedsFraction = 9179;  // "%s: нужно число от 0 до 1"
constexpr int kNeedsPageSide = 9181;  // "%s: нужно целое число от 1 до %d"
constexpr int kUnitsPerInch = 450;    // "Единиц на дюйм"
constexpr int kUnitsPerCm = 452;      // "Единиц на см"
constexpr double kCentimetresPerInch = 2.54;
constexpr std::int32_t kMaxSide = DrawingCanvas::kMaxPageSide;
constexpr int kPageTooLarge = 9184;  // "%s: больше %d пикселей"
const QSize kPreviewSize(170, 170);

const std::array<const char*, 4> kSideNames{"Слева", "Справа", "Сверху", "Снизу"};

// Where each side's values live.
double& coefficientOf(PrintSetup& s, int side) {
    switch (side) {
        case MapSizeDialog::Left:
            return s.marginLeftCoeff;
        case MapSizeDialog::Right:
            return s.marginRightCoeff;
        case MapSizeDialog::Top:
            return s.marginTopCoeff;
        default:
            return s.marginBottomCoeff;
    }
}
double& overlapOf(MultiPageSettings& m, int side) {
    switch (side) {
        case MapSizeDialog::Left:
            return m.leftOverlap;
        case MapSizeDialog::Right:
            return m.rightOverlap;
        case MapSizeDialog::Top:
            return m.topOverlap;
        default:
            return m.bottomOverlap;
    }
}
// pixelMargins is left, top, right, bottom.
constexpr std::array<std::size_t, 4> kPixelIndex{0, 2, 1, 3};

QString sideName(int side) { return uiText(kSideNames[static_cast<std::size_t>(side)]); }

}  // namespace

ScreenMetrics currentScreenMetrics() {
    ScreenMetrics metrics;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        metrics.pixelsPerInchX = screen->logicalDotsPerInchX();
        metrics.pixelsPerInchY = screen->logicalDotsPerInchY();
        metrics.size = {screen->size().width(), screen->size().height()};
    }
    return metrics;
}

MapSizeDialog::MapSizeDialog(const MapSizeSettings& start, bool aspectLocked,
                             const ScreenMetrics& screen, QWidget* parent)
    : QDialog(parent), start_(start), aspectLocked_(aspectLocked), screen_(screen) {
    setObjectName(QStringLiteral("mapSizeDialog"));
    setWindowTitle(uiText("Размеры карты"));
    const PrintSetup& s = start.setup;

    format_ = new QComboBox(this);
    for (int k = 0; k < kPaperFormatCount; ++k) {
        format_->addItem(QString::fromStdString(paperFormatText(k)), k);
    }
    format_->setCurrentIndex(std::clamp(s.page, 0, kPaperFormatCount - 1));
    portrait_ = new QRadioButton(uiText("Портрет"), this);
    landscape_ = new QRadioButton(uiText("Альбом"), this);
    (s.paperOrientation == 1 ? landscape_ : portrait_)->setChecked(true);
    width_ = new QLineEdit(QString::number(start.pageSize.cx), this);
    height_ = new QLineEdit(QString::number(start.pageSize.cy), this);
    auto* page = new QFormLayout;
    page->addRow(uiText("Формат"), format_);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(portrait_);
    orientation->addWidget(landscape_);
    page->addRow(orientation);
    page->addRow(uiText("Ширина"), width_);
    page->addRow(uiText("Высота"), height_);

    // "Поля": per side the screen margin, the paper margin and the overlap.
    auto* margins = new QGroupBox(uiText("Поля"), this);
    auto* grid = new QGridLayout(margins);
    grid->addWidget(new QLabel(uiText("Pixels"), this), 0, 1);
    grid->addWidget(new QLabel(uiText("Стр"), this), 0, 2);
    grid->addWidget(new QLabel(uiText("Накладка"), this), 0, 3);
    MultiPageSettings multi = start.multiPage;
    PrintSetup setup = s;
    for (int side = 0; side < 4; ++side) {
        const auto k = static_cast<std::size_t>(side);
        pixels_[k] = new QLineEdit(QString::number(start.pixelMargins[kPixelIndex[k]]), this);
        paper_[k] = new QLineEdit(fieldText(coefficientOf(setup, side)), this);
        overlap_[k] = new QLineEdit(fieldText(overlapOf(multi, side)), this);
        grid->addWidget(new QLabel(sideName(side), this), side + 1, 0);
        grid->addWidget(pixels_[k], side + 1, 1);
        grid->addWidget(paper_[k], side + 1, 2);
        grid->addWidget(overlap_[k], side + 1, 3);
    }

    auto* byCount = new QGroupBox(uiText("Многостраничная печать"), this);
    multiPage_ = new QCheckBox(uiText("Применить"), this);
    multiPage_->setChecked(start.multiPage.active != 0);
    across_ = spinField(this, 1, MultiPageSettings::kMaxCount, start.multiPage.horizontalCount);
    down_ = spinField(this, 1, MultiPageSettings::kMaxCount, start.multiPage.verticalCount);
    auto* countForm = new QFormLayout(byCount);
    countForm->addRow(multiPage_);
    countForm->addRow(uiText("По горизонтали"), across_);
    countForm->addRow(uiText("По вертикали"), down_);

    auto* byScale = new QGroupBox(uiText("Масштабная печать"), this);
    scale_ = new QCheckBox(uiText("Применить"), this);
    scale_->setChecked(s.scale != 0);
    unitsX_ = new QLineEdit(fieldText(s.unitsPerInchX), this);
    unitsY_ = new QLineEdit(fieldText(s.unitsPerInchY), this);
    units_ = new QComboBox(this);
    units_->addItem(uiText("Inch"), 0);
    units_->addItem(uiText("Cm"), 1);
    units_->setCurrentIndex(s.pageUnits == 1 ? 1 : 0);
    unitsLabel_ = new QLabel(this);
    unitsYLabel_ = new QLabel(QStringLiteral("Y:"), this);
    auto* scaleGrid = new QGridLayout(byScale);
    scaleGrid->addWidget(scale_, 0, 0, 1, 2);
    scaleGrid->addWidget(unitsLabel_, 1, 0, 1, 2);
    scaleGrid->addWidget(new QLabel(QStringLiteral("X:"), this), 2, 0);
    scaleGrid->addWidget(unitsX_, 2, 1);
    scaleGrid->addWidget(unitsYLabel_, 3, 0);
    scaleGrid->addWidget(unitsY_, 3, 1);
    scaleGrid->addWidget(new QLabel(uiText("Ед листа"), this), 4, 0);
    scaleGrid->addWidget(units_, 4, 1);

    preview_ = new QLabel(this);
    preview_->setFixedSize(kPreviewSize);
    preview_->setFrameShape(QFrame::StyledPanel);

    auto* left = new QVBoxLayout;
    left->addLayout(page);
    left->addWidget(margins);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(preview_, 0, Qt::AlignHCenter);
    right->addWidget(byCount);
    right->addWidget(byScale);
    right->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(yesButtons(*this));

    connect(format_, &QComboBox::currentIndexChanged, this, &MapSizeDialog::showPageSize);
    for (QRadioButton* b : {portrait_, landscape_}) {
        connect(b, &QRadioButton::toggled, this, &MapSizeDialog::showPageSize);
    }
    for (QLineEdit* edit : paper_) {
        connect(edit, &QLineEdit::editingFinished, this, &MapSizeDialog::showPageSize);
    }
    for (QLineEdit* edit : {width_, height_}) {
        connect(edit, &QLineEdit::editingFinished, this, &MapSizeDialog::showPreview);
    }
    // Applying one way of printing over pages switches the other off.
    connect(multiPage_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) scale_->setChecked(false);
        showStates();
    });
    connect(scale_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) multiPage_->setChecked(false);
        showStates();
    });
    connect(units_, &QComboBox::currentIndexChanged, this, &MapSizeDialog::showStates);
    showStates();
    showPageSize();
}

PrintSetup MapSizeDialog::typedSetup() {
    PrintSetup setup = start_.setup;
    for (int side = 0; side < 4; ++side) {
        const std::optional<double> v = fieldNumber(*paper_[static_cast<std::size_t>(side)]);
        if (v && *v >= 0 && *v <= 1) coefficientOf(setup, side) = *v;
    }
    // A right (bottom) margin is at most what the left (top) one leaves.
    const auto hold = [this, &setup](int side, double limit) {
        double& c = coefficientOf(setup, side);
        if (c > limit) {
            c = limit;
            paper_[static_cast<std::size_t>(side)]->setText(fieldText(c));
        }
    };
    hold(Right, 1.0 - setup.marginLeftCoeff);
    hold(Bottom, 1.0 - setup.marginTopCoeff);
    setup.page = format_->currentIndex();
    setup.paperOrientation = landscape_->isChecked() ? 1 : 0;
    return setup;
}

void MapSizeDialog::showPageSize() {
    const PrintSetup setup = typedSetup();
    const bool typed = setup.page == kPaperPixels;
    width_->setEnabled(typed);
    height_->setEnabled(typed);
    const std::optional<gdi::Size> size = pageSizeForFormat(setup.page, setup, screen_);
    if (size) {
        width_->setText(QString::number(size->cx));
        height_->setText(QString::number(size->cy));
    } else if (!typed) {
        // The screen's resolution is unknown: the size is typed.
        const QSignalBlocker block(format_);
        format_->setCurrentIndex(kPaperPixels);
        width_->setEnabled(true);
        height_->setEnabled(true);
    }
    showPreview();
}

void MapSizeDialog::showStates() {
    const bool scaled = scale_->isChecked();
    unitsX_->setEnabled(scaled);
    units_->setEnabled(scaled);
    unitsY_->setEnabled(scaled && !aspectLocked_);
    unitsYLabel_->setEnabled(unitsY_->isEnabled());
    across_->setEnabled(multiPage_->isChecked());
    down_->setEnabled(multiPage_->isChecked());
    for (QLineEdit* edit : overlap_) edit->setEnabled(overlapsUsed());
    unitsLabel_->setText(
        QString::fromStdString(text(units_->currentIndex() == 1 ? kUnitsPerCm : kUnitsPerInch)));
}

void MapSizeDialog::showPreview() {
    // The paper and, inside it, the page its margins leave.
    const PrintSetup setup = typedSetup();
    QImage picture(kPreviewSize, QImage::Format_RGB32);
    picture.fill(QColor(230, 230, 230));
    QPainter p(&picture);
    const PaperFormat& paper = paperFormats()[static_cast<std::size_t>(setup.page)];
    double w = paper.width, h = paper.height;
    if (w <= 0 || h <= 0) {
        // Pixels or the screen: the page is the whole sheet.
        w = std::max(1, width_->text().toInt());
        h = std::max(1, height_->text().toInt());
    } else if (setup.paperOrientation == 1) {
        std::swap(w, h);
    }
    const double room = kPreviewSize.width() - 20;
    const double k = room / std::max(w, h);
    const QRectF sheet((kPreviewSize.width() - w * k) / 2, (kPreviewSize.height() - h * k) / 2,
                       w * k, h * k);
    p.fillRect(sheet, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(sheet);
    if (paper.width > 0) {
        double l = setup.marginLeftCoeff, r = setup.marginRightCoeff;
        double t = setup.marginTopCoeff, b = setup.marginBottomCoeff;
        if (setup.paperOrientation == 1) {
            std::swap(l, t);
            std::swap(r, b);
        }
        const QRectF inner(sheet.left() + l * sheet.width(), sheet.top() + t * sheet.height(),
                           std::max(0.0, (1 - l - r) * sheet.width()),
                           std::max(0.0, (1 - t - b) * sheet.height()));
        p.setPen(QPen(QColor(0, 0, 160), 1, Qt::DashLine));
        p.drawRect(inner);
    }
    p.end();
    preview_->setPixmap(QPixmap::fromImage(picture));
}

bool MapSizeDialog::overlapsUsed() const { return scale_->isChecked() || multiPage_->isChecked(); }

std::optional<MapSizeSettings> MapSizeDialog::settings() {
    MapSizeSettings out = start_;
    for (int side = 0; side < 4; ++side) {
        const auto k = static_cast<std::size_t>(side);
        const std::optional<int> pixels = fieldWhole(*pixels_[k]);
        if (!pixels || *pixels < 0 || *pixels > kMaxPixelMargin) {
            refuseField(kNeedsWhole, uiText("Pixels") + QLatin1Char(' ') + sideName(side),
                        *pixels_[k], kMaxPixelMargin);
            return std::nullopt;
        }
        out.pixelMargins[kPixelIndex[k]] = *pixels;
        for (QLineEdit* edit : {paper_[k], overlap_[k]}) {
            const std::optional<double> v = fieldNumber(*edit);
            const bool used = edit == paper_[k] || overlapsUsed();
            if (used && (!v || *v < 0 || *v > 1)) {
                refuseField(
                    kNeedsFraction,
                    (edit == paper_[k] ? uiText("Стр ") : uiText("Накладка ")) + sideName(side),
                    *edit);
                return std::nullopt;
            }
        }
    }
    out.setup = typedSetup();
    const PrintSetup& s = out.setup;
    if (s.page == kPaperPixels) {
        for (QLineEdit* edit : {width_, height_}) {
            const std::optional<int> side = fieldWhole(*edit);
            if (!side || *side < 1 || *side > kMaxSide) {
                refuseField(kNeedsPageSide, edit == width_ ? uiText("Ширина") : uiText("Высота"),
                            *edit, kMaxSide);
                return std::nullopt;
            }
        }
    }
    // A paper format's page follows its margins, whatever the fields show.
    const std::optional<gdi::Size> paper = pageSizeForFormat(s.page, s, screen_);
    out.pageSize = paper ? *paper : gdi::Size{width_->text().toInt(), height_->text().toInt()};
    for (const auto& [side, edit, name] :
         {std::tuple{out.pageSize.cx, width_, uiText("Ширина")},
          std::tuple{out.pageSize.cy, height_, uiText("Высота")}}) {
        if (side < 1 || side > kMaxSide) {
            refuseField(kNeedsPageSide, name, *edit, kMaxSide);
            return std::nullopt;
        }
    }
    if (!DrawingCanvas::pageSizeAllowed(out.pageSize)) {
        refuseField(kPageTooLarge, uiText("Ширина × Высота"), *width_,
                    DrawingCanvas::kMaxPagePixels);
        return std::nullopt;
    }
    out.setup.scale = scale_->isChecked() ? 1 : 0;
    if (scale_->isChecked()) {
        const std::optional<double> x = fieldNumber(*unitsX_);
        if (!x || *x <= 0) {
            refuseField(kNeedsPositive, QStringLiteral("X"), *unitsX_);
            return std::nullopt;
        }
        std::optional<double> y = x;
        if (!aspectLocked_) {
            y = fieldNumber(*unitsY_);
            if (!y || *y <= 0) {
                refuseField(kNeedsPositive, QStringLiteral("Y"), *unitsY_);
                return std::nullopt;
            }
        }
        out.setup.unitsPerInchX = *x;
        out.setup.unitsPerInchY = *y;
        out.setup.pageUnits = units_->currentIndex();
        out.setup.unitCoef = out.setup.pageUnits == 1 ? 1.0 / kCentimetresPerInch : 1.0;
    }
    out.multiPage.active = multiPage_->isChecked() ? 1 : 0;
    out.multiPage.horizontalCount = across_->value();
    out.multiPage.verticalCount = down_->value();
    // The overlaps belong to both ways of printing over pages.
    if (overlapsUsed()) {
        for (int side = 0; side < 4; ++side) {
            overlapOf(out.multiPage, side) =
                *fieldNumber(*overlap_[static_cast<std::size_t>(side)]);
        }
    }
    return out;
}

void MapSizeDialog::accept() {
    if (!settings()) return;  // said; the dialog stays
    QDialog::accept();
}

std::optional<bool> askMapSize(QWidget* parent, CanvasView& view) {
    MapSizeSettings start;
    start.setup = view.printSetup;
    start.multiPage = view.multiPage;
    start.pixelMargins = view.pixelMargins;
    start.pageSize = view.canvas().pageSize();
    MapSizeDialog dialog(start, view.aspectRatio != 0, currentScreenMetrics(), parent);
    if (runDialog(dialog) != QDialog::Accepted) return std::nullopt;
    const std::optional<MapSizeSettings> chosen = dialog.settings();
    if (!chosen) return std::nullopt;
    const bool changed =
        !(chosen->setup == view.printSetup) || !(chosen->multiPage == view.multiPage) ||
        chosen->pixelMargins != view.pixelMargins || chosen->pageSize != view.canvas().pageSize();
    view.printSetup = chosen->setup;
    view.multiPage = chosen->multiPage;
    if (chosen->pixelMargins != view.pixelMargins) {
        view.pixelMargins = chosen->pixelMargins;
        view.writePixelMargins();
    }
    view.canvas().setPageSize(chosen->pageSize);  // kept in the profile
    view.printSetup.writeProfile();
    view.multiPage.writeProfile();
    view.invalidateMap();
    return changed;
}

bool runMapSizeDialog(QWidget* parent, CVexaView& view) {
    // The page settings are kept in the document.
    if (askMapSize(parent, view).value_or(false)) view.markChanged();
    return true;
}

}  // namespace gridova
