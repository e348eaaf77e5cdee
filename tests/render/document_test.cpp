// The map document: opening files by kind, the document file written and
// read by the map view, the first display of a data file.
#include <gtest/gtest.h>

#include <bit>
#include <sstream>

#include <QImage>

#include <sys/resource.h>
#include "exchange/metafile_recorder.h"
#include "platform/qt/qt_device.h"

#include <cmath>
#include <csignal>
#include <filesystem>
#include <string>

#include "data/map_document.h"
#include "data/polynomial_regression.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "render/axes.h"
#include "render/map_view.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

namespace fs = std::filesystem;

std::string dataText(int points) {
    std::string text = "Карта месторождения\nУчасток 3\n";
    for (int k = 0; k < points; ++k) {
        const double x = (k * 37) % 100, y = (k * 53) % 80;
        const double v = 10 + 5 * std::sin(x / 20) + 3 * std::cos(y / 15);
        text += std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(v) + " W" +
                std::to_string(k) + "\n";
    }
    return text;
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { gdi::setDeviceFactory(&factory_); }
    void TearDown() override { gdi::setDeviceFactory(nullptr); }

    // A map opened from a data file with isolines, a drawn line and a
    // border, as a user would leave it.
    std::unique_ptr<CVexaView> fixtureMap(CVexaDoc& doc) {
        const std::string path = testing::writeFile("field.dat", dataText(50));
        EXPECT_TRUE(doc.open(path));
        auto view = std::make_unique<CVexaView>();
        view->readProfile();
        StartupOptions options;
        options.mapType = 1;
        view->initialUpdate(doc, options);
        view->model().addLine(Line(std::vector<LinePoint>{{10, 10}, {50, 60}, {90, 20}}));
        auto border = std::make_unique<LineList>();
        border->add(Line(std::vector<LinePoint>{{0, 0}, {99, 0}, {99, 79}, {0, 79}, {0, 0}}));
        view->model().setBorder(std::move(border));
        return view;
    }

    QtDeviceFactory factory_;
};

TEST(DocumentKinds, ExtensionsWinOverTheCommand) {
    struct Case {
        const char* path;
        DocumentKind pending;
        DocumentKind kind;
    };
    for (const Case c : {Case{"a/b/FIELD.DAT", DocumentKind::Data, DocumentKind::Data},
                         Case{"photo.JPG", DocumentKind::Data, DocumentKind::Picture},
                         Case{"grid.grd", DocumentKind::Triangles, DocumentKind::GridFile},
                         Case{"map.Gdv", DocumentKind::Data, DocumentKind::Document},
                         Case{"pts.cor", DocumentKind::Data, DocumentKind::Coordinates},
                         Case{"arr.txt", DocumentKind::Array, DocumentKind::Array},
                         Case{"pic.emf", DocumentKind::Data, DocumentKind::Metafile}}) {
        EXPECT_EQ(kindForPath(c.path, c.pending), c.kind) << c.path;
    }
}

// A metafile opens as a map showing its picture, fitted into the drawing
// area: a picture twice as wide as high fills the width of a square page,
// centred, with the page's background above and below.
TEST_F(DocumentTest, AMetafileShowsItsPictureFitted) {
    const std::string path = (testing::testDir() / "wide.emf").string();
    {
        EmfRecorder picture({200, 100}, path, nullptr);
        picture.fillRect({0, 0, 200, 100}, gdi::rgb(10, 200, 30));
        ASSERT_TRUE(picture.finish());
    }
    CVexaDoc doc;
    ASSERT_TRUE(doc.open(path));
    EXPECT_EQ(doc.kind, DocumentKind::Metafile);
    CVexaView view;
    view.initialUpdate(doc, StartupOptions{});
    ASSERT_TRUE(view.documentMetafile.has_value());
    const std::optional<gdi::Dib> drawn = view.drawPicture({400, 400});
    ASSERT_TRUE(drawn.has_value());
    const QImage image = imageFromDib(*drawn);
    // The picture: 400 × 200 from y = 100 to 300.
    for (const QPoint p : {QPoint(12, 110), QPoint(200, 200), QPoint(388, 290)}) {
        EXPECT_EQ(image.pixelColor(p), QColor(10, 200, 30)) << p.x() << "," << p.y();
    }
    for (const QPoint p : {QPoint(200, 95), QPoint(200, 305)}) {
        EXPECT_EQ(image.pixelColor(p), QColor(255, 255, 255)) << p.x() << "," << p.y();
    }
}

