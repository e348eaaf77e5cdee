// The main window on the offscreen platform: opening files into map
// windows, the recent files, saving documents and pictures, the closing
// questions of a map and of the whole window, a cross-section's second
// window, the status bar and the progress forms.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/map_window.h"
#include "app/qt_progress.h"
#include "app/startup_run.h"
#include "objects/line_text_files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/progress.h"
#include "platform/qt/qt_device.h"
#include "platform/status.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using namespace apptest;
namespace fs = std::filesystem;
using testing::testDir;
using testing::writeFile;

// --- Opening -------------------------------------------------------------------------------------

TEST_F(MainWindowTest, StartupFileBuildsItsMapInOneWindowAndBecomesRecent) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(window_->mapWindows().size(), 1u);
    EXPECT_EQ(window_->mapWindows()[0], w);
    ASSERT_NE(w->view().model().mainPoints(), nullptr);
    EXPECT_EQ(w->view().model().mainPoints()->size(), 30u);
    ASSERT_NE(w->view().model().isolines(), nullptr);
    EXPECT_FALSE(w->view().model().isolines()->empty());
    EXPECT_EQ(captionOf(w), "points.dat");
    EXPECT_EQ(window_->recentFiles(), std::vector<std::string>{dataPath_});
    EXPECT_EQ(profileText("Recent File List", "File1"), dataPath_);
    // The widget in the window shows the map.
    EXPECT_GT(w->mapWidget().width(), 0);
    EXPECT_GT(w->mapWidget().viewPaints(), 0);
}

// Opening, showing, resizing and closing maps of every type writes nothing
// to the message log (a window session used to log a missing window on
// every close, and colour cells a line per cell).
TEST_F(MainWindowTest, MapsOfEveryTypeLeaveTheMessageLogEmpty) {
    messageLog().reset();
    for (int type = 0; type <= 4; ++type) {
        SCOPED_TRACE(type);
        // A file of its own for each type: a file that is open already is
        // only shown again.
        StartupOptions options;
        options.file = writeFile("points" + std::to_string(type) + ".dat", planeText());
        options.mapType = type;
        ASSERT_EQ(window_->openStartupFile(options), kExitDone);
        settle();
        MapWindow* w = window_->activeMapWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->view().model().settings.mapType, static_cast<MapType>(type));
        EXPECT_GT(w->mapWidget().viewPaints(), 0);
        subWindowOf(w)->resize(500, 400);
        settle();
    }
    ASSERT_EQ(window_->mapWindows().size(), 5u);
    for (MapWindow* w : window_->mapWindows()) EXPECT_TRUE(subWindowOf(w)->close());
    settle();
    const auto lines = messageLog().lines();
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()), std::vector<std::string>{});
}

TEST_F(MainWindowTest, StartupPictureSwitchGivesTheExitStatus) {
    struct Case {
        const char* name;
        int status;
    };
    for (const Case& c : {Case{"start.png", kExitDone}, Case{"start.tif", kExitOutputFailed}}) {
        SCOPED_TRACE(c.name);
        StartupOptions options;
        options.file = dataPath_;
        options.mapType = 1;
        options.pictureFile = inTestDir(c.name);
        EXPECT_EQ(window_->openStartupFile(options), c.status);
        // The map stays on the screen either way.
        EXPECT_EQ(window_->mapWindows().size(), 1u);
        EXPECT_EQ(fs::exists(options.pictureFile), c.status == kExitDone);
    }
    EXPECT_EQ(QImage(QString::fromStdString(inTestDir("start.png"))).size(), QSize(800, 800));
}

TEST_F(MainWindowTest, MissingFileOpensNothingAndLeavesTheRecentList) {
    const std::string missing = inTestDir("gone.dat");
    writeProfileText("Recent File List", "File1", missing);
    writeProfileText("Recent File List", "File2", dataPath_);
    makeWindow();
    ASSERT_EQ(window_->recentFiles(), (std::vector<std::string>{missing, dataPath_}));

    setBoxes(nullptr);  // the warning goes to the message log
    EXPECT_EQ(window_->openFile(missing), nullptr);
    EXPECT_TRUE(window_->mapWindows().empty());
    EXPECT_EQ(testing::timesLogged(formatText(text(202), {missing})), 1u);
    EXPECT_EQ(window_->recentFiles(), std::vector<std::string>{dataPath_});
    EXPECT_EQ(profileText("Recent File List", "File1"), dataPath_);
    EXPECT_EQ(profileText("Recent File List", "File2"), std::nullopt);

    StartupOptions options;
    options.file = missing;
    EXPECT_EQ(window_->openStartupFile(options), kExitInputFailed);
    EXPECT_TRUE(window_->mapWindows().empty());
}

