#include "app/dialogs/title_dialog.h"
#include "app/ui_text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/font_dialog.h"
#include "data/font_block.h"

namespace gridova {
namespace {

// The title's lines are drawn in the general fonts 2, 3 and 4.
constexpr int kFirstTitleFont = 2;

}  // namespace

TitleDialog::TitleDialog(const MapTitle& title, const std::array<gdi::LogFont, kLines>& fonts,
                         QWidget* parent)
    : QDialog(parent), start_(title), fonts_(fonts) {
    setObjectName(QStringLiteral("titleDialog"));
    setWindowTitle(uiText("Заголовок карты"));
    auto* grid = new QGridLayout;
    for (int k = 0; k < kLines; ++k) {
        const auto uk = static_cast<std::size_t>(k);
        const std::optional<std::string>& text =
            uk < title.lines.size() ? title.lines[uk].text : std::nullopt;
        lines_[uk] = new QLineEdit(QString::fromStdString(text.value_or("")), this);
        lines_[uk]->setMinimumWidth(320);
        fontButtons_[uk] = new QPushButton(uiText("Шрифт..."), this);
        grid->addWidget(lines_[uk], k, 0);
        grid->addWidget(fontButtons_[uk], k, 1);
        connect(fontButtons_[uk], &QPushButton::clicked, this, [this, uk] {
            const gdi::ColorRef color =
                uk < start_.lines.size() ? start_.lines[uk].color : gdi::ColorRef{0};
            FontDialog dialog(fonts_[uk], color, this);
            if (runDialog(dialog) != QDialog::Accepted) return;
            fonts_[uk] = dialog.font();
            if (uk < start_.lines.size()) start_.lines[uk].color = dialog.color();
        });
    }
    show_ = new QCheckBox(uiText("Показать заголовок"), this);
    show_->setChecked(title.show != 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(show_);
    layout->addWidget(yesButtons(*this));
}

MapTitle TitleDialog::title() const {
    MapTitle t = start_;
    t.lines.resize(kLines);
    for (int k = 0; k < kLines; ++k) {
        const auto uk = static_cast<std::size_t>(k);
        const std::string text = lines_[uk]->text().toStdString();
        t.lines[uk].text = text.empty() ? std::nullopt : std::optional<std::string>(text);
    }
    t.show = show_->isChecked() ? 1 : 0;
    return t;
}

std::optional<MapTitle> askTitle(QWidget* parent, DrawingCanvas& canvas, const MapTitle& current) {
    std::array<gdi::LogFont, TitleDialog::kLines> fonts;
    for (int k = 0; k < TitleDialog::kLines; ++k) {
        fonts[static_cast<std::size_t>(k)] = canvas.generalFont(kFirstTitleFont + k);
    }
    TitleDialog dialog(current, fonts, parent);
    if (runDialog(dialog) != QDialog::Accepted) return std::nullopt;
    for (int k = 0; k < TitleDialog::kLines; ++k) {
        const gdi::LogFont& font = dialog.fonts()[static_cast<std::size_t>(k)];
        canvas.setGeneralFont(kFirstTitleFont + k, font);
        writeLogFontProfile("GeneralFont" + std::to_string(kFirstTitleFont + k), font);
    }
    return dialog.title();
}

bool runTitleDialog(QWidget* parent, CVexaView& view) {
    const MapTitle* current = view.mapTitle();
    const std::optional<MapTitle> chosen = askTitle(
        parent, view.canvas(), current != nullptr ? *current : MapTitle::fromTexts({"", "", ""}));
    if (!chosen) return true;
    view.setTitle(*chosen);
    view.invalidateMap();
    return true;
}

}  // namespace gridova