// A picture opens as a map showing it fitted: a picture of 13 × 7 pixels
// on a page of 260 × 140 fills it, each pixel 20 × 20; the colours are
// those Pillow reads from the file (tests/fixtures/pictures/png_rgb.txt).
TEST_F(DocumentTest, APictureShowsFitted) {
    const std::string dir = std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/pictures/";
    CVexaDoc doc;
    ASSERT_TRUE(doc.open(dir + "png_rgb.png"));
    EXPECT_EQ(doc.kind, DocumentKind::Picture);
    CVexaView view;
    view.initialUpdate(doc, StartupOptions{});
    ASSERT_TRUE(view.documentPicture.has_value());
    const std::optional<gdi::Dib> drawn = view.drawPicture({260, 140});
    ASSERT_TRUE(drawn.has_value());
    const QImage image = imageFromDib(*drawn);
    // Rows of the dump: "width height -1", then one row of "RRGGBB" per line.
    std::istringstream dump(testing::readFile(dir + "png_rgb.txt"));
    int width = 0, height = 0, transparent = 0;
    dump >> width >> height >> transparent;
    ASSERT_EQ(width, 13);
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(height));
    for (auto& row : rows) {
        row.resize(static_cast<std::size_t>(width));
        for (auto& pixel : row) dump >> pixel;
    }
    for (const auto& [px, py] : {std::pair{0, 0}, {6, 3}, {12, 6}, {3, 5}}) {
        const QColor expected(QString::fromStdString("#" + rows[py][px]));
        EXPECT_EQ(image.pixelColor(px * 20 + 10, py * 20 + 10), expected) << px << "," << py;
    }
}

// A file named as a picture that is none opens with the loader's message
// and an empty map.
TEST_F(DocumentTest, APictureThatIsNoneShowsNothing) {
    CVexaDoc doc;
    ASSERT_TRUE(doc.open(testing::writeFile("photo.jpg", "no picture here")));
    CVexaView view;
    view.initialUpdate(doc, StartupOptions{});
    EXPECT_FALSE(view.documentPicture.has_value());
    EXPECT_NE(testing::lastLogged().find("photo.jpg"), std::string::npos) << testing::lastLogged();
}

