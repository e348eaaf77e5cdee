// The node window "Узел сетки": while it is open a left click on the map
// picks the nearest grid node that has a value; the window shows its column,
// its row counted from the top and its value, and the map marks its cell.
// Closing it ends the picking. Its place is remembered (resource 196).
#pragma once

#include <QDialog>

class QLabel;

namespace gridova {

class CVexaView;

class NodeWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResource = 196;

    NodeWindow(CVexaView& view, QWidget* owner);
    ~NodeWindow() override;

    // Starts the picking and shows the window.
    void startPicking();
    // The view picked a node: its numbers are shown.
    void showPicked();
    // The text shown: "Столбец 3  Строка 1  Значение 20.000", or the hint.
    QString shownText() const;

protected:
    void done(int result) override;

private:
    CVexaView& view_;
    QWidget* owner_;
    QLabel* text_ = nullptr;
};

}  // namespace gridova
