// Free texts of the map: added from the map bar with the dialog "Текст",
// drawn at their world point, opened again by a double click on the map,
// refused without words or with a point that is not a number, deleted.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>
#include <string>

#include "app/dialogs/text_dialog.h"
#include "app/map_bar.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;
using Node = MapBar::Node;

class TextDialogTest : public MainWindowTest {
protected:
    QTreeWidgetItem* node(Node kind) {
        settle();
        return window_->mapBar()->findNode(kind);
    }
    // The first text node under "Линии".
    QTreeWidgetItem* textNode() {
        QTreeWidgetItem* lines = node(Node::Lines);
        for (int i = 0; i < lines->childCount(); ++i) {
            if (MapBar::kindOf(lines->child(i)) == Node::Text) return lines->child(i);
        }
        return nullptr;
    }
};

TEST_F(TextDialogTest, ATextIsAddedDrawnAtItsPointEditedAndDeleted) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    answerDialogs([](QDialog& dialog) {
        auto& d = dynamic_cast<TextDialog&>(dialog);
        d.textEdit()->setText(QStringLiteral("Скв. 12"));
        d.xEdit()->setText(QStringLiteral("20"));
        d.yEdit()->setText(QStringLiteral("30"));
        return static_cast<int>(QDialog::Accepted);
    });
    auto menu = window_->mapBar()->menuFor(node(Node::Lines));
    ASSERT_NE(menuItem(*menu, "Добавить текст..."), nullptr);
    menuItem(*menu, "Добавить текст...")->trigger();
    Bush& tree = w->view().model().objectTree();
    ASSERT_EQ(tree.itemCount(), 1u);
    const MapText* text = tree.item(0).text();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "Скв. 12");
    EXPECT_TRUE(text->worldPlaced());
    EXPECT_EQ(text->place[0], 20);
    EXPECT_EQ(text->place[1], 30);
    ASSERT_NE(textNode(), nullptr);
    EXPECT_EQ(textNode()->text(0).toStdString(), "Скв. 12");

    // Drawn with its top-left corner at (20, 30), wherever the map lies:
    // dark pixels just right of and below that corner.
    const QImage shown = w->mapWidget().grab().toImage().convertToFormat(QImage::Format_RGB32);
    const gdi::Point corner = w->view().canvas().toDevice(20, 30);
    int inked = 0;
    for (int y = corner.y; y < corner.y + 14; ++y) {
        for (int x = corner.x; x < corner.x + 30; ++x) inked += qGray(shown.pixel(x, y)) < 128;
    }
    EXPECT_GT(inked, 10);
    EXPECT_TRUE(saveScreenshot(w->mapWidget(), "free_text.png"));
    // Drawing leaves the text as it is (a document's bytes do not follow
    // the last drawing).
    EXPECT_EQ(text->left, 0);
    EXPECT_EQ(text->right, 0);

    // A double click on it opens its dialog.
    int asked = 0;
    answerDialogs([&](QDialog& dialog) {
        auto& d = dynamic_cast<TextDialog&>(dialog);
        ++asked;
        EXPECT_EQ(d.textEdit()->text().toStdString(), "Скв. 12");
        d.textEdit()->setText(QStringLiteral("Скв. 14"));
        return static_cast<int>(QDialog::Accepted);
    });
    w->view().mouseLeftDoubleClick({corner.x + 4, corner.y + 4});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(tree.item(0).text()->text, "Скв. 14");
    EXPECT_EQ(tree.item(0).text()->place[0], 20);

    menu = window_->mapBar()->menuFor(textNode());
    menuItem(*menu, "Удалить")->trigger();
    EXPECT_EQ(tree.itemCount(), 0u);
    EXPECT_EQ(textNode(), nullptr);
}

TEST_F(TextDialogTest, ATextWithoutWordsOrPointIsRefused) {
    struct Case {
        const char* text;
        const char* x;
        std::string warning;
    };
    const Case cases[] = {
        {"  ", "1", "Текст: нужен текст"},
        {"Река", "восток", "X: нужно число"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning);
        boxes_.warnings.clear();
        TextDialog dialog(MapText{}, nullptr);
        dialog.textEdit()->setText(QString::fromUtf8(c.text));
        dialog.xEdit()->setText(QString::fromUtf8(c.x));
        EXPECT_FALSE(dialog.text().has_value());
        ASSERT_FALSE(boxes_.warnings.empty());
        EXPECT_EQ(boxes_.warnings.back(), c.warning);
    }
}

}  // namespace
}  // namespace gridova
