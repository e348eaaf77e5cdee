#include "app/node_window.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/ui_text.h"
#include "app/window_place.h"
#include "platform/messages.h"
#include "render/map_view.h"

namespace gridova {
namespace {

constexpr int kTitle = 9153;   // "Узел сетки"
constexpr int kColumn = 9154;  // "Столбец"
constexpr int kRow = 9155;     // "Строка"
constexpr int kValue = 9156;   // "Значение"
constexpr int kHint = 9157;    // "Щёлкните узел на карте"

}  // namespace

NodeWindow::NodeWindow(CVexaView& view, QWidget* owner)
    : QDialog(owner, Qt::Tool), view_(view), owner_(owner) {
    setObjectName(QStringLiteral("nodeWindow"));
    setWindowTitle(uiText(kTitle));
    setModal(false);
    text_ = new QLabel(uiText(kHint), this);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
}

NodeWindow::~NodeWindow() { view_.nodePicking().close(); }

void NodeWindow::startPicking() {
    view_.nodePicking().open = true;
    showPicked();
    if (!isVisible()) {
        placeWindow(*this, kResource, owner_);
        show();
    }
    raise();
}

void NodeWindow::showPicked() {
    const auto picked = view_.pickedNode();
    if (!picked) {
        text_->setText(uiText(kHint));
        return;
    }
    text_->setText(uiText(kColumn) + ' ' + QString::number(picked->column) + QStringLiteral("  ") +
                   uiText(kRow) + ' ' + QString::number(picked->rowFromTop) + QStringLiteral("  ") +
                   uiText(kValue) + ' ' + QString::fromStdString(coordinateNumber(picked->value)));
}

QString NodeWindow::shownText() const { return text_->text(); }

void NodeWindow::done(int result) {
    if (isVisible()) rememberWindowPlace(*this, kResource);
    view_.nodePicking().close();
    view_.invalidateMap();
    QDialog::done(result);
}

}  // namespace gridova