// A grid file opens as a map of its nodes: a hidden point per node (a blank
// node without a value), the map's grid over the file's extent with two more
// nodes each side, and a green frame through the midpoints of the grid's
// outer node columns and rows.
TEST_F(DocumentTest, AGridFileShowsItsNodes) {
    const std::string path =
        testing::writeFile("surface.grd", "DSAA\n3 2\n0 10\n0 5\n1 9\n1 2 3\n4 1.70141e38 9\n");
    CVexaDoc doc;
    ASSERT_TRUE(doc.open(path));
    EXPECT_EQ(doc.kind, DocumentKind::GridFile);
    CVexaView view;
    view.initialUpdate(doc, StartupOptions{});
    const PointSet* points = view.model().mainPoints();
    ASSERT_NE(points, nullptr);
    EXPECT_EQ(points->visible, 0);
    ASSERT_EQ(points->size(), 6u);
    // Row after row from ylo: X 0, 5, 10 and Y 0, 5.
    const double xs[] = {0, 5, 10, 0, 5, 10}, ys[] = {0, 0, 0, 5, 5, 5};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(points->points()[i].x, xs[i]) << i;
        EXPECT_EQ(points->points()[i].y, ys[i]) << i;
    }
    EXPECT_EQ(points->points()[0].value, OptionalValue(1));
    EXPECT_EQ(points->points()[4].value, OptionalValue());  // the blank
    const EqNet* grid = view.model().grid();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->nx(), 7);
    EXPECT_EQ(grid->ny(), 6);
    EXPECT_EQ(grid->filterValue, 1e20);
    // Two cells beyond the file's nodes each side: the grid's inner nodes
    // are the file's (X -10, -5, 0, 5, 10, 15, 20; Y -10 ... 15 by 5), and
    // the frame runs through the midpoints of its outer node columns and
    // rows: X -7.5 and 17.5, Y -7.5 and 12.5.
    EXPECT_EQ(grid->nodeX().front(), -10);
    EXPECT_EQ(grid->nodeX()[2], 0);
    EXPECT_EQ(grid->nodeX()[4], 10);
    ASSERT_NE(view.model().border(), nullptr);
    ASSERT_EQ(view.model().border()->size(), 1u);
    const Line& frame = view.model().border()->lines()[0];
    EXPECT_TRUE(frame.isClosed());
    ASSERT_EQ(frame.size(), 5u);
    EXPECT_EQ(frame.points()[0].x, -7.5);
    EXPECT_EQ(frame.points()[0].y, -7.5);
    EXPECT_EQ(frame.points()[2].x, 17.5);
    EXPECT_EQ(frame.points()[2].y, 12.5);
    EXPECT_EQ(frame.style.colorLine, static_cast<std::int32_t>(gdi::rgb(0, 255, 0)));
}

// A volume file is kept by the document for the volume view; the map says
// it shows nothing of it.
TEST_F(DocumentTest, AVolumeFileIsKeptForTheVolumeView) {
    std::string bytes = "DSBF";
    const auto put32 = [&](std::uint32_t v) {
        for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    };
    put32(1);
    std::string name = "Temperature";
    name.resize(32, '\0');
    bytes += name;
    for (std::uint32_t n : {2u, 1u, 1u}) put32(n);
    for (float f : {0.0f, 0.0f, 15.5f, 1.0f, 0.0f, 16.5f}) put32(std::bit_cast<std::uint32_t>(f));
    const std::string path = testing::writeFile("block.grd", bytes);
    CVexaDoc doc;
    ASSERT_TRUE(doc.open(path));
    CVexaView view;
    view.initialUpdate(doc, StartupOptions{});
    ASSERT_NE(doc.volume, nullptr);
    EXPECT_EQ(doc.volume->nx, 2);
    ASSERT_EQ(doc.volume->variables.size(), 1u);
    EXPECT_EQ(doc.volume->variables[0].name, "Temperature");
    EXPECT_EQ(doc.volume->variables[0].values[1], 16.5f);
    EXPECT_EQ(view.model().mainPoints(), nullptr);
    EXPECT_NE(testing::lastLogged().find("2 × 1 × 1"), std::string::npos) << testing::lastLogged();
}

TEST_F(DocumentTest, AMissingFileDoesNotOpen) {
    CVexaDoc doc;
    EXPECT_FALSE(doc.open((testing::testDir() / "missing.dat").string()));
    EXPECT_NE(testing::lastLogged().find("Нельзя открыть файл"), std::string::npos);
}

TEST_F(DocumentTest, FirstDisplayOfADataFile) {
    testing::writeFile("Border.brd", "");  // an empty border file is no border
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    ASSERT_NE(view->model().mainPoints(), nullptr);
    EXPECT_EQ(view->model().mainPoints()->size(), 50u);
    ASSERT_NE(view->mapTitle(), nullptr);
    EXPECT_EQ(view->mapTitle()->lines[0].text, "Карта месторождения");
    EXPECT_EQ(view->mapTitle()->lines[1].text, "Участок 3");
    EXPECT_EQ(view->mapTitle()->lines[2].text, "");
    EXPECT_EQ(doc.title, "Карта месторождения");
    ASSERT_NE(view->model().isolines(), nullptr);
    EXPECT_GT(view->model().isolines()->size(), 3u);
    // The current directory follows the opened file.
    EXPECT_EQ(fs::current_path(), testing::testDir());
}

