// The 3D window: "Вид 3D" opens it for a map with values, the shared
// menus act on it, its settings sheet "Формат" gives the view its values
// and angles, a double click opens the sheet or the title dialog, and its
// picture is saved, copied and printed.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <filesystem>

#include "app/dialogs/map_size_dialog.h"
#include "app/dialogs/relief_settings_dialog.h"
#include "app/dialogs/title_dialog.h"
#include "app/relief_window.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova::apptest {
namespace {

namespace fs = std::filesystem;

// The plane with two header lines: the map (and so its 3D view) has a title.
std::string titledPlaneText() { return "Наклонная плоскость\nX, Y, значение\n" + planeText(); }

QMdiSubWindow* frameOf(Relief3DWindow* w) {
    return qobject_cast<QMdiSubWindow*>(w->parentWidget());
}

class ReliefWindowTest : public MainWindowTest {
protected:
    void TearDown() override {
        setDialogRunner({});
        MainWindowTest::TearDown();
    }

    // An isoline map of the titled plane and its 3D window, opened by the
    // command as the menu runs it.
    Relief3DWindow* openRelief() {
        map_ = openIsolines(writeFile("relief.dat", titledPlaneText()));
        EXPECT_NE(map_, nullptr);
        if (map_ == nullptr) return nullptr;
        window_->refreshActions();
        window_->actionFor(MapCommand::View3D)->trigger();
        settle();
        return window_->activeReliefWindow();
    }

    // The picture the window shows, once its paints are done.
    static QImage shown(Relief3DWindow& relief) {
        settle();
        relief.mapWidget().repaint();
        return relief.mapWidget().frontPicture().copy();
    }

    MapWindow* map_ = nullptr;
};

// Does the picture hold more than one colour (something was drawn)?
bool drawnOn(const QImage& image) {
    if (image.isNull()) return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            if (image.pixel(x, y) != first) return true;
        }
    }
    return false;
}

TEST_F(ReliefWindowTest, View3DOpensTheWindowOfAMapWithValues) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    EXPECT_EQ(window_->reliefWindows(), std::vector<Relief3DWindow*>{relief});
    EXPECT_EQ(window_->activeMapWindow(), nullptr);
    EXPECT_EQ(relief->windowTitle().toStdString(), captionOf(map_) + " - 3D");
    EXPECT_FALSE(relief->view().empty());
    EXPECT_TRUE(drawnOn(shown(*relief)));

    // The map's menus stay; what makes no sense for a picture is disabled,
    // the 3D window's own items show.
    std::vector<std::string> popups;
    for (QAction* a : window_->menuBar()->actions()) {
        if (a->isVisible()) popups.push_back(a->text().toStdString());
    }
    EXPECT_EQ(popups, (std::vector<std::string>{"Файл", "Правка", "Объекты", "Формат", "&Вид",
                                                "Окна", "&?"}));
    window_->refreshActions();
    for (const MapCommand enabled : {MapCommand::SavePicture, MapCommand::CopyToClipboard,
                                     MapCommand::MapSize, MapCommand::Title}) {
        EXPECT_TRUE(window_->actionFor(enabled)->isEnabled()) << static_cast<int>(enabled);
    }
    for (const MapCommand disabled :
         {MapCommand::Grid, MapCommand::PasteData, MapCommand::View3D, MapCommand::ZoomPart,
          MapCommand::ToggleColorFill, MapCommand::WriteGridGrd}) {
        EXPECT_FALSE(window_->actionFor(disabled)->isEnabled()) << static_cast<int>(disabled);
    }
    for (const FrameCommand command : {FrameCommand::ReliefRotation, FrameCommand::ReliefFormat}) {
        EXPECT_TRUE(window_->actionFor(command)->isVisible());
        EXPECT_TRUE(window_->actionFor(command)->isEnabled());
    }
    EXPECT_FALSE(window_->actionFor(FrameCommand::SaveDocument)->isEnabled());
    EXPECT_FALSE(window_->actionFor(FrameCommand::NewWindow)->isEnabled());
    EXPECT_TRUE(window_->actionFor(FrameCommand::Print)->isEnabled());

    // Back on the map: the 3D items go, the map's commands return.
    window_->mdiArea()->setActiveSubWindow(subWindowOf(map_));
    settle();
    EXPECT_FALSE(window_->actionFor(FrameCommand::ReliefRotation)->isVisible());
    EXPECT_TRUE(window_->actionFor(MapCommand::Grid)->isEnabled());

    // The 3D window closes alone; the map stays.
    window_->mdiArea()->setActiveSubWindow(frameOf(relief));
    window_->runFrameCommand(FrameCommand::Close);
    settle();
    EXPECT_TRUE(window_->reliefWindows().empty());
    EXPECT_EQ(window_->mapWindows().size(), 1u);
}

