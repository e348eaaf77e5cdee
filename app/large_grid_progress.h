// The progress of a large-grid run ("Система линейных уравнений для больших
// сеток") in a map window: a small modeless window with a progress bar over
// the iterations, the method, "Iteration %d" and "Pecision %.10lg", and
// "Cancel". The solver works in its own thread; a timer on the window's
// thread reads its iteration and precision, and once it is done the map is
// built from its values. Cancel (or closing the window) asks the solver to
// stop: it ends as if it had converged and the map is built from what it
// reached. Destroyed while the run goes on (the map window closes), it
// stops the run and waits for its thread.
#pragma once

#include <QDialog>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace gridova {

class LargeGridRun;
class MapModel;

class LargeGridProgress final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPollMilliseconds = 250;

    LargeGridProgress(MapModel& model, std::unique_ptr<LargeGridRun> run, int maxIterations,
                      QWidget* owner);
    ~LargeGridProgress() override;

    bool running() const { return run_ != nullptr; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }
    // Reads the run once more (the timer does it every kPollMilliseconds).
    void poll();

signals:
    // The run ended and the map was built (the model's result).
    void completed(int result);

protected:
    void done(int result) override;

private:
    MapModel& model_;
    std::unique_ptr<LargeGridRun> run_;
    QProgressBar* bar_ = nullptr;
    QLabel* iteration_ = nullptr;
    QLabel* precision_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace gridova
