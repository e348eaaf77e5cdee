// `Bush` and `BushItem`: automatic names, the tree's queries and edits,
// extents and palettes.
#include "objects/bush.h"

#include <gtest/gtest.h>

#include "objects/line_list.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using P = LinePoint;

Line named(const char* name, std::vector<P> points = {{0, 0}, {1, 1}}) {
    Line l(std::move(points));
    l.name = name;
    return l;
}

std::string repeated(std::string_view s, std::size_t n) {
    std::string r;
    for (std::size_t i = 0; i < n; ++i) r += s;
    return r;
}

TEST(AutomaticNames, TheTrailingNumberIsIncreasedDigitByDigit) {
    struct Case {
        const char* name;
        const char* next;
    };
    const Case cases[] = {
        {"Линия", "Линия1"},
        {"Линия1", "Линия2"},
        {"Линия9", "Линия10"},
        {"Линия099", "Линия100"},
        {"Линия2147483647", "Линия2147483648"},  // past the 32-bit range
        {"Линия99999999999999999999", "Линия100000000000000000000"},
        {"a9b", "a9b1"},
        {"7", "8"},
        {"", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(nextAutomaticName(c.name), c.next);
    }
}

TEST(AutomaticNames, ItemsAndGroupsTakeFreeNames) {
    Bush g("g");
    EXPECT_EQ(g.nextItemName(), "Линия");
    EXPECT_EQ(g.nextGroupName(), "Группа");
    // An unnamed line takes the next item name; a second "Линия" the one
    // after it.
    EXPECT_EQ(g.addItem(BushItem(Line(std::vector<P>{}))).name(), "Линия");
    EXPECT_EQ(g.addItem(BushItem(named("Линия"))).name(), "Линия1");
    EXPECT_EQ(g.addItem(BushItem(named("Река"))).name(), "Река");
    EXPECT_EQ(g.addItem(BushItem(named(""))).name(), "Линия2");
    // Items and child groups share their names.
    EXPECT_EQ(g.addChild(std::make_unique<Bush>("Река")).name(), "Группа");
    EXPECT_EQ(g.addChild(std::make_unique<Bush>()).name(), "Группа1");
    EXPECT_EQ(g.addItem(BushItem(named("Группа1"))).name(), "Линия3");
    // Texts have no name and keep their words.
    MapText t;
    t.text = "Река";
    EXPECT_EQ(g.addItem(BushItem(t)).text()->text, "Река");
    EXPECT_EQ(g.nextItemName(), "Линия4");
}

TEST(AutomaticNames, ANumberAtTheTopOfThe32BitRangeGoesOn) {
    Bush g;
    g.setNextItemName("Линия2147483647");
    g.addItem(BushItem(named("Линия2147483647")));
    EXPECT_EQ(g.addItem(BushItem(named("Линия2147483647"))).name(), "Линия2147483648");
    EXPECT_EQ(g.nextItemName(), "Линия2147483649");
}

TEST(AutomaticNames, TheSearchSkipsTakenNamesAndAlwaysEnds) {
    // Every name the counter gives next is taken: the search runs past
    // all of them.
    Bush g;
    g.addItem(BushItem(named("Линия")));
    for (int i = 1; i <= 5; ++i) g.addItem(BushItem(named(("Линия" + std::to_string(i)).c_str())));
    EXPECT_EQ(g.addItem(BushItem(named("Линия3"))).name(), "Линия6");

    // Point sets keep 127 characters: a long name loses characters before
    // its number, so the names still differ.
    Bush sets;
    const std::string base = repeated("Ц", 126);
    sets.setNextItemName(base + "9");
    PointSet s;
    s.setName(base + "9");
    sets.addItem(BushItem(s));
    const BushItem& second = sets.addItem(BushItem(s));
    EXPECT_EQ(second.name(), repeated("Ц", 125) + "10");

    // A number too long for the limit makes every candidate the same taken
    // name: the search still ends, after one name more than the group holds.
    Bush full;
    full.setNextItemName(repeated("9", 130));
    PointSet a, b;
    a.setName(repeated("9", 127));
    b.setName("1" + repeated("0", 126));
    full.addItem(BushItem(a));
    full.addItem(BushItem(b));
    full.addItem(BushItem(a));
    EXPECT_EQ(full.itemCount(), 3u);
}

// root: line "a" (0,0)-(1,1), point set "s"; child "c1": line "b" (5,5)-(6,6),
// grandchild "c2": line "c" (-3,2)-(-2,3); child "c3" empty.
struct Tree {
    Tree() : root("root") {
        root.addItem(BushItem(named("a")));
        PointSet s;
        s.setName("s");
        s.addPoint(2, -1, 0);
        s.addPoint(3, 4, 0);
        set = root.addItem(BushItem(std::move(s))).pointSet();
        c1 = &root.addChild(std::make_unique<Bush>("c1"));
        c1->addItem(BushItem(named("b", {{5, 5}, {6, 6}})));
        c2 = &c1->addChild(std::make_unique<Bush>("c2"));
        c2->addItem(BushItem(named("c", {{-3, 2}, {-2, 3}})));
        c3 = &root.addChild(std::make_unique<Bush>("c3"));
    }
    Bush root;
    PointSet* set;
    Bush* c1;
    Bush* c2;
    Bush* c3;
};

TEST(BushTree, FindingRemovingAndExtents) {
    Tree t;
    EXPECT_EQ(t.root.findChild("c1"), t.c1);
    EXPECT_EQ(t.root.findChild("c2"), nullptr);  // not a child of the root
    ASSERT_NE(t.root.findItem("c"), nullptr);
    EXPECT_EQ(t.root.findItem("c")->line()->points()[0], (P{-3, 2}));
    EXPECT_EQ(t.root.findItem("zzz"), nullptr);
    EXPECT_EQ(t.root.findItemHolding(t.set), &t.root.item(1));
    EXPECT_EQ(t.root.pointSets(), std::vector<PointSet*>{t.set});

    // Lines and the set as seen make the extents; empty groups have none.
    ASSERT_TRUE(t.root.extent().has_value());
    EXPECT_EQ(*t.root.extent(), DRect(-3, -1, 6, 6));
    EXPECT_EQ(*t.c1->extent(), DRect(-3, 2, 6, 6));
    EXPECT_FALSE(t.c3->extent().has_value());

    // Removing the deepest line shrinks the extents up the chain.
    t.root.modified = t.c1->modified = t.c2->modified = false;
    std::unique_ptr<BushItem> c = t.root.removeItem(t.root.findItem("c"));
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(t.c2->extent().has_value());
    EXPECT_EQ(*t.c1->extent(), DRect(5, 5, 6, 6));
    EXPECT_EQ(*t.root.extent(), DRect(0, -1, 6, 6));
    EXPECT_TRUE(t.c2->modified);
    EXPECT_TRUE(t.root.modified);
    EXPECT_EQ(t.root.removeItem(c.get()), nullptr);  // no longer in the tree

    EXPECT_EQ(t.root.removeChild(t.c2), nullptr);  // a grandchild, not a child
    std::unique_ptr<Bush> c1 = t.root.removeChild(t.c1);
    ASSERT_NE(c1, nullptr);
    EXPECT_EQ(c1->parent(), nullptr);
    EXPECT_EQ(*t.root.extent(), DRect(0, -1, 3, 4));

    Bush& first = t.root.insertChild(0, std::move(c1));
    EXPECT_EQ(&t.root.child(0), &first);
    EXPECT_EQ(first.parent(), &t.root);
    EXPECT_EQ(*t.root.extent(), DRect(0, -1, 6, 6));
    t.root.insertChild(99, std::make_unique<Bush>("last"));
    EXPECT_EQ(t.root.child(t.root.childCount() - 1).name(), "last");
}

TEST(BushTree, LinesOfTheWholeTree) {
    Tree t;
    // Depth first: the root's own line before the children's lines.
    auto hit = t.root.hitTestLines(0.9, 0.9, 0.2, 0.2);
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->item->line()->name, "a");
    EXPECT_EQ(hit->point, 1u);
    hit = t.root.hitTestLines(-2, 3, 0.1, 0.1);
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->item->line()->name, "c");
    EXPECT_FALSE(t.root.hitTestLines(2, -1, 0.1, 0.1).has_value());  // a point set's point

    LineList all;
    t.root.collectLines(all);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all.line(0)->name, "a");
    EXPECT_EQ(all.line(1)->name, "b");
    EXPECT_EQ(all.line(2)->name, "c");
    EXPECT_EQ(all.extent(), DRect(-3, 0, 6, 6));

    Line pattern;
    pattern.style = {LineStyle::kHatched, 1, 2, 3, 4, 5, 1};
    t.root.copyLineStyle(pattern);
    EXPECT_EQ(t.root.findItem("c")->line()->style, pattern.style);
    EXPECT_EQ(t.root.findItem("c")->line()->name, "c");
    EXPECT_EQ(all.line(2)->style, LineStyle());  // the collected lines are copies
}

}  // namespace
}  // namespace gridova
