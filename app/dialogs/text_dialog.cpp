#include "app/dialogs/text_dialog.h"
#include "app/ui_text.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/font_dialog.h"

namespace gridova {
namespace {

constexpr int kNeedsNumber = 9161;  // "%s: нужно число"
constexpr int kNeedsText = 9183;    // "%s: нужен текст"

}  // namespace

TextDialog::TextDialog(const MapText& text, QWidget* parent) : QDialog(parent), start_(text) {
    setObjectName(QStringLiteral("textDialog"));
    setWindowTitle(uiText("Текст"));
    text_ = new QLineEdit(QString::fromStdString(text.text.value_or("")), this);
    text_->setMinimumWidth(320);
    x_ = new QLineEdit(fieldText(text.place[0]), this);
    y_ = new QLineEdit(fieldText(text.place[1]), this);
    font_ = new QPushButton(uiText("Шрифт..."), this);
    connect(font_, &QPushButton::clicked, this, [this] {
        FontDialog dialog(start_.font.value_or(gdi::LogFont::pointFont("Arial", 100)), start_.color,
                          this);
        if (!text_->text().isEmpty()) dialog.setSampleText(text_->text());
        if (runDialog(dialog) != QDialog::Accepted) return;
        start_.font = dialog.font();
        start_.color = dialog.color();
    });
    auto* form = new QFormLayout;
    form->addRow(uiText("Текст"), text_);
    auto* place = new QHBoxLayout;
    place->addWidget(x_);
    place->addWidget(y_);
    form->addRow(QStringLiteral("X, Y"), place);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(font_, 0, Qt::AlignLeft);
    layout->addWidget(yesButtons(*this));
}

std::optional<MapText> TextDialog::text() {
    if (text_->text().trimmed().isEmpty()) {
        refuseField(kNeedsText, uiText("Текст"), *text_);
        return std::nullopt;
    }
    const std::optional<double> x = fieldNumber(*x_);
    if (!x) {
        refuseField(kNeedsNumber, QStringLiteral("X"), *x_);
        return std::nullopt;
    }
    const std::optional<double> y = fieldNumber(*y_);
    if (!y) {
        refuseField(kNeedsNumber, QStringLiteral("Y"), *y_);
        return std::nullopt;
    }
    MapText t = start_;
    t.text = text_->text().toStdString();
    t.place[0] = *x;
    t.place[1] = *y;
    t.place[2] = MapText::kWorldPlaced;
    return t;
}

void TextDialog::accept() {
    if (!text()) return;  // said; the dialog stays
    QDialog::accept();
}

bool addTextAsked(QWidget* parent, CVexaView& view, Bush& group) {
    MapText start;
    start.font = gdi::LogFont::pointFont("Arial", 100);
    const WorldRect area = view.canvas().drawingAreaWorld();
    start.place[0] = (area.xmin + area.xmax) / 2;
    start.place[1] = (area.ymin + area.ymax) / 2;
    TextDialog dialog(start, parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    std::optional<MapText> text = dialog.text();
    if (!text) return false;
    view.model().addText(group, std::move(*text));
    view.markChanged();
    return true;
}

bool editTextAsked(QWidget* parent, CVexaView& view, BushItem& item) {
    MapText* current = item.text();
    if (current == nullptr) return false;
    MapText start = *current;
    if (!start.worldPlaced()) {
        // A text kept at its place on the window gets the world point there.
        const DrawingCanvas& c = view.canvas();
        start.place[0] = c.toWorldX(start.left);
        start.place[1] = c.toWorldY(start.top);
    }
    TextDialog dialog(start, parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    std::optional<MapText> text = dialog.text();
    if (!text) return false;
    *current = std::move(*text);
    view.model().notify(kLinesChanged);
    view.markChanged();
    return true;
}

}  // namespace gridova