TEST_F(DocumentTest, OneCharacterTitleLeavesTheDocumentTitle) {
    const std::string path = testing::writeFile("one.dat", "X\n1 2 3\n4 5 6\n7 1 2\n");
    CVexaDoc doc;
    ASSERT_TRUE(doc.open(path));
    CVexaView view;
    view.initialUpdate(doc, StartupOptions{});
    EXPECT_EQ(doc.title, "one.dat");
    // No map type was asked for: the map of points gets the default grid
    // over what it shows, and counts as unchanged.
    ASSERT_NE(view.model().grid(), nullptr);
    EXPECT_EQ(view.model().grid()->nx(), EqNet::kDefaultNodes);
    EXPECT_TRUE(view.model().grid()->extent().contains(DRect(1, 1, 7, 5)));
    EXPECT_FALSE(view.model().mapChanged);
}

TEST_F(DocumentTest, SaveOpenSaveGivesIdenticalBytes) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    ASSERT_TRUE(view->run(MapCommand::ToggleColorBar));
    const std::string first = (testing::testDir() / "first.gdv").string();
    ASSERT_TRUE(view->writeDocument(first));
    EXPECT_FALSE(view->model().mapChanged);

    CVexaView back;
    ASSERT_TRUE(back.readDocument(first));
    ASSERT_NE(back.model().mainPoints(), nullptr);
    EXPECT_EQ(back.model().mainPoints()->size(), 50u);
    ASSERT_NE(back.model().isolines(), nullptr);
    EXPECT_EQ(back.model().isolines()->size(), view->model().isolines()->size());
    ASSERT_NE(back.model().grid(), nullptr);
    EXPECT_EQ(back.model().grid()->values(), view->model().grid()->values());
    ASSERT_NE(back.mapTitle(), nullptr);
    EXPECT_EQ(back.mapTitle()->lines[0].text, "Карта месторождения");
    ASSERT_NE(back.model().border(), nullptr);
    EXPECT_EQ(back.model().objectTree().childCount(), 1u);

    const std::string second = (testing::testDir() / "second.gdv").string();
    ASSERT_TRUE(back.writeDocument(second));
    EXPECT_EQ(testing::readFile(second), testing::readFile(first));
    const std::string bytes = testing::readFile(first);
    EXPECT_EQ(bytes.compare(0, 19, std::string("Gridova 1, 8, 7, 0\0", 19)), 0);

    // Read from its bytes, the document is the same map.
    CVexaView fromBytes;
    ASSERT_TRUE(fromBytes.readDocumentBytes(bytes));
    const std::string third = (testing::testDir() / "third.gdv").string();
    ASSERT_TRUE(fromBytes.writeDocument(third));
    EXPECT_EQ(testing::readFile(third), bytes);
}