TEST_F(MainWindowTest, RecentFilesKeepTheFourNewestOnce) {
    std::vector<std::string> paths;
    for (const char* name : {"a.dat", "b.dat", "c.dat", "d.dat", "e.dat"}) {
        paths.push_back(writeFile(name, planeText()));
        ASSERT_NE(window_->openFile(paths.back()), nullptr);
    }
    EXPECT_EQ(window_->recentFiles(),
              (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));
    // Opening an open file shows its window and moves it to the front.
    MapWindow* c = window_->mapWindows()[2];
    EXPECT_EQ(window_->openFile(paths[2]), c);
    EXPECT_EQ(window_->mapWindows().size(), 5u);
    EXPECT_EQ(window_->activeMapWindow(), c);
    const std::vector<std::string> expected{paths[2], paths[4], paths[3], paths[1]};
    EXPECT_EQ(window_->recentFiles(), expected);
    // The next start reads the same list.
    makeWindow();
    EXPECT_EQ(window_->recentFiles(), expected);
}

TEST_F(MainWindowTest, NewMapsAreNumberedEmptyDataMaps) {
    MapWindow* first = window_->newMap();
    MapWindow* second = window_->newMap();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(captionOf(first), formatText(text(9023), {std::int64_t{1}}));
    EXPECT_EQ(captionOf(second), formatText(text(9023), {std::int64_t{2}}));
    EXPECT_EQ(second->document().kind, DocumentKind::Data);
    EXPECT_TRUE(second->document().tables().empty());
    EXPECT_EQ(second->view().model().mainPoints(), nullptr);
    EXPECT_EQ(window_->activeMapWindow(), second);
    EXPECT_TRUE(window_->recentFiles().empty());
}

// --- Saving --------------------------------------------------------------------------------------

TEST_F(MainWindowTest, SaveAsksForThePathOnceAndTheDocumentReopens) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    chooser_.paths = {inTestDir("map")};
    ASSERT_TRUE(w->save());
    const std::string saved = inTestDir("map.GDV");
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_TRUE(startsWith(testing::readFile(saved), "Gridova "));
    ASSERT_EQ(chooser_.requests.size(), 1u);
    EXPECT_FALSE(chooser_.requests[0].forOpen);
    EXPECT_EQ(chooser_.requests[0].extension, "GDV");
    EXPECT_EQ(w->document().documentPath, saved);
    EXPECT_EQ(captionOf(w), "map.GDV");
    EXPECT_EQ(profileText("Document Section", "Directory"), testDir().string());
    EXPECT_EQ(window_->recentFiles().front(), saved);

    // The next save writes to the same file without asking.
    fs::remove(saved);
    ASSERT_TRUE(w->view().run(MapCommand::ToggleFrame));
    EXPECT_TRUE(w->view().model().mapChanged);
    ASSERT_TRUE(w->save());
    EXPECT_EQ(chooser_.requests.size(), 1u);
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_FALSE(w->view().model().mapChanged);

    // The saved document opens as a map of its own with the same isolines.
    MapWindow* reopened = window_->openFile(saved);
    ASSERT_NE(reopened, nullptr);
    ASSERT_NE(reopened, w);
    EXPECT_EQ(reopened->document().kind, DocumentKind::Document);
    ASSERT_NE(reopened->view().model().isolines(), nullptr);
    EXPECT_EQ(reopened->view().model().isolines()->size(), w->view().model().isolines()->size());
    ASSERT_NE(reopened->view().model().mainPoints(), nullptr);
    EXPECT_EQ(reopened->view().model().mainPoints()->size(), 30u);
}