TEST_F(ReliefWindowTest, View3DIsDisabledForAMapWithoutValues) {
    MapWindow* empty = window_->newMap();
    ASSERT_NE(empty, nullptr);
    window_->refreshActions();
    QAction* action = window_->actionFor(MapCommand::View3D);
    EXPECT_FALSE(action->isEnabled());
    action->trigger();
    EXPECT_FALSE(empty->runCommand(MapCommand::View3D));
    settle();
    EXPECT_TRUE(window_->reliefWindows().empty());
    EXPECT_EQ(window_->activeMapWindow(), empty);
}

// "Применить" and "Да" give the view the sheet's values (and the profile);
// "Отменить" alone and a refused field give nothing.
TEST_F(ReliefWindowTest, TheSheetGivesTheViewItsValues) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    CVexa3DView& view = relief->view();
    const Relief3DSettings start = view.settings();
    const int startX = view.transform().angleDegrees(0);
    const int startY = view.transform().angleDegrees(1);
    const int startZ = view.transform().angleDegrees(2);
    ASSERT_NE(startX, 30);
    ASSERT_NE(start.hight, 0.25);
    ASSERT_EQ(start.sides, 1);
    ASSERT_EQ(start.topFlat, 1);
    ASSERT_EQ(start.flat, 1);  // an isoline map has its plane

    enum class Answer { ApplyThenCancel, Yes, Cancel, RefusedHeight };
    struct Case {
        const char* name;
        Answer answer;
        bool taken;
    };
    const Case cases[] = {
        {"apply, then cancel", Answer::ApplyThenCancel, true},
        {"yes", Answer::Yes, true},
        {"cancel", Answer::Cancel, false},
        {"a negative height", Answer::RefusedHeight, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case starts from the view's first values.
        view.applySettings(start);
        view.setAnglesDegrees(startX, startY, startZ);
        settle();
        const QImage before = shown(*relief);
        boxes_.warnings.clear();
        bool appliedWhileOpen = false;
        answerDialogs([&](QDialog& dialog) {
            auto& sheet = dynamic_cast<ReliefSettingsDialog&>(dialog);
            sheet.sidesBox()->setChecked(false);
            sheet.heightEdit()->setText(
                QString::fromLatin1(c.answer == Answer::RefusedHeight ? "-1" : "0.25"));
            sheet.widthBox()->setValue(3);
            sheet.pointsWidthBox()->setValue(5);
            sheet.belowButton()->setChecked(true);
            sheet.angleSlider(0)->setValue(30);
            if (c.answer == Answer::ApplyThenCancel) {
                sheet.applyButton()->click();
                appliedWhileOpen = view.settings().hight == 0.25;
                return static_cast<int>(QDialog::Rejected);
            }
            return static_cast<int>(c.answer == Answer::Cancel ? QDialog::Rejected
                                                               : QDialog::Accepted);
        });
        window_->actionFor(FrameCommand::ReliefFormat)->trigger();
        settle();
        const Relief3DSettings& s = view.settings();
        if (c.taken) {
            EXPECT_EQ(appliedWhileOpen, c.answer == Answer::ApplyThenCancel);
            EXPECT_EQ(s.sides, 0);
            EXPECT_EQ(s.hight, 0.25);
            EXPECT_EQ(s.width, 3);
            EXPECT_EQ(s.pointsLinesWidth, 5);
            EXPECT_EQ(s.topFlat, 0);
            EXPECT_EQ(view.transform().angleDegrees(0), 30);
            // The profile keeps them for the next 3D window.
            EXPECT_EQ(profileText(Relief3DSettings::kSection, "Hight").value_or(""), "0.25");
            EXPECT_EQ(profileText(Relief3DSettings::kSection, "Sides").value_or(""), "0");
            EXPECT_EQ(profileText(Relief3DSettings::kSection, "TopFlat").value_or(""), "0");
            // The angle in radians: 30° = π / 6.
            EXPECT_NEAR(std::stod(profileText(Relief3DSettings::kSection, "AngleX").value_or("0")),
                        0.52359877559829887, 1e-12);
            // The window shows the new drawing.
            EXPECT_NE(shown(*relief), before);
        } else {
            EXPECT_EQ(s, start);
            EXPECT_EQ(view.transform().angleDegrees(0), startX);
            EXPECT_EQ(shown(*relief), before);
        }
        EXPECT_EQ(boxes_.warnings.size(), c.answer == Answer::RefusedHeight ? 1u : 0u);
    }
}

