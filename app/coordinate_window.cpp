#include "app/coordinate_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_fields.h"
#include "app/ui_text.h"
#include "app/window_place.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "render/map_view.h"

namespace gridova {
namespace {

constexpr int kAddPoint = 399;          // "Добавить точку"
constexpr int kCoordinateInput = 9133;  // "Ввод координат"

}  // namespace

CoordinateWindow::CoordinateWindow(CVexaView& view, QWidget* owner)
    : QDialog(owner, Qt::Tool), view_(view), owner_(owner) {
    setObjectName(QStringLiteral("coordinateWindow"));
    setModal(false);
    x_ = new QLineEdit(this);
    y_ = new QLineEdit(this);
    mouse_ = new QLabel(this);
    ok_ = new QPushButton(this);
    ok_->setDefault(true);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("X"), x_);
    fields->addRow(QStringLiteral("Y"), y_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(mouse_);
    layout->addWidget(ok_, 0, Qt::AlignRight);
    connect(ok_, &QPushButton::clicked, this, [this] { confirm(); });
}

void CoordinateWindow::openFor(Mode mode) {
    mode_ = mode;
    setWindowTitle(uiText(mode == Mode::AddToLine ? kAddPoint : kCoordinateInput));
    ok_->setText(mode == Mode::AddToLine ? uiText("Добавить") : uiText("Да"));
    if (!isVisible()) {
        placeWindow(*this, kResource, owner_);
        show();
    }
    raise();
}

void CoordinateWindow::showMouse(double x, double y) {
    mouse_->setText(QStringLiteral("X ") + QString::fromStdString(coordinateNumber(x)) +
                    QStringLiteral("  Y ") + QString::fromStdString(coordinateNumber(y)));
}

void CoordinateWindow::pick(double x, double y) {
    x_->setText(QString::fromStdString(formatDouble(x)));
    y_->setText(QString::fromStdString(formatDouble(y)));
}

QString CoordinateWindow::mouseText() const { return mouse_->text(); }

bool CoordinateWindow::confirm() {
    const auto x = fieldNumber(*x_);
    const auto y = fieldNumber(*y_);
    if (!x || !y) return false;
    if (mode_ == Mode::AddToLine) {
        if (!view_.lineInput()) return false;
        view_.lineAddWorldPoint(*x, *y);
    } else {
        view_.markedPosition = LinePoint{*x, *y};
        view_.invalidateMap();
    }
    return true;
}

void CoordinateWindow::done(int result) {
    if (isVisible()) rememberWindowPlace(*this, kResource);
    QDialog::done(result);
}

}  // namespace gridova