// What the dialogs of the method, solver, grid size, node filter, cell
// colour, border value and regression set is kept in the document, with
// the triangle network shown: read back, every setting is there, and saved
// again the bytes are the same.
TEST_F(DocumentTest, EveryDialogsSettingsSurviveTheDocument) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    MapModel& model = view->model();
    EqNet& grid = *model.grid();
    grid.setSteps({7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    grid.shift(-5.5, -4.25);
    grid.method = InterpolationMethod::Kriging;
    grid.solver = 1;
    grid.precision = 2.5e-7;
    grid.maxIterations = 777;
    grid.relaxation = 1.35;
    grid.filterOn = 1;
    grid.filterSign = 2;
    grid.filterValue = 11.125;
    grid.cellColor = gdi::rgb(12, 34, 56);
    grid.cellBorder = 0;
    grid.borderValue = {1, 7.75};
    RegressionSettings regression;
    regression.degree = 2;
    regression.color = gdi::rgb(200, 0, 100);
    regression.width = 4;
    ASSERT_TRUE(model.fitRegression(*model.mainPoints(), regression));
    ASSERT_EQ(view->applyMapType(MapType::TriangleNetwork), 0);
    ASSERT_NE(model.network(), nullptr);

    const std::string first = (testing::testDir() / "settings.gdv").string();
    ASSERT_TRUE(view->writeDocument(first));
    CVexaView back;
    ASSERT_TRUE(back.readDocument(first));
    const EqNet& read = *back.model().grid();
    EXPECT_EQ(read.stepX(), grid.stepX());
    EXPECT_EQ(read.nodeX().front(), -5.5);
    EXPECT_EQ(read.nodeY().front(), -4.25);
    EXPECT_EQ(read.method, InterpolationMethod::Kriging);
    EXPECT_EQ(read.solver, 1);
    EXPECT_EQ(read.precision, 2.5e-7);
    EXPECT_EQ(read.maxIterations, 777);
    EXPECT_EQ(read.relaxation, 1.35);
    EXPECT_EQ(read.filterOn, 1);
    EXPECT_EQ(read.filterSign, 2);
    EXPECT_EQ(read.filterValue, 11.125);
    EXPECT_EQ(read.cellColor, gdi::rgb(12, 34, 56));
    EXPECT_EQ(read.cellBorder, 0);
    EXPECT_EQ(read.borderValue.enabled, 1);
    EXPECT_EQ(read.borderValue.value, 7.75);
    EXPECT_EQ(back.model().settings.mapType, MapType::TriangleNetwork);
    ASSERT_NE(back.model().network(), nullptr);
    EXPECT_EQ(back.model().network()->size(), model.network()->size());
    const PolynomialRegression* fitted = back.model().mainPoints()->regression();
    ASSERT_NE(fitted, nullptr);
    EXPECT_TRUE(*fitted == *model.mainPoints()->regression());
    EXPECT_EQ(fitted->text(), model.mainPoints()->regression()->text());

    const std::string second = (testing::testDir() / "settings-again.gdv").string();
    ASSERT_TRUE(back.writeDocument(second));
    EXPECT_EQ(testing::readFile(second), testing::readFile(first));
}

// A map with every kind of decoration: custom levels, a custom colour
// scale, styled lines, a free text put on the map, an axis and a title.
// Read back and saved again it gives the same bytes, and it draws the same
// picture. (The digits of the bar's labels are the profile's: the scale's
// section has no place for them.)
TEST_F(DocumentTest, ADecoratedMapSurvivesTheDocument) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    MapModel& model = view->model();
    ASSERT_EQ(view->applyMapType(MapType::ColorIsolines), 0);
    ASSERT_TRUE(model.insertIsoline(33.25));
    ColorScale scale;
    scale.copyFrom(model.grid()->colorScale);
    scale.setEndColors(gdi::rgb(0, 40, 200), gdi::rgb(230, 20, 10));
    scale.location = 0;
    scale.upDown = 1;
    scale.visible = 1;
    scale.changed = ColorScale::kChangedColors | ColorScale::kChangedLook;
    ASSERT_TRUE(model.applyColorScale(scale));
    Line& line = *model.objectTree().child(0).item(0).line();
    line.name = "Дорога";
    line.style.colorLine = static_cast<std::int32_t>(gdi::rgb(120, 60, 0));
    line.style.widthLine = 3;
    line.style.penStyle = 1;
    Line pond({{20, 20}, {40, 20}, {40, 35}, {20, 35}, {20, 20}});
    pond.style.typeDraw = LineStyle::kFilledHatched;
    pond.style.fillColor = static_cast<std::int32_t>(gdi::rgb(180, 220, 255));
    pond.style.hatch = 5;
    model.addLine(std::move(pond));
    MapText label;
    label.text = "Скв. 12";
    label.font = gdi::LogFont::pointFont("Arial", 100);
    label.color = gdi::rgb(0, 90, 0);
    label.place[0] = 55;
    label.place[1] = 40;
    label.place[2] = MapText::kWorldPlaced;
    model.addText(model.objectTree(), label);
    MapAxis left;
    setAxisLocate(left, MapAxis::kLeft);
    left.title = "Y, м";
    view->axesLayer().add(left);
    view->setTitle(MapTitle::fromTexts({"Карта напоров", "Апрель", ""}));

    const std::string first = (testing::testDir() / "decorated.gdv").string();
    ASSERT_TRUE(view->writeDocument(first));
    CVexaView back;
    ASSERT_TRUE(back.readDocument(first));
    const ColorScale& read = back.model().grid()->colorScale;
    EXPECT_EQ(read.colors(), model.grid()->colorScale.colors());
    EXPECT_EQ(read.boundaries(), model.grid()->colorScale.boundaries());
    EXPECT_EQ(read.upDown, 1);
    EXPECT_EQ(back.model().isolines()->values(), model.isolines()->values());
    const Bush& tree = back.model().objectTree();
    ASSERT_EQ(tree.itemCount(), 1u);
    ASSERT_NE(tree.item(0).text(), nullptr);
    EXPECT_EQ(*tree.item(0).text(), *model.objectTree().item(0).text());
    EXPECT_EQ(tree.child(0).item(0).line()->style, line.style);

    const std::string second = (testing::testDir() / "decorated-again.gdv").string();
    ASSERT_TRUE(back.writeDocument(second));
    EXPECT_EQ(testing::readFile(second), testing::readFile(first));

    const std::optional<gdi::Dib> drawn = view->drawPicture({480, 360});
    const std::optional<gdi::Dib> drawnBack = back.drawPicture({480, 360});
    ASSERT_TRUE(drawn.has_value());
    ASSERT_TRUE(drawnBack.has_value());
    EXPECT_TRUE(drawn->bits == drawnBack->bits);
}