// A slider writes its edit and turns the sample; a whole number typed in
// range moves the slider; a number out of range is refused on "Да".
TEST_F(ReliefWindowTest, TheRotationPageSlidersAndEdits) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    ReliefSettingsDialog sheet(relief->view(), ReliefSettingsDialog::RotationPage, relief);
    sheet.resize(sheet.sizeHint());
    EXPECT_EQ(sheet.pages()->currentIndex(), ReliefSettingsDialog::RotationPage);
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(sheet.angleSlider(axis)->minimum(), -180);
        EXPECT_EQ(sheet.angleSlider(axis)->maximum(), 180);
        EXPECT_EQ(sheet.angleEdit(axis)->text().toInt(),
                  relief->view().transform().angleDegrees(axis));
    }
    // Both pages as they open, to look at.
    EXPECT_TRUE(saveScreenshot(sheet, "relief_sheet_rotation.png"));
    sheet.pages()->setCurrentIndex(ReliefSettingsDialog::FormatPage);
    EXPECT_TRUE(saveScreenshot(sheet, "relief_sheet_format.png"));
    sheet.pages()->setCurrentIndex(ReliefSettingsDialog::RotationPage);
    ReliefPreview* preview = sheet.preview(ReliefSettingsDialog::RotationPage);
    const QImage before = preview->grab().toImage();
    EXPECT_TRUE(drawnOn(before));

    sheet.angleSlider(1)->setValue(-45);
    EXPECT_EQ(sheet.angleEdit(1)->text(), QStringLiteral("-45"));
    EXPECT_EQ(sheet.shownTransform().angleDegrees(1), -45);
    EXPECT_NE(preview->grab().toImage(), before);

    sheet.angleEdit(2)->clear();
    QTest::keyClicks(sheet.angleEdit(2), QStringLiteral("100"));
    EXPECT_EQ(sheet.angleSlider(2)->value(), 100);
    QTest::keyClicks(sheet.angleEdit(2), QStringLiteral("0"));  // 1000: out of range
    EXPECT_EQ(sheet.angleSlider(2)->value(), 100);
    EXPECT_FALSE(sheet.apply());
    EXPECT_EQ(boxes_.warnings.size(), 1u);
    EXPECT_NE(relief->view().transform().angleDegrees(1), -45);  // nothing taken

    // The view itself is not touched until the values are applied.
    sheet.angleEdit(2)->setText(QStringLiteral("100"));
    ASSERT_TRUE(sheet.apply());
    EXPECT_EQ(relief->view().transform().angleDegrees(1), -45);
    EXPECT_EQ(relief->view().transform().angleDegrees(2), 100);
}

// The sample follows the check boxes of the format page.
TEST_F(ReliefWindowTest, TheFormatPageSampleFollowsTheFields) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    ReliefSettingsDialog sheet(relief->view(), ReliefSettingsDialog::FormatPage, relief);
    ReliefPreview* preview = sheet.preview(ReliefSettingsDialog::FormatPage);
    preview->resize(preview->sizeHint());
    QImage last = preview->grab().toImage();
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"surface hidden", [&] { sheet.surfaceBox()->setChecked(false); }},
        {"surface shown", [&] { sheet.surfaceBox()->setChecked(true); }},
        {"transparent", [&] { sheet.transparentBox()->toggle(); }},
        {"sides", [&] { sheet.sidesBox()->toggle(); }},
        {"plane below", [&] { sheet.belowButton()->setChecked(true); }},
        {"plane hidden", [&] { sheet.planeBox()->setChecked(false); }},
        {"points hidden", [&] { sheet.pointsBox()->toggle(); }},
        {"height", [&] { sheet.heightEdit()->setText(QStringLiteral("0.3")); }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        change();
        const QImage now = preview->grab().toImage();
        EXPECT_NE(now, last);
        last = now;
    }
}