TEST_F(MainWindowTest, SavePictureWritesEveryTypeOfTheList) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    struct Case {
        const char* chosen;
        const char* written;  // nullptr: nothing is written
        const char* storedExtension;
        std::string signature;  // of a file Qt does not read as a picture
    };
    const Case cases[] = {
        {"map.png", "map.png", "png", ""},
        {"map.BMP", "map.BMP", "BMP", ""},
        // Without an extension the stored one is added.
        {"plain", "plain.BMP", "BMP", ""},
        {"map.gif", "map.gif", "gif", ""},
        {"map.wmf", "map.wmf", "wmf", std::string("\xD7\xCD\xC6\x9A", 4)},
        {"map.emf", "map.emf", "emf", std::string("\x01\0\0\0", 4)},
        {"map.svg", "map.svg", "svg", "<?xml"},
        {"map.pdf", "map.pdf", "pdf", "%PDF"},
        // Not a type of the list.
        {"map.tif", nullptr, "pdf", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        boxes_.warnings.clear();
        const std::string previous = profileText("Graphic", "Extnsion").value_or("png");
        chooser_.paths = {inTestDir(c.chosen)};
        EXPECT_EQ(w->savePicture(), c.written != nullptr);
        // The dialog proposed the extension stored before.
        EXPECT_EQ(chooser_.requests.back().extension, previous);
        EXPECT_EQ(profileText("Graphic", "Extnsion"), c.storedExtension);
        EXPECT_EQ(profileText("Graphic", "Directory"), testDir().string());
        if (c.written != nullptr && !c.signature.empty()) {
            EXPECT_EQ(testing::readFile(inTestDir(c.written)).substr(0, c.signature.size()),
                      c.signature);
            EXPECT_TRUE(boxes_.warnings.empty());
        } else if (c.written != nullptr) {
            const QImage picture(QString::fromStdString(inTestDir(c.written)));
            EXPECT_EQ(picture.size(), QSize(800, 800));
            EXPECT_TRUE(boxes_.warnings.empty());
        } else {
            EXPECT_FALSE(fs::exists(inTestDir(c.chosen)));
            EXPECT_EQ(boxes_.warnings,
                      std::vector<std::string>{formatText(text(9007), {inTestDir(c.chosen)})});
        }
    }
    // A cancelled dialog writes nothing and keeps the stored folder.
    const auto before = fs::directory_iterator(testDir());
    const std::size_t files = static_cast<std::size_t>(std::distance(before, {}));
    EXPECT_FALSE(w->savePicture());
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(testDir()), {})),
              files);
}

// A map saved as a metafile opens again as a map window showing it.
TEST_F(MainWindowTest, AMetafileOpensAsAMapShowingItsPicture) {
    MapWindow* w = openMap(dataPath_, 2);  // colour isolines
    ASSERT_NE(w, nullptr);
    for (const char* name : {"saved.wmf", "saved.emf"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(w->view().exportPictureByName(inTestDir(name)));
        MapWindow* shown = openMap(inTestDir(name), -1);
        ASSERT_NE(shown, nullptr);
        ASSERT_NE(shown, w);
        ASSERT_TRUE(shown->view().documentMetafile.has_value());
        EXPECT_EQ(shown->view().documentMetafile->size, gdi::Size(800, 800));
        EXPECT_TRUE(boxes_.warnings.empty());
        subWindowOf(shown)->showMaximized();
        settle();
        EXPECT_TRUE(saveScreenshot(*window_, std::string("metafile_document_") + name + ".png"));
    }
}

TEST(FileFilterTest, ProgramFiltersBecomeQtNameFilters) {
    struct Case {
        const char* what;
        std::string filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"document", text(520), {"Документ Gridova (*.gdv *.GDV)", "Все файлы (*)"}},
        // Message 203 has no text before the pattern.
        {"by extension",
         formatText(text(203), {"lxt", "lxt"}),
         {"*.lxt (*.lxt *.LXT)", "Все файлы (*)"}},
        {"several patterns", "Pictures|*.png;*.Gif|", {"Pictures (*.png *.PNG *.gif *.GIF)"}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(qtNameFilters(c.filter), c.expected);
    }
    const QStringList pictures = qtNameFilters(text(275));
    ASSERT_EQ(pictures.size(), 7);
    EXPECT_EQ(pictures[5], QStringLiteral("PNG-файл (*.png *.PNG)"));
}

TEST_F(MainWindowTest, SaveAsDialogStartsInTheStoredFolderWithTheDocumentType) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    const fs::path folder = testDir() / "documents";
    fs::create_directory(folder);
    writeProfileText("Document Section", "Directory", folder.string());
    QtFileChooser dialogs;
    setFileChooser(&dialogs);

    // The dialog is set up, then answered as a person would answer it,
    // without showing it: nothing races the dialog's own loading.
    QString directory, nameFilter, suffix;
    QtFileChooser::setDialogRunner([&](QFileDialog& dialog) {
        directory = dialog.directory().absolutePath();
        nameFilter = dialog.selectedNameFilter();
        suffix = dialog.defaultSuffix();
        dialog.selectFile(QStringLiteral("typed"));
        return true;
    });
    const bool accepted = w->saveAs();
    QtFileChooser::setDialogRunner(nullptr);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(directory.toStdString(), folder.string());
    EXPECT_EQ(nameFilter, QStringLiteral("Документ Gridova (*.gdv *.GDV)"));
    EXPECT_EQ(suffix, QStringLiteral("GDV"));
    const std::string saved = (folder / "typed.GDV").string();
    EXPECT_TRUE(startsWith(testing::readFile(saved), "Gridova "));
    EXPECT_EQ(w->document().documentPath, saved);
}

