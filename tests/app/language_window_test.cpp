// The language chosen at run time: "Язык..." lists the built-in texts and
// the language files, and the open window's menus, tool bar list and map
// bar take the new texts at once; back to "Russian" they return.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <filesystem>
#include <string>

#include "app/border_window.h"
#include "app/data_points_window.h"
#include "app/dialogs/language_dialog.h"
#include "app/map_bar.h"
#include "app/menu_table.h"
#include "app/qt_texts.h"
#include "platform/language.h"
#include "resources/builtin_texts.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;

class LanguageWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // A language of every built-in text marked "EN:", conversions kept.
        std::string lines = "# a test language\n";
        for (const resources::BuiltinText& t : resources::builtinTexts()) {
            std::string s = t.text;
            std::string escaped;
            for (char c : s) escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
            lines += std::to_string(t.number) + "\tEN:" + escaped + "\n";
        }
        std::filesystem::create_directories(inTestDir("lang"));
        writeFile("lang/Marked.lng", lines);
        setLanguageFolders({inTestDir("lang")});
    }
    void TearDown() override {
        // Qt's own texts as the other tests have them (untranslated).
        setLanguageTable(std::make_shared<const LanguageTable>());
        followLanguageInQt();
        setLanguageTable(nullptr);
        setLanguageFolders({});
        MainWindowTest::TearDown();
    }
    void choose(const char* language) {
        answerDialogs([language](QDialog& dialog) {
            auto& d = dynamic_cast<LanguageDialog&>(dialog);
            const auto found = d.list()->findItems(QString::fromUtf8(language), Qt::MatchExactly);
            EXPECT_EQ(found.size(), 1);
            if (!found.isEmpty()) d.list()->setCurrentItem(found.front());
            return static_cast<int>(QDialog::Accepted);
        });
        window_->runFrameCommand(FrameCommand::Language);
        settle();
    }
    std::string menuTitle(int k) const {
        const QList<QAction*> menus = window_->menuBar()->actions();
        for (QAction* a : menus) {
            if (a->isVisible() && k-- == 0) return a->text().toStdString();
        }
        return {};
    }
};

TEST_F(LanguageWindowTest, TheWindowTakesTheLanguageChosen) {
    ASSERT_NE(openIsolines(dataPath_), nullptr);
    const std::string file = menuTitle(0);
    const std::string zoom = window_->actionFor(MapCommand::ZoomAll)->text().toStdString();
    const std::string root = window_->mapBar()->findNode(MapBar::Node::Root)->text(0).toStdString();
    ASSERT_FALSE(file.empty());

    choose("Marked");
    EXPECT_EQ(storedLanguage(), "Marked.lng");
    EXPECT_EQ(menuTitle(0), "EN:" + file);
    EXPECT_EQ(window_->actionFor(MapCommand::ZoomAll)->text().toStdString(), "EN:" + zoom);
    EXPECT_EQ(window_->mapBar()->findNode(MapBar::Node::Root)->text(0).toStdString(), "EN:" + root);
    EXPECT_EQ(window_->methodList()->itemText(0).toStdString().rfind("EN:", 0), 0u);

    // Qt's standard buttons follow: English with a language file, Russian
    // with the built-in texts (Debian's translation of Qt is installed).
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "Cancel");
    choose("Russian");
    // Russian where Debian's translation of Qt is installed (the test
    // command installs it).
    if (followLanguageInQt()) {
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "Отмена");
    }
    EXPECT_EQ(storedLanguage(), "Russian");
    EXPECT_EQ(menuTitle(0), file);
    EXPECT_EQ(window_->actionFor(MapCommand::ZoomAll)->text().toStdString(), zoom);
    EXPECT_EQ(window_->mapBar()->findNode(MapBar::Node::Root)->text(0).toStdString(), root);
}