// A double click on the relief opens the sheet on "Поворот", on the title
// the title dialog, whose lines the view then draws.
TEST_F(ReliefWindowTest, DoubleClicksOpenTheSheetAndTheTitleDialog) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    shown(*relief);
    const gdi::Rect title = relief->view().titleArea();
    ASSERT_LT(title.left, title.right) << "the map has a title";
    MapWidget& widget = relief->mapWidget();
    std::vector<std::string> opened;
    int page = -1;
    answerDialogs([&](QDialog& dialog) {
        if (auto* sheet = dynamic_cast<ReliefSettingsDialog*>(&dialog)) {
            opened.push_back("sheet");
            page = sheet->pages()->currentIndex();
            return static_cast<int>(QDialog::Rejected);
        }
        if (auto* titles = dynamic_cast<TitleDialog*>(&dialog)) {
            opened.push_back("title");
            titles->lineEdit(0)->setText(QStringLiteral("Рельеф"));
            return static_cast<int>(QDialog::Accepted);
        }
        opened.push_back("other");
        return static_cast<int>(QDialog::Rejected);
    });
    // Below the title, in the middle of the window.
    QTest::mouseDClick(&widget, Qt::LeftButton, {},
                       QPoint(widget.width() / 2, widget.height() - 20));
    settle();
    EXPECT_EQ(opened, std::vector<std::string>{"sheet"});
    EXPECT_EQ(page, ReliefSettingsDialog::RotationPage);

    const QImage before = shown(*relief);
    QTest::mouseDClick(&widget, Qt::LeftButton, {},
                       QPoint((title.left + title.right) / 2, (title.top + title.bottom) / 2));
    settle();
    EXPECT_EQ(opened, (std::vector<std::string>{"sheet", "title"}));
    ASSERT_NE(relief->view().title(), nullptr);
    EXPECT_EQ(relief->view().title()->lines[0].text.value_or(""), "Рельеф");
    EXPECT_NE(shown(*relief), before);
    // The map's own title is the map's.
    EXPECT_NE(map_->view().mapTitle()->lines[0].text.value_or(""), "Рельеф");
}

// "Запомнить картинку..." writes the picture chosen, at the page size.
TEST_F(ReliefWindowTest, SavePictureWritesThePngChosen) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    const std::string path = inTestDir("relief3d.png");
    fs::remove(path);
    chooser_.paths = {path};
    const std::size_t requests = chooser_.requests.size();
    window_->actionFor(MapCommand::SavePicture)->trigger();
    settle();
    ASSERT_EQ(chooser_.requests.size(), requests + 1);
    EXPECT_FALSE(chooser_.requests.back().forOpen);
    QImage written(QString::fromStdString(path));
    ASSERT_FALSE(written.isNull());
    const gdi::Size page = relief->view().canvas().pageSize();
    EXPECT_EQ(written.size(), QSize(page.cx, page.cy));
    EXPECT_TRUE(drawnOn(written));
    EXPECT_EQ(testing::readFile(path).substr(1, 3), "PNG");
}

// "Размер карты..." gives the 3D view its page: the picture saved then
// has that size; the map's document is left alone.
TEST_F(ReliefWindowTest, MapSizeSetsThePageOfThePicture) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    answerDialogs([](QDialog& dialog) {
        auto& size = dynamic_cast<MapSizeDialog&>(dialog);
        size.formatList()->setCurrentIndex(0);  // typed in pixels
        size.widthEdit()->setText(QStringLiteral("300"));
        size.heightEdit()->setText(QStringLiteral("200"));
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(MapCommand::MapSize)->trigger();
    settle();
    EXPECT_EQ(relief->view().canvas().pageSize(), (gdi::Size{300, 200}));
    EXPECT_FALSE(map_->view().model().mapChanged);
    const std::string path = inTestDir("relief_sized.png");
    chooser_.paths = {path};
    ASSERT_TRUE(relief->savePicture());
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(300, 200));
}

// "Копировать в Clipboard" puts the window's picture there.
TEST_F(ReliefWindowTest, CopyPutsTheWindowsPictureOnTheClipboard) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    QApplication::clipboard()->setText(QStringLiteral("nothing"));
    ASSERT_TRUE(QApplication::clipboard()->image().isNull());
    window_->actionFor(MapCommand::CopyToClipboard)->trigger();
    settle();
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    const gdi::Size client = relief->mapWidget().clientSize();
    EXPECT_EQ(copied.size(), QSize(client.cx, client.cy));
    EXPECT_TRUE(drawnOn(copied));
}

// "Печать.." prints the whole view on one page (a PDF here).
TEST_F(ReliefWindowTest, PrintWritesOnePage) {
    Relief3DWindow* relief = openRelief();
    ASSERT_NE(relief, nullptr);
    const std::string pdf = inTestDir("printed.pdf");
    fs::remove(pdf);
    int printDialogs = 0;
    answerDialogs([&](QDialog& dialog) {
        printDialogs += dynamic_cast<QPrintDialog*>(&dialog) != nullptr ? 1 : 0;
        return static_cast<int>(QDialog::Accepted);
    });
    window_->actionFor(FrameCommand::Print)->trigger();
    settle();
    EXPECT_EQ(printDialogs, 1);
    const std::string printed = fs::exists(pdf) ? testing::readFile(pdf) : "";
    EXPECT_EQ(printed.substr(0, 4), "%PDF");
    EXPECT_NE(printed.find("/Count 1"), std::string::npos);
    EXPECT_TRUE(boxes_.warnings.empty());
    EXPECT_TRUE(saveScreenshot(*frameOf(relief), "relief_window.png"));
}

}  // namespace
}  // namespace gridova::apptest