// The map's axes are kept in the document (its third tree): read back they
// replace the profile's, with every setting, and the bytes saved again are
// the same. A document without axes leaves the map's.
TEST_F(DocumentTest, AxesSurviveTheDocument) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    MapAxis left;
    setAxisLocate(left, MapAxis::kLeft);
    left.colorLine = gdi::rgb(10, 20, 30);
    left.widthLine = 2;
    left.autoTicks = 0;
    left.initTicks = 5;
    left.tickStep = 12.5;
    left.title = "Глубина, м";
    MapAxis bottom;
    setAxisLocate(bottom, MapAxis::kBottom);
    bottom.decimalDigit = 4;
    view->axesLayer().add(left);
    view->axesLayer().add(bottom);
    const std::string first = (testing::testDir() / "axes.gdv").string();
    ASSERT_TRUE(view->writeDocument(first));

    CVexaView back;
    back.axesLayer().add(MapAxis{});  // from the profile: replaced
    ASSERT_TRUE(back.readDocument(first));
    const std::vector<MapAxis*> axes = back.axesLayer().axes();
    ASSERT_EQ(axes.size(), 2u);
    const MapAxis* readLeft = axes[0]->locate == MapAxis::kLeft ? axes[0] : axes[1];
    const MapAxis* readBottom = axes[0]->locate == MapAxis::kLeft ? axes[1] : axes[0];
    EXPECT_EQ(readLeft->colorLine, gdi::rgb(10, 20, 30));
    EXPECT_EQ(readLeft->widthLine, 2);
    EXPECT_EQ(readLeft->autoTicks, 0);
    EXPECT_EQ(readLeft->initTicks, 5);
    EXPECT_EQ(readLeft->tickStep, 12.5);
    EXPECT_EQ(readLeft->title, "Глубина, м");
    EXPECT_EQ(readBottom->decimalDigit, 4);
    EXPECT_EQ(readBottom->xy, MapAxis::kHorizontal);
    EXPECT_EQ(back.model().thirdTree(), nullptr);  // taken by the axes

    const std::string second = (testing::testDir() / "axes-again.gdv").string();
    ASSERT_TRUE(back.writeDocument(second));
    EXPECT_EQ(testing::readFile(second), testing::readFile(first));

    // A document without axes keeps the axes the map has.
    CVexaDoc plainDoc;
    auto plain = fixtureMap(plainDoc);
    const std::string none = (testing::testDir() / "no-axes.gdv").string();
    ASSERT_TRUE(plain->writeDocument(none));
    ASSERT_TRUE(back.readDocument(none));
    EXPECT_EQ(back.axesLayer().axes().size(), 2u);
}