// With the English file shipped beside the program every menu item is
// English (no Cyrillic letter is left), and so are the message boxes.
TEST_F(LanguageWindowTest, TheEnglishFileMakesTheMenusEnglish) {
    ASSERT_NE(openIsolines(dataPath_), nullptr);
    setLanguageFolders({std::filesystem::path(GRIDOVA_BINARY).parent_path().string()});
    choose("English");
    ASSERT_NE(languageTable(), nullptr);
    const auto cyrillic = [](const QString& s) {
        for (const QChar c : s) {
            if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF) return true;
        }
        return false;
    };
    int items = 0;
    for (QAction* top : window_->menuBar()->actions()) {
        EXPECT_FALSE(cyrillic(top->text())) << top->text().toStdString();
        if (top->menu() == nullptr) continue;
        for (QAction* a : top->menu()->actions()) {
            if (a->isSeparator()) continue;
            ++items;
            EXPECT_FALSE(cyrillic(a->text())) << a->text().toStdString();
        }
    }
    EXPECT_GT(items, 40);
    // Each item's prompt for the status bar, in English too.
    for (const MenuItem& item : menuItems()) {
        QAction* a = item.map ? window_->actionFor(*item.map) : window_->actionFor(item.frame);
        if (a == nullptr) continue;  // the places of the recent files and of the windows
        EXPECT_FALSE(a->statusTip().isEmpty()) << a->text().toStdString();
        EXPECT_FALSE(cyrillic(a->statusTip())) << a->statusTip().toStdString();
    }
    EXPECT_TRUE(saveScreenshot(*window_, "english_window.png"));
    EXPECT_EQ(window_->actionFor(FrameCommand::Language)->text().toStdString(), "Language...");
    EXPECT_FALSE(cyrillic(window_->statusText()));
    // A dialog too: its caption, labels, buttons and group titles.
    std::vector<std::string> russian;
    int dialogs = 0;
    answerDialogs([&](QDialog& dialog) {
        ++dialogs;
        const auto look = [&](const QString& t) {
            if (cyrillic(t)) russian.push_back(t.toStdString());
        };
        look(dialog.windowTitle());
        for (const QLabel* l : dialog.findChildren<QLabel*>()) look(l->text());
        for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) look(b->text());
        for (const QGroupBox* g : dialog.findChildren<QGroupBox*>()) look(g->title());
        EXPECT_TRUE(saveScreenshot(dialog, "english_dialog.png"));
        return static_cast<int>(QDialog::Rejected);
    });
    window_->actionFor(MapCommand::MapSize)->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(russian.empty()) << russian.front();

    boxes_.warnings.clear();
    warning(formatText(text(202), {std::string("wells.dat")}));
    ASSERT_EQ(boxes_.warnings.size(), 1u);
    EXPECT_EQ(boxes_.warnings[0], "Cannot open file wells.dat for reading");
}

// Windows that stay open take the new texts too: the border window's
// caption and labels, and the data points window's table headers.
TEST_F(LanguageWindowTest, OpenToolWindowsTakeTheNewTexts) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    w->runCommand(MapCommand::Border);
    w->runCommand(MapCommand::PointEditor);
    settle();
    ASSERT_NE(w->borderWindow(), nullptr);
    ASSERT_NE(w->dataPointsWindow(), nullptr);
    const std::string caption = w->borderWindow()->windowTitle().toStdString();
    const auto* table = w->dataPointsWindow()->findChild<QTableWidget*>();
    ASSERT_NE(table, nullptr);
    const std::string header = table->horizontalHeaderItem(2)->text().toStdString();

    choose("Marked");
    EXPECT_EQ(w->borderWindow()->windowTitle().toStdString(), "EN:" + caption);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text().toStdString(), "EN:" + header);
    choose("Russian");
    EXPECT_EQ(w->borderWindow()->windowTitle().toStdString(), caption);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text().toStdString(), header);
}

// A language file that went away: said, the built-in texts are used and the
// profile keeps its choice.
TEST_F(LanguageWindowTest, AFileThatCannotBeReadIsSaid) {
    choose("Marked");
    std::filesystem::remove(inTestDir("lang/Marked.lng"));
    answerDialogs([](QDialog& dialog) {
        auto& d = dynamic_cast<LanguageDialog&>(dialog);
        // The list was made before the file went.
        d.list()->addItem(QStringLiteral("Marked"));
        d.list()->setCurrentRow(d.list()->count() - 1);
        return static_cast<int>(QDialog::Accepted);
    });
    window_->runFrameCommand(FrameCommand::Language);
    ASSERT_FALSE(boxes_.warnings.empty());
    EXPECT_NE(boxes_.warnings.back().find("Marked.lng"), std::string::npos);
    EXPECT_EQ(languageTable(), nullptr);
    EXPECT_EQ(storedLanguage(), "Marked.lng");
}

}  // namespace
}  // namespace gridova