// --- Closing -------------------------------------------------------------------------------------

TEST_F(MainWindowTest, ChangedMapAsksToSaveBeforeItCloses) {
    struct Case {
        const char* what;
        Answer answer;
        std::optional<std::string> savePath;  // the chooser's answer
        bool closes;
    };
    const Case cases[] = {
        {"cancel keeps the window", Answer::Cancel, std::nullopt, false},
        {"no closes it unsaved", Answer::No, std::nullopt, true},
        {"yes with a cancelled dialog keeps it", Answer::Yes, std::nullopt, false},
        {"yes saves and closes", Answer::Yes, inTestDir("closed.GDV"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MapWindow* w = window_->openFile(dataPath_);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->view().run(MapCommand::ToggleFrame));
        boxes_.asked.clear();
        boxes_.answers = {c.answer};
        chooser_.paths = {c.savePath};
        EXPECT_EQ(subWindowOf(w)->close(), c.closes);
        settle();
        EXPECT_EQ(boxes_.asked, std::vector<std::string>{text(523)});
        EXPECT_EQ(window_->mapWindows().size(), c.closes ? 0u : 1u);
        if (c.savePath) {
            EXPECT_TRUE(startsWith(testing::readFile(*c.savePath), "Gridova "));
        }
        if (!c.closes) {
            EXPECT_TRUE(w->view().model().mapChanged);
            // Asked again, it can still close.
            boxes_.answers = {Answer::No};
            EXPECT_TRUE(subWindowOf(w)->close());
            settle();
            EXPECT_TRUE(window_->mapWindows().empty());
        }
    }
    // Only the case that said so wrote a document.
    std::size_t documents = 0;
    for (const auto& entry : fs::directory_iterator(testDir())) {
        documents += entry.path().extension() == ".GDV" ? 1 : 0;
    }
    EXPECT_EQ(documents, 1u);
}

TEST_F(MainWindowTest, ChangedLinesAskToBeSavedBeforeTheMapCloses) {
    struct Case {
        const char* what;
        Answer answer;
        std::optional<std::string> linesPath;
        bool closes;
    };
    const Case cases[] = {
        {"cancel keeps the window", Answer::Cancel, std::nullopt, false},
        {"yes with a cancelled dialog keeps it", Answer::Yes, std::nullopt, false},
        {"no closes it", Answer::No, std::nullopt, true},
        {"yes writes the lines", Answer::Yes, inTestDir("lines.lxt"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MapWindow* w = window_->openFile(dataPath_);
        ASSERT_NE(w, nullptr);
        w->view().model().addLine(Line(std::vector<LinePoint>{{1.5, 2}, {40, 30.25}, {50, 2}}));
        ASSERT_FALSE(w->view().model().mapChanged);
        boxes_.asked.clear();
        boxes_.answers = {c.answer};
        chooser_.requests.clear();
        chooser_.paths = {c.linesPath};
        EXPECT_EQ(subWindowOf(w)->close(), c.closes);
        settle();
        EXPECT_EQ(boxes_.asked, std::vector<std::string>{text(377)});
        if (c.answer == Answer::Yes) {
            ASSERT_EQ(chooser_.requests.size(), 1u);
            EXPECT_EQ(chooser_.requests[0].extension, "lxt");
        }
        if (!c.closes) {
            ASSERT_NE(w->view().model().objectTreeIfAny(), nullptr);
            EXPECT_TRUE(w->view().model().objectTreeIfAny()->modified);
            boxes_.answers = {Answer::No};
            EXPECT_TRUE(subWindowOf(w)->close());
            settle();
        }
        EXPECT_TRUE(window_->mapWindows().empty());
    }
    // The written file holds the group with the line.
    const std::string written = testing::readFile(inTestDir("lines.lxt"));
    EXPECT_TRUE(startsWith(written, "Group03:"));
    Bush back("read");
    ASSERT_TRUE(readLineFile(inTestDir("lines.lxt"), back));
    LineList lines;
    back.collectLines(lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.lines()[0].points(), (std::vector<LinePoint>{{1.5, 2}, {40, 30.25}, {50, 2}}));
}

TEST_F(MainWindowTest, ClosingTheMainWindowAsksEveryMapBeforeClosingAny) {
    const std::string other = writeFile("other.dat", planeText());
    for (const std::string& path : {dataPath_, other}) {
        MapWindow* w = window_->openFile(path);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->view().run(MapCommand::ToggleFrame));
    }
    // The second map refuses: the first, already answered, stays open too.
    boxes_.answers = {Answer::No, Answer::Cancel};
    EXPECT_FALSE(window_->close());
    settle();
    EXPECT_EQ(boxes_.asked.size(), 2u);
    EXPECT_EQ(window_->mapWindows().size(), 2u);
    EXPECT_TRUE(window_->isVisible());

    // Each map is asked once more, and then everything closes.
    boxes_.asked.clear();
    boxes_.answers = {Answer::No, Answer::No};
    EXPECT_TRUE(window_->close());
    settle();
    EXPECT_EQ(boxes_.asked.size(), 2u);
    EXPECT_TRUE(window_->mapWindows().empty());
}

// --- Requests of the map view --------------------------------------------------------------------

TEST_F(MainWindowTest, CrossSectionOpensASecondWindowOfTheDocument) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    CVexaView& view = w->view();
    view.startLineInput();
    view.lineAddWorldPoint(2, 3);
    view.lineAddWorldPoint(48, 45);
    ASSERT_TRUE(view.run(MapCommand::CrossSection));
    settle();
    const std::vector<MapWindow*> windows = window_->mapWindows();
    ASSERT_EQ(windows.size(), 2u);
    MapWindow* section = windows[1];
    EXPECT_TRUE(section->secondary());
    EXPECT_EQ(section->sharedDocument(), w->sharedDocument());
    EXPECT_EQ(window_->activeMapWindow(), section);
    EXPECT_EQ(captionOf(w), "points.dat:1");
    EXPECT_EQ(captionOf(section), "points.dat:2");
    ASSERT_NE(section->view().model().objectTreeIfAny(), nullptr);
    EXPECT_GT(section->view().model().objectTreeIfAny()->childCount(), 0u);
    EXPECT_TRUE(section->view().model().mapChanged);

    // Saving the section writes a file of its own; the document's map is
    // not replaced by the section.
    chooser_.paths = {inTestDir("section")};
    ASSERT_TRUE(section->save());
    EXPECT_TRUE(fs::exists(inTestDir("section.GDV")));
    EXPECT_TRUE(w->document().documentPath.empty());
    EXPECT_EQ(captionOf(section), "section.GDV");
    EXPECT_EQ(captionOf(w), "points.dat:1");

    EXPECT_TRUE(subWindowOf(section)->close());
    settle();
    EXPECT_EQ(captionOf(w), "points.dat");
}

TEST_F(MainWindowTest, BackgroundColourComesFromTheColourDialog) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    // The dialog is answered through the runner, never raced by a timer.
    bool answered = false;
    answerDialogs([&](QDialog& dialog) {
        auto& colours = dynamic_cast<QColorDialog&>(dialog);
        colours.setCurrentColor(QColor(12, 34, 56));
        answered = true;
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_TRUE(w->view().run(MapCommand::BackgroundColor));
    EXPECT_TRUE(answered);
    EXPECT_EQ(w->view().canvas().backgroundColor(), gdi::rgb(12, 34, 56));
}

TEST_F(MainWindowTest, ClipboardGetsThePictureOfTheWindowSize) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    QApplication::clipboard()->clear();
    ASSERT_TRUE(w->view().run(MapCommand::CopyToClipboard));
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), w->mapWidget().size());
    // The copy leaves the page size, and the profile, as they were.
    EXPECT_EQ(w->view().canvas().pageSize(), (gdi::Size{800, 800}));
    std::int32_t stored = -1;
    EXPECT_NE(readProfileInt("PrintSetup", "PageSizeX", stored), 0);
    // The map was drawn, not just a blank page: more than one colour.
    const QImage rgb = copied.convertToFormat(QImage::Format_RGB32);
    bool varied = false;
    for (int y = 0; y < rgb.height() && !varied; y += 3) {
        for (int x = 0; x < rgb.width() && !varied; x += 3)
            varied = rgb.pixel(x, y) != rgb.pixel(0, 0);
    }
    EXPECT_TRUE(varied);
}