TEST_F(DocumentTest, ColourBandsSurviveTheDocument) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    ASSERT_EQ(view->applyMapType(MapType::ColorIsolines), 0);
    ASSERT_NE(view->model().colorFill(), nullptr);
    ASSERT_GT(view->model().colorFill()->childCount(), 0u);
    const std::string first = (testing::testDir() / "bands.gdv").string();
    ASSERT_TRUE(view->writeDocument(first));
    CVexaView back;
    ASSERT_TRUE(back.readDocument(first));
    ASSERT_NE(back.model().colorFill(), nullptr);
    EXPECT_EQ(back.model().colorFill()->childCount(), view->model().colorFill()->childCount());
    const std::string second = (testing::testDir() / "bands2.gdv").string();
    ASSERT_TRUE(back.writeDocument(second));
    EXPECT_EQ(testing::readFile(second), testing::readFile(first));
}

TEST_F(DocumentTest, ADocumentCutShortNeverCrashes) {
    // Every section of a full map, on a small grid so that every tenth
    // offset can be tried.
    CVexaDoc doc;
    ASSERT_TRUE(doc.open(testing::writeFile("small.dat", dataText(12))));
    auto view = std::make_unique<CVexaView>();
    view->initialUpdate(doc, StartupOptions{});
    view->model().setGrid(EqNet::fromCounts(view->computeWorldRect(), 12, 10));
    ASSERT_EQ(view->applyMapType(MapType::Isolines), 0);
    view->model().addLine(Line(std::vector<LinePoint>{{10, 10}, {50, 60}, {90, 20}}));
    view->model().setBorder(std::make_unique<LineList>());
    view->model().border()->add(Line(std::vector<LinePoint>{{0, 0}, {99, 0}, {99, 79}, {0, 0}}));
    const std::string path = (testing::testDir() / "full.gdv").string();
    ASSERT_TRUE(view->writeDocument(path));
    const std::string bytes = testing::readFile(path);
    for (std::size_t cut = 0; cut < bytes.size(); cut += 10) {
        const std::string part = testing::writeFile("cut.gdv", bytes.substr(0, cut));
        CVexaView back;
        back.readDocument(part);
        // Whatever was read can be drawn (now and then: drawing costs more
        // than reading).
        if (cut % 500 == 0) {
            gdi::RecordingDevice device({200, 200});
            back.drawOn(device);
        }
    }
}

TEST_F(DocumentTest, ADamagedSectionStopsReadingAndKeepsWhatWasRead) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    const std::string path = (testing::testDir() / "damaged.gdv").string();
    ASSERT_TRUE(view->writeDocument(path));
    std::string bytes = testing::readFile(path);
    const std::size_t grid = bytes.find("EN01");
    ASSERT_NE(grid, std::string::npos);
    bytes.replace(grid, 4, "EN09");
    const std::string damaged = testing::writeFile("damaged2.gdv", bytes);
    CVexaView back;
    EXPECT_FALSE(back.readDocument(damaged));
    EXPECT_NE(back.model().mainPoints(), nullptr);  // read before the grid
    EXPECT_EQ(back.model().isolines(), nullptr);    // after it: not read out of step
    EXPECT_EQ(testing::timesLogged("Invalid format."), 1u);
}

