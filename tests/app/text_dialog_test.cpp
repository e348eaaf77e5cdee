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

QAction* itemOf(QMenu& menu, const std::string& textOfItem) {
    for (QAction* a : menu.actions()) {
        if (a->text().toStdString() == textOfItem) return a;
    }
    return nullptr;
}

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
    ASSERT_NE(itemOf(*menu, "Добавить текст..."), nullptr);
    itemOf(*menu, "Добавить текст...")->trigger();
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

    // Drawn with its top-left corner at (20, 30), wherever the map lies.
    QImage shown = w->mapWidget().grab().toImage();
    const gdi::Point corner = w->view().canvas().toDevice(20, 30);
    EXPECT_EQ(text->left, corner.x);
    EXPECT_EQ(text->top, corner.y);
    EXPECT_GT(text->right, text->left);
    EXPECT_GT(text->bottom, text->top);
    EXPECT_TRUE(saveScreenshot(w->mapWidget(), "free_text.png"));

    // A double click on it opens its dialog.
    int asked = 0;
    answerDialogs([&](QDialog& dialog) {
        auto& d = dynamic_cast<TextDialog&>(dialog);
        ++asked;
        EXPECT_EQ(d.textEdit()->text().toStdString(), "Скв. 12");
        d.textEdit()->setText(QStringLiteral("Скв. 14"));
        return static_cast<int>(QDialog::Accepted);
    });
    w->view().mouseLeftDoubleClick(
        {(text->left + text->right) / 2, (text->top + text->bottom) / 2});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(tree.item(0).text()->text, "Скв. 14");
    EXPECT_EQ(tree.item(0).text()->place[0], 20);

    menu = window_->mapBar()->menuFor(textNode());
    itemOf(*menu, "Удалить")->trigger();
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