// --- Status bar and progress forms ---------------------------------------------------------------

TEST_F(MainWindowTest, StatusTextAndProgressBarLiveInTheWindow) {
    setStatusText("X = 12.5  Y = 3");
    EXPECT_EQ(window_->statusText().toStdString(), "X = 12.5  Y = 3");
    {
        CProgressBar bar("Счёт", 50, 10);
        const auto bars = window_->statusBar()->findChildren<QProgressBar*>();
        ASSERT_EQ(bars.size(), 1);
        EXPECT_EQ(bars[0]->maximum(), 10);
        bar.setPos(4);
        EXPECT_EQ(bars[0]->value(), 4);
        bar.stepIt();
        EXPECT_EQ(bars[0]->value(), 5);
    }
    EXPECT_TRUE(window_->statusBar()->findChildren<QProgressBar*>().empty());
    EXPECT_EQ(window_->statusText().toStdString(), text(57345));
    {
        WaitScope wait;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(window_->statusText().toStdString(), text(218));
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window_->statusText().toStdString(), text(219));

    // Without the window the scopes show nothing again.
    window_.reset();
    EXPECT_EQ(&progressUi(), &unattendedProgressUi());
    setStatusText("nobody sees this");
    { CProgressBar bar("Счёт", 50, 10); }
}

