// "Задание изолиний": the grid's smallest and largest value, where the
// levels come from ("По умолчанию", "Через шаг", "Предыдущие", remembered
// in the profile) and, for "Через шаг", the first level, the step and the
// number of levels, kept consistent as they are edited. A first level or
// step that is not a number is said (messages 110, 111) and the dialog
// stays; a count below 1 or a step that is not positive is refused.
#pragma once

#include <QDialog>
#include <optional>

#include "contour/isoline_levels.h"

class QLineEdit;
class QRadioButton;
class QWidget;

namespace gridova {

class LevelsDialog final : public QDialog {
    Q_OBJECT
public:
    LevelsDialog(const LevelsDialogInput& input, QWidget* parent);

    QRadioButton* automaticButton() const { return automatic_; }
    QRadioButton* stepButton() const { return step_; }
    QRadioButton* previousButton() const { return previous_; }
    QLineEdit* firstEdit() const { return firstEdit_; }
    QLineEdit* stepEdit() const { return stepEdit_; }
    QLineEdit* countEdit() const { return countEdit_; }

    // The edits changed: the count follows the first level or the step,
    // the step follows the count. False (said) when the edit is not a
    // number.
    bool firstOrStepEdited(bool first);
    bool countEdited();
    // The answer; nothing (said) when a field is refused.
    std::optional<LevelsDialogResult> result();
    void accept() override;

private:
    void follow();

    double gridMax_ = 0;
    LevelSteps automaticSteps_;
    QRadioButton* automatic_ = nullptr;
    QRadioButton* step_ = nullptr;
    QRadioButton* previous_ = nullptr;
    QLineEdit* firstEdit_ = nullptr;
    QLineEdit* stepEdit_ = nullptr;
    QLineEdit* countEdit_ = nullptr;
};

// The levels dialog the map model asks (MapModel::levelsDialog).
class QtLevelsDialog final : public IsolineLevelsDialog {
public:
    explicit QtLevelsDialog(QWidget* parent) : parent_(parent) {}
    std::optional<LevelsDialogResult> ask(const LevelsDialogInput& input) override;

private:
    QWidget* parent_;
};

}  // namespace gridova