TEST_F(DocumentTest, AFailedSaveKeepsTheOldFile) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    const std::string path = (testing::testDir() / "kept.gdv").string();
    ASSERT_TRUE(view->writeDocument(path));
    const std::string before = testing::readFile(path);
    view->model().addLine(Line(std::vector<LinePoint>{{1, 1}, {2, 2}}));
    view->model().mapChanged = true;

    // Files may grow to 200 bytes only: the write fails part way (this
    // holds for root too, unlike a read-only directory).
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 200;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = view->writeDocument(path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    EXPECT_TRUE(view->model().mapChanged);
    EXPECT_EQ(testing::readFile(path), before);
    EXPECT_EQ(testing::lastLogged(), "Нельзя записать в файл " + path);
}

// The document belongs to the map model: a model reads it without any
// view, and gets the page settings of the window that wrote it beside it.
TEST_F(DocumentTest, AModelReadsTheDocumentWithoutAView) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    view->aspectRatio = 0;
    view->pixelMargins = {5, 6, 7, 8};
    view->printSetup.scale = 1;
    const std::string path = (testing::testDir() / "model.gdv").string();
    ASSERT_TRUE(view->writeDocument(path));

    struct Observer final : MapModelObserver {
        unsigned seen = 0;
        void mapModelChanged(unsigned changes) override { seen |= changes; }
    } observer;
    MapModel model;
    model.addObserver(&observer);
    MapPageRecord page;
    ASSERT_TRUE(MapDocumentFile::read(path, model, page));
    model.removeObserver(&observer);
    EXPECT_EQ(observer.seen, kEverythingChanged);
    EXPECT_FALSE(model.mapChanged);
    ASSERT_NE(model.title(), nullptr);
    EXPECT_EQ(model.title()->lines[1].text, "Участок 3");
    EXPECT_EQ(page.aspectRatio, 0);
    EXPECT_EQ(page.pixelMargins, (std::array<std::int32_t, 4>{5, 6, 7, 8}));
    EXPECT_EQ(page.printSetup.scale, 1);
    ASSERT_NE(model.grid(), nullptr);
    EXPECT_EQ(model.grid()->values(), view->model().grid()->values());
}

// A view draws its model's title while there is one: a document without a
// title, read over a map with one, leaves no title to draw.
TEST_F(DocumentTest, ReadingADocumentReplacesTheTitleTheViewDraws) {
    CVexaDoc doc;
    auto view = fixtureMap(doc);
    ASSERT_NE(view->title, nullptr);
    view->setTitle(MapTitle::fromTexts({"Новый заголовок"}));
    EXPECT_EQ(view->mapTitle()->lines.size(), 1u);
    EXPECT_TRUE(view->model().mapChanged);
    const auto drawsTitle = [&] {
        gdi::RecordingDevice device({300, 200});
        view->drawOn(device);
        for (const std::string& call : device.calls()) {
            if (call.find("Новый заголовок") != std::string::npos) return true;
        }
        return false;
    };
    EXPECT_TRUE(drawsTitle());

    CVexaView untitled;
    untitled.model().addPointSet(PointSet());
    const std::string path = (testing::testDir() / "untitled.gdv").string();
    ASSERT_TRUE(untitled.writeDocument(path));
    ASSERT_TRUE(view->readDocument(path));
    EXPECT_EQ(view->mapTitle(), nullptr);
    EXPECT_EQ(view->title, nullptr);
    EXPECT_FALSE(drawsTitle());
}

TEST_F(DocumentTest, ShortSettingsRecordKeepsTheDefaults) {
    // A document with only the header, the layout record and a settings
    // record of one word: every other setting keeps its default.
    std::string bytes = std::string("Gridova 1, 8, 7, 0") + '\0';
    const auto word = [](std::int32_t v) {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i)
            s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
        return s;
    };
    bytes += word(4) + word(1);
    bytes += word(4) + word(17);  // printer margin left only
    const std::string path = testing::writeFile("short.gdv", bytes);
    CVexaView view;
    view.readDocument(path);
    EXPECT_EQ(view.aspectRatio, 1);
    EXPECT_EQ(view.model().settings.frameVisible, 1);
    EXPECT_EQ(view.printSetup.marginLeftCoeff, 0.1);
}

}  // namespace
}  // namespace gridova
