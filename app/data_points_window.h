// The data-points window ("Точки данных (N)", the command "Точки..."):
// the main point set's points in a list, edited on three private sets —
// the existing points (a copy made when the window opens), the points added
// here and the points deleted here — until "Обновить" makes the list the
// main set and builds the map again. "Добавить" and "Заменить" open the
// point editor, in which a double click on the map fills X and Y; "Сохранить"
// writes the title lines and the points as a data file; "Доб. из файла"
// adds the points of a data file; "Закрыть" asks to save points that were
// added or changed and not saved. Its place is remembered (resource 144).
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "data/point_set.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace gridova {

class CVexaView;
class DataPointsWindow;

// The point editor: X, Y, "Значение" and "Название". "OK" needs X, Y and the
// value to be numbers (else it does nothing); the name may be left empty.
class PointEditor final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResource = 190;
    explicit PointEditor(DataPointsWindow& owner);

    // Opens for a new point, or on a point to change.
    void openFor(const std::optional<DataPoint>& point);
    QLineEdit* xEdit() const { return x_; }
    QLineEdit* yEdit() const { return y_; }
    QLineEdit* valueEdit() const { return value_; }
    QLineEdit* nameEdit() const { return name_; }
    // A position picked on the map fills X and Y.
    void pick(double x, double y);
    // The fields as a point; nothing when X, Y or the value is not a number.
    std::optional<DataPoint> point() const;
    void accept() override;

protected:
    void done(int result) override;

private:
    DataPointsWindow& owner_;
    QLineEdit* x_ = nullptr;
    QLineEdit* y_ = nullptr;
    QLineEdit* value_ = nullptr;
    QLineEdit* name_ = nullptr;
};

class DataPointsWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResource = 144;
    DataPointsWindow(CVexaView& view, QWidget* owner);
    ~DataPointsWindow() override;

    // Shows the window on a fresh copy of the main set (when it was closed).
    void openWindow();

    QTableWidget* list() const { return list_; }
    PointEditor* editor() const { return editor_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* replaceButton() const { return replace_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* addFileButton() const { return addFile_; }
    QPushButton* closeButton() const { return close_; }

    // The buttons' actions.
    void apply();
    void addPoint();
    void deleteSelected();
    void replaceSelected();
    bool saveToFile();
    bool addFromFile();
    // "Закрыть": false when the user cancelled.
    bool closeWindow();

    // The editor's "OK": a new point, or the changed point in place of the
    // one it was opened on.
    void editorConfirmed(const DataPoint& point);
    // A double click on the map while the editor is open: true when taken.
    bool positionPicked(double x, double y);
    void editorClosed();

    const PointSet& existing() const { return existing_; }
    const PointSet& added() const { return added_; }
    const PointSet& deleted() const { return deleted_; }
    bool unsaved() const { return unsaved_; }

protected:
    void reject() override;

private:
    void refill();
    void takeMainSet();
    void emptySets();
    // The list's selected rows, last first: (is added, index in its set).
    std::vector<std::pair<bool, std::size_t>> selectedPoints() const;

    CVexaView& view_;
    QWidget* owner_;
    QTableWidget* list_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* addFile_ = nullptr;
    QPushButton* close_ = nullptr;
    PointEditor* editor_ = nullptr;
    PointSet existing_, added_, deleted_;
    // The editor's marker: the last position picked on the map.
    PointSet marker_;
    // The point the editor changes: (is added, index); none for a new one.
    std::optional<std::pair<bool, std::size_t>> editing_;
    bool unsaved_ = false;
};

}  // namespace gridova
