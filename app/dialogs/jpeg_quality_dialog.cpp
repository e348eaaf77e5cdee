#include "app/dialogs/jpeg_quality_dialog.h"
#include "app/ui_text.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr int kNeedsWhole = 9163;  // "%s: нужно целое число от 0 до %d"
constexpr int kMinWidth = 260;     // pixels

}  // namespace

JpegQualityDialog::JpegQualityDialog(int quality, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("jpegQualityDialog"));
    setWindowTitle(uiText("Степень сжатия JPEG"));
    quality_ = new QLineEdit(QString::number(quality), this);
    auto* form = new QFormLayout;
    form->addRow(uiText("Качество"), quality_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(yesButtons(*this));
    // Wide enough for its caption.
    setMinimumWidth(std::max(kMinWidth, fontMetrics().horizontalAdvance(windowTitle()) + 120));
}

std::optional<int> JpegQualityDialog::quality() {
    const std::optional<int> q = fieldWhole(*quality_);
    if (!q || *q < 0 || *q > kMaxQuality) {
        refuseField(kNeedsWhole, uiText("Качество"), *quality_, kMaxQuality);
        return std::nullopt;
    }
    return q;
}

void JpegQualityDialog::accept() {
    if (!quality()) return;  // said; the dialog stays
    QDialog::accept();
}

bool runJpegQualityDialog(QWidget* parent) {
    std::int32_t start = JpegQualityDialog::kDefaultQuality;
    readProfileInt(JpegQualityDialog::kSection, JpegQualityDialog::kKey, start);
    // A stored value out of range is written as the writer holds it.
    JpegQualityDialog dialog(std::clamp(start, 0, JpegQualityDialog::kMaxQuality), parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const std::optional<int> chosen = dialog.quality();
    if (!chosen) return false;
    writeProfileInt(JpegQualityDialog::kSection, JpegQualityDialog::kKey, *chosen);
    return true;
}

}  // namespace gridova
