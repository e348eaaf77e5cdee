// The coordinate window: X and Y typed as numbers, the position under the
// mouse shown beside them. With line drawing ("Добавить точку") the typed
// point is added to the line being entered; with "Ввод координат" the typed
// position is marked on the map. A value that fails the number test does
// nothing. Its place is remembered (resource 143).
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace gridova {

class CVexaView;

class CoordinateWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResource = 143;
    enum class Mode { AddToLine, MarkPosition };

    CoordinateWindow(CVexaView& view, QWidget* owner);

    void openFor(Mode mode);
    Mode mode() const { return mode_; }
    QLineEdit* xEdit() const { return x_; }
    QLineEdit* yEdit() const { return y_; }
    QPushButton* okButton() const { return ok_; }
    // The mouse moved over the map.
    void showMouse(double x, double y);
    // A double click on the map: its position fills X and Y.
    void pick(double x, double y);
    QString mouseText() const;
    // "Добавить" / "OK": false when X or Y is not a number.
    bool confirm();

protected:
    void done(int result) override;

private:
    CVexaView& view_;
    QWidget* owner_;
    Mode mode_ = Mode::AddToLine;
    QLineEdit* x_ = nullptr;
    QLineEdit* y_ = nullptr;
    QLabel* mouse_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace gridova