TEST(QtProgressUiTest, WaitDialogReportsCancelOnlyWhenAllowed) {
    struct Case {
        const char* what;
        bool allowed;
        bool click;  // the Cancel button, else Esc
        bool cancelled;
    };
    const Case cases[] = {
        {"the button cancels", true, true, true},
        {"Esc cancels", true, false, true},
        {"Esc does nothing without cancelling", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QtProgressUi ui(nullptr, nullptr);
        std::unique_ptr<WaitDialog> dialog = ui.startWaitDialog("Идёт расчёт", c.allowed);
        QWidget* form = QApplication::activeModalWidget();
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(form->isVisible());
        auto* label = form->findChild<QLabel*>(QStringLiteral("waitText"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), "Идёт расчёт");
        auto* button = form->findChild<QPushButton*>(QStringLiteral("cancelButton"));
        EXPECT_EQ(button != nullptr, c.allowed);
        EXPECT_FALSE(dialog->cancelled());
        if (c.click) {
            ASSERT_NE(button, nullptr);
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            QTest::keyClick(form, Qt::Key_Escape);
        }
        EXPECT_EQ(dialog->cancelled(), c.cancelled);
        // The dialog stays until the operation is over.
        EXPECT_TRUE(form->isVisible());
        dialog->finish();
        EXPECT_FALSE(form->isVisible());
        dialog.reset();
        settle();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(QtProgressUiTest, WaitCursorsNestAndTheLastEndRestores) {
    {
        QtProgressUi ui(nullptr, nullptr);
        ui.beginWaitCursor();
        ui.beginWaitCursor();
        ui.endWaitCursor();
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ui.endWaitCursor();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        // An end without a begin takes no one else's cursor away.
        QApplication::setOverrideCursor(Qt::CrossCursor);
        ui.endWaitCursor();
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QApplication::restoreOverrideCursor();
        // A cursor still begun when the forms go is given back.
        ui.beginWaitCursor();
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace gridova
