// What the tests of the main window share: scripted boxes and file
// choices, a plane of points, and a shown main window with the program's
// services.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QTest>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QDialog>

#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/levels_dialog.h"
#include "app/main_window.h"
#include "app/map_window.h"
#include "app/startup_run.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "tests/common/test_env.h"

namespace gridova::apptest {

using testing::testDir;
using testing::writeFile;

// Answers questions from a list (No once it is used up) and keeps what was
// asked and warned.
class ScriptedBoxes final : public Boxes {
public:
    void information(const std::string&, const std::string&) override {}
    void warning(const std::string&, const std::string& text) override { warnings.push_back(text); }
    Answer question(const std::string&, const std::string& text) override {
        asked.push_back(text);
        if (answers.empty()) return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::deque<Answer> answers;
    std::vector<std::string> asked;
    std::vector<std::string> warnings;
};

// Chooses files from a list (cancelled once it is used up) and keeps the
// extension of every request.
class ScriptedChooser final : public FileChooser {
public:
    std::optional<std::string> choose(bool forOpen, const std::string& extension,
                                      const std::string&) override {
        requests.push_back({forOpen, extension});
        if (paths.empty()) return std::nullopt;
        std::optional<std::string> p = paths.front();
        paths.pop_front();
        return p;
    }

    struct Request {
        bool forOpen;
        std::string extension;
    };
    std::deque<std::optional<std::string>> paths;
    std::vector<Request> requests;
};

// 30 points of the plane v = x / 2 + y: six columns (every other row shifted
// by 3) and five rows; values 0..73.
inline std::string planeText() {
    std::string text;
    for (int j = 0; j < 5; ++j) {
        for (int i = 0; i < 6; ++i) {
            const int x = 10 * i + (j % 2) * 3, y = 12 * j;
            text += std::to_string(x) + ' ' + std::to_string(y) + ' ' +
                    std::to_string(x / 2.0 + y) + '\n';
        }
    }
    return text;
}

inline std::string inTestDir(const std::string& name) { return (testDir() / name).string(); }

// The item of a menu with this text; nullptr when it has none.
inline QAction* menuItem(QMenu& menu, const std::string& text) {
    for (QAction* a : menu.actions()) {
        if (a->text().toStdString() == text) return a;
    }
    return nullptr;
}

inline bool startsWith(const std::string& text, std::string_view head) {
    return text.compare(0, head.size(), head) == 0;
}

inline std::optional<std::string> profileText(const char* section, const std::string& key) {
    std::string value;
    if (readProfileText(section, key, value) != 0) return std::nullopt;
    return value;
}

inline QMdiSubWindow* subWindowOf(MapWindow* w) {
    return qobject_cast<QMdiSubWindow*>(w->parentWidget());
}

inline std::string captionOf(MapWindow* w) { return w->windowTitle().toStdString(); }

// Saves a picture of the widget to look at: in $GRIDOVA_SCREENSHOT_DIR when
// it is set, else in the test's folder. True when it was written.
inline bool saveScreenshot(QWidget& widget, const std::string& name) {
    const char* dir = std::getenv("GRIDOVA_SCREENSHOT_DIR");
    const std::string folder =
        dir != nullptr && *dir != '\0' ? std::string(dir) : testing::testDir().string();
    widget.adjustSize();
    return widget.grab().save(QString::fromStdString(folder + "/" + name));
}

inline void settle() {
    for (int k = 0; k < 5; ++k) QApplication::processEvents();
}

// Answers the dialogs a test is about through the runner; the levels
// dialog that a map built again asks is answered with what it shows.
inline void answerDialogs(DialogRunner runner) {
    setDialogRunner([runner = std::move(runner)](QDialog& dialog) {
        if (dynamic_cast<LevelsDialog*>(&dialog) != nullptr)
            return static_cast<int>(QDialog::Accepted);
        return runner(dialog);
    });
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        gdi::setDeviceFactory(&factory_);
        setBoxes(&boxes_);
        // A dialog a command opens is answered as shown unless a test
        // answers it (none is ever left waiting).
        setDialogRunner([](QDialog&) { return static_cast<int>(QDialog::Accepted); });
        dataPath_ = writeFile("points.dat", planeText());
        makeWindow();
    }
    void TearDown() override {
        window_.reset();
        setDialogRunner({});
        setFileChooser(nullptr);
        setBoxes(nullptr);
        gdi::setDeviceFactory(nullptr);
    }

    // A main window as the program shows it, with our file choices.
    void makeWindow() {
        window_.reset();
        window_ = std::make_unique<MainWindow>();
        setFileChooser(&chooser_);
        // A print goes to a file of the test, never to a printer of the
        // machine.
        window_->printer().setOutputFormat(QPrinter::PdfFormat);
        window_->printer().setOutputFileName(QString::fromStdString(inTestDir("printed.pdf")));
        window_->resize(1000, 800);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    // The data file as an isoline map ("-m isolines").
    MapWindow* openIsolines(const std::string& path) { return openMap(path, 1); }
    MapWindow* openMap(const std::string& path, int mapType) {
        StartupOptions options;
        options.file = path;
        options.mapType = mapType;
        EXPECT_EQ(window_->openStartupFile(options), kExitDone);
        settle();
        return window_->activeMapWindow();
    }
    // The plane in a file of its own, as a map of the type: a map of a file
    // already open would be that map.
    MapWindow* openFreshMap(int mapType) {
        return openMap(writeFile("map" + std::to_string(freshMaps_++) + ".dat", planeText()),
                       mapType);
    }

    QtDeviceFactory factory_;
    ScriptedBoxes boxes_;
    ScriptedChooser chooser_;
    std::string dataPath_;
    std::unique_ptr<MainWindow> window_;
    int freshMaps_ = 0;
};

}  // namespace gridova::apptest
