// The export dialogs of the map window: "Формат выходного файла" of the text
// export of the grid's values ("Запись числ. данных"), "Степень сжатия
// JPEG" of a picture saved as ".jpg", and the line files of the map bar,
// written and read as DXF or in our text form by their extension.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QSignalSpy>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/digit_output_dialog.h"
#include "app/dialogs/file_dialog.h"
#include "app/dialogs/jpeg_quality_dialog.h"
#include "exchange/dxf_lines.h"
#include "grid/eq_net.h"
#include "objects/bush.h"
#include "objects/line_text_files.h"
#include "platform/numbers.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;
namespace fs = std::filesystem;

// The fixture's boxes with the information messages kept as well.
class RecordingBoxes final : public Boxes {
public:
    void information(const std::string&, const std::string& text) override {
        informations.push_back(text);
    }
    void warning(const std::string&, const std::string& text) override { warnings.push_back(text); }
    Answer question(const std::string&, const std::string&) override { return Answer::No; }

    std::vector<std::string> informations;
    std::vector<std::string> warnings;
};

class ExportDialogsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        setBoxes(&boxes_);
    }
    void TearDown() override {
        QtFileChooser::setDialogRunner(nullptr);
        MainWindowTest::TearDown();
    }

    // Runs the dialogs of the kind through `answer` and counts them; any
    // other dialog is a fault of the test.
    template <typename D>
    void answerWith(std::function<int(D&)> answer) {
        answerDialogs([this, answer = std::move(answer)](QDialog& dialog) {
            auto* d = dynamic_cast<D*>(&dialog);
            EXPECT_NE(d, nullptr) << dialog.objectName().toStdString();
            if (d == nullptr) return static_cast<int>(QDialog::Rejected);
            ++dialogsShown_;
            return answer(*d);
        });
    }

    RecordingBoxes boxes_;
    int dialogsShown_ = 0;
};

// --- "Формат выходного файла" ------------------------------------------------------------------

// Six columns (X 0..5) and four rows (Y 0..3), node (i, j) holding
// 100 (j - 1) - 3 i + 0.26. The export leaves the outer frame of nodes out:
// it writes columns 1..4 of row 2, then of row 1:
//     row 2:  97.26  94.26  91.26  88.26
//     row 1:  -2.74  -5.74  -8.74 -11.74
std::unique_ptr<EqNet> smallGrid() {
    auto g = std::make_unique<EqNet>();
    g->setSteps({1, 1, 1, 1, 1}, {1, 1, 1});
    std::vector<double> v;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 6; ++i) v.push_back(100.0 * (j - 1) - 3.0 * i + 0.26);
    }
    EXPECT_EQ(g->SetValues(v), 0);
    return g;
}

TEST_F(ExportDialogsTest, TheFormatDialogRefusesNumbersOutOfTheirRanges) {
    struct Case {
        const char* what;
        QLineEdit* (DigitOutputDialog::*field)() const;
        const char* typed;
        std::string warning;
    };
    const std::string perLine = "Количество чисел в строке: нужно целое число от 1 до 1000";
    const std::string chars = "Количество символов на число: нужно целое число от 1 до 20";
    const std::string decimals = "Количество символов дробной части: нужно целое число от 0 до 10";
    const Case cases[] = {
        {"no numbers per line", &DigitOutputDialog::rowCountEdit, "0", perLine},
        {"1001 numbers per line", &DigitOutputDialog::rowCountEdit, "1001", perLine},
        {"21 characters", &DigitOutputDialog::charCountEdit, "21", chars},
        {"no characters", &DigitOutputDialog::charCountEdit, "0", chars},
        {"11 decimals", &DigitOutputDialog::decimalCountEdit, "11", decimals},
        {"negative decimals", &DigitOutputDialog::decimalCountEdit, "-1", decimals},
        {"not a number", &DigitOutputDialog::charCountEdit, "seven", chars},
        {"not a whole number", &DigitOutputDialog::rowCountEdit, "2.5", perLine},
        {"empty", &DigitOutputDialog::decimalCountEdit, "", decimals},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.warnings.clear();
        DigitOutputDialog dialog(DigitOutput{}, nullptr);
        (dialog.*c.field)()->setText(QString::fromUtf8(c.typed));
        EXPECT_FALSE(dialog.settings().has_value());
        EXPECT_EQ(boxes_.warnings, std::vector<std::string>{c.warning});
        // "Да" says it once more and the dialog stays open.
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(boxes_.warnings.size(), 2u);
    }

    // The ends of the ranges are taken.
    boxes_.warnings.clear();
    DigitOutputDialog dialog(DigitOutput{}, nullptr);
    dialog.rowCountEdit()->setText(QStringLiteral("1000"));
    dialog.charCountEdit()->setText(QStringLiteral(" 20"));
    dialog.decimalCountEdit()->setText(QStringLiteral("0"));
    const std::optional<DigitOutput> ends = dialog.settings();
    ASSERT_TRUE(ends.has_value());
    EXPECT_EQ(ends->rowCount, 1000);
    EXPECT_EQ(ends->charCount, 20);
    EXPECT_EQ(ends->decimalCount, 0);
    dialog.rowCountEdit()->setText(QStringLiteral("1"));
    dialog.charCountEdit()->setText(QStringLiteral("1"));
    dialog.decimalCountEdit()->setText(QStringLiteral("10"));
    ASSERT_TRUE(dialog.settings().has_value());
    EXPECT_EQ(dialog.settings()->rowCount, 1);
    EXPECT_EQ(dialog.settings()->decimalCount, 10);
    EXPECT_TRUE(boxes_.warnings.empty());
}

// "Запись числ. данных" from the menu: the file, then the format dialog
// opened with the stored settings; what "Да" gives is stored and written.
// The files are worked out by hand from the small grid's values: each
// number is a blank and the value right-aligned in its characters.
TEST_F(ExportDialogsTest, TheAcceptedFormatReachesTheProfileAndTheFile) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    w->view().model().setGrid(smallGrid());
    struct Case {
        const char* what;
        std::function<void(DigitOutputDialog&)> type;
        std::string file;
        // RowCount, CharCount, DecimalCount, Comment, XYZFormat as stored.
        std::vector<std::string> stored;
        bool told;  // message 185 with the columns and rows
    };
    const std::vector<Case> cases{
        {"the defaults: ten numbers of seven characters, three decimals",
         [](DigitOutputDialog&) {},
         "* X = 4  Y = 2\n"
         "  97.260  94.260  91.260  88.260\n"
         "  -2.740  -5.740  -8.740 -11.740\n",
         {"10", "7", "3", "*", "0"},
         true},
        {"three to a line of eight characters, one decimal, comment '#'",
         [](DigitOutputDialog& d) {
             d.rowCountEdit()->setText(QStringLiteral("3"));
             d.charCountEdit()->setText(QStringLiteral("8"));
             d.decimalCountEdit()->setText(QStringLiteral("1"));
             d.commentEdit()->setText(QStringLiteral("#!"));
         },
         "# X = 4  Y = 2\n"
         "     97.3     94.3     91.3\n"
         "     88.3\n"
         "     -2.7     -5.7     -8.7\n"
         "    -11.7\n",
         {"3", "8", "1", "#!", "0"},
         true},
        {"no comment: no header line",
         [](DigitOutputDialog& d) {
             d.rowCountEdit()->setText(QStringLiteral("2"));
             d.charCountEdit()->setText(QStringLiteral("1"));
             d.decimalCountEdit()->setText(QStringLiteral("2"));
             d.commentEdit()->clear();
         },
         " 97.26 94.26\n"
         " 91.26 88.26\n"
         " -2.74 -5.74\n"
         " -8.74 -11.74\n",
         // The profile keeps an empty value as no value.
         {"2", "1", "2", "(none)", "0"},
         true},
        {"X Y Z lines, whole numbers",
         [](DigitOutputDialog& d) {
             d.charCountEdit()->setText(QStringLiteral("1"));
             d.decimalCountEdit()->setText(QStringLiteral("0"));
             d.xyzBox()->setChecked(true);
         },
         " 1 2 97\n 2 2 94\n 3 2 91\n 4 2 88\n"
         " 1 1 -3\n 2 1 -6\n 3 1 -9\n 4 1 -12\n",
         {"2", "1", "0", "*", "1"},
         false},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.informations.clear();
        const std::string path = inTestDir("values" + std::to_string(number++) + ".txt");
        chooser_.paths = {path};
        DigitOutput shown;
        answerWith<DigitOutputDialog>([&](DigitOutputDialog& d) {
            shown.rowCount = d.rowCountEdit()->text().toInt();
            shown.charCount = d.charCountEdit()->text().toInt();
            shown.decimalCount = d.decimalCountEdit()->text().toInt();
            shown.comment = d.commentEdit()->text().toStdString();
            shown.xyzFormat = d.xyzBox()->isChecked();
            if (number == 1) {
                EXPECT_TRUE(saveScreenshot(d, "digit_output_dialog.png"));
            }
            c.type(d);
            d.accept();
            return d.result();
        });
        window_->refreshActions();
        QAction* action = window_->actionFor(MapCommand::WriteGridText);
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
        EXPECT_EQ(chooser_.requests.back().extension, "txt");
        EXPECT_FALSE(chooser_.requests.back().forOpen);
        ASSERT_TRUE(fs::exists(path));
        EXPECT_EQ(testing::readFile(path), c.file);
        const std::vector<std::string> stored{
            profileText(DigitOutput::kSection, "RowCount").value_or("(none)"),
            profileText(DigitOutput::kSection, "CharCount").value_or("(none)"),
            profileText(DigitOutput::kSection, "DecimalCount").value_or("(none)"),
            profileText(DigitOutput::kSection, "Comment").value_or("(none)"),
            profileText(DigitOutput::kSection, "XYZFormat").value_or("(none)")};
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(boxes_.informations, c.told ? std::vector<std::string>{formatText(
                                                    text(185), {std::int64_t{4}, std::int64_t{2}})}
                                              : std::vector<std::string>{});
        EXPECT_TRUE(boxes_.warnings.empty());
        if (number == 1) {
            // Nothing stored yet: the defaults.
            EXPECT_EQ(shown.rowCount, 10);
            EXPECT_EQ(shown.charCount, 7);
            EXPECT_EQ(shown.decimalCount, 3);
            EXPECT_EQ(shown.comment, "*");
            EXPECT_FALSE(shown.xyzFormat);
        }
        if (number == 4) {
            // The settings of the case before (an empty comment cannot be
            // told from none in the profile: it is the default again).
            EXPECT_EQ(shown.rowCount, 2);
            EXPECT_EQ(shown.charCount, 1);
            EXPECT_EQ(shown.decimalCount, 2);
            EXPECT_EQ(shown.comment, "*");
        }
    }
    EXPECT_EQ(dialogsShown_, 4);
}

// Cancelling the file dialog or the format dialog writes nothing and
// stores nothing; the format dialog is not opened without a file.
TEST_F(ExportDialogsTest, CancellingEitherDialogWritesNothing) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    w->view().model().setGrid(smallGrid());
    struct Case {
        const char* what;
        std::optional<std::string> file;
        int formatDialogs;
    };
    const Case cases[] = {
        {"the file dialog", std::nullopt, 0},
        {"the format dialog", inTestDir("cancelled.txt"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogsShown_ = 0;
        chooser_.paths = {c.file};
        answerWith<DigitOutputDialog>([](DigitOutputDialog& d) {
            d.rowCountEdit()->setText(QStringLiteral("5"));
            return static_cast<int>(QDialog::Rejected);
        });
        EXPECT_TRUE(w->runCommand(MapCommand::WriteGridText));
        EXPECT_EQ(dialogsShown_, c.formatDialogs);
        EXPECT_FALSE(fs::exists(inTestDir("cancelled.txt")));
        EXPECT_FALSE(w->writeGridText());
        EXPECT_EQ(profileText(DigitOutput::kSection, "RowCount"), std::nullopt);
        EXPECT_TRUE(boxes_.informations.empty());
    }
}

TEST_F(ExportDialogsTest, WritingTheValuesNeedsAGridWithValues) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    QAction* action = window_->actionFor(MapCommand::WriteGridText);
    window_->refreshActions();
    EXPECT_TRUE(w->commandState(MapCommand::WriteGridText).enabled);
    EXPECT_TRUE(action->isEnabled());

    // The grid laid but not computed, then no grid at all.
    w->view().model().grid()->dropValues();
    for (const bool laid : {true, false}) {
        SCOPED_TRACE(laid ? "a grid without values" : "no grid");
        if (!laid) w->view().model().setGrid(nullptr);
        window_->refreshActions();
        EXPECT_FALSE(w->commandState(MapCommand::WriteGridText).enabled);
        EXPECT_FALSE(action->isEnabled());
        chooser_.paths = {inTestDir("none.txt")};
        EXPECT_FALSE(w->runCommand(MapCommand::WriteGridText));
        EXPECT_FALSE(w->writeGridText());
        EXPECT_TRUE(chooser_.requests.empty());
    }
    EXPECT_FALSE(fs::exists(inTestDir("none.txt")));
}

// --- "Степень сжатия JPEG" ---------------------------------------------------------------------

TEST_F(ExportDialogsTest, TheQualityIsAWholeNumberFrom0To100) {
    struct Case {
        const char* typed;
        std::optional<int> quality;
    };
    const Case cases[] = {
        {"101", std::nullopt},
        {"-1", std::nullopt},
        {"high", std::nullopt},
        {"", std::nullopt},
        {"0", 0},
        {"100", 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        boxes_.warnings.clear();
        JpegQualityDialog dialog(75, nullptr);
        EXPECT_EQ(dialog.qualityEdit()->text(), QStringLiteral("75"));
        dialog.qualityEdit()->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(dialog.quality(), c.quality);
        EXPECT_EQ(boxes_.warnings,
                  c.quality ? std::vector<std::string>{}
                            : std::vector<std::string>{"Качество: нужно целое число от 0 до 100"});
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.quality.has_value());
    }
}

// A picture saved as ".jpg" (any case) asks its quality after the file:
// "Да" stores it and writes the picture with it, Cancel writes nothing.
// Other types ask nothing.
TEST_F(ExportDialogsTest, AJpegPictureAsksItsQuality) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    QString shown;
    const auto answer = [&](const char* quality, int result) {
        answerWith<JpegQualityDialog>([&shown, quality, result](JpegQualityDialog& d) {
            shown = d.qualityEdit()->text();
            d.qualityEdit()->setText(QString::fromUtf8(quality));
            if (result == QDialog::Accepted) {
                d.accept();
                return d.result();
            }
            return result;
        });
    };

    // Nothing stored: 75 is shown; a refused 101 keeps the dialog open.
    answerWith<JpegQualityDialog>([&](JpegQualityDialog& d) {
        shown = d.qualityEdit()->text();
        EXPECT_TRUE(saveScreenshot(d, "jpeg_quality_dialog.png"));
        d.qualityEdit()->setText(QStringLiteral("101"));
        d.accept();
        EXPECT_NE(d.result(), QDialog::Accepted);
        d.qualityEdit()->setText(QStringLiteral("30"));
        d.accept();
        return d.result();
    });
    chooser_.paths = {inTestDir("low.jpg")};
    ASSERT_TRUE(w->savePicture());
    EXPECT_EQ(shown, QStringLiteral("75"));
    EXPECT_EQ(dialogsShown_, 1);
    EXPECT_EQ(profileText("JPEG", "Quality"), "30");
    EXPECT_EQ(boxes_.warnings, std::vector<std::string>{"Качество: нужно целое число от 0 до 100"});
    QImageReader low(QString::fromStdString(inTestDir("low.jpg")));
    EXPECT_EQ(low.format(), QByteArray("jpeg"));
    EXPECT_EQ(low.read().size(), QSize(800, 800));

    // The stored quality is shown next time, and a higher one makes a
    // larger file of the same map: the writer took the value.
    boxes_.warnings.clear();
    answer("95", QDialog::Accepted);
    chooser_.paths = {inTestDir("high.JPG")};
    ASSERT_TRUE(w->savePicture());
    EXPECT_EQ(shown, QStringLiteral("30"));
    EXPECT_EQ(profileText("JPEG", "Quality"), "95");
    EXPECT_EQ(QImage(QString::fromStdString(inTestDir("high.JPG"))).size(), QSize(800, 800));
    EXPECT_GT(fs::file_size(inTestDir("high.JPG")), fs::file_size(inTestDir("low.jpg")));

    // Cancel: nothing written, the quality kept; the folder and type of
    // the file dialog were stored before.
    answer("10", QDialog::Rejected);
    writeProfileText("Graphic", "Directory", "/nowhere");
    chooser_.paths = {inTestDir("cancelled.jpg")};
    EXPECT_FALSE(w->savePicture());
    EXPECT_FALSE(fs::exists(inTestDir("cancelled.jpg")));
    EXPECT_EQ(profileText("JPEG", "Quality"), "95");
    EXPECT_EQ(profileText("Graphic", "Directory"), testDir().string());
    EXPECT_EQ(profileText("Graphic", "Extnsion"), "jpg");

    // A PNG asks nothing.
    dialogsShown_ = 0;
    chooser_.paths = {inTestDir("plain.png")};
    EXPECT_TRUE(w->savePicture());
    EXPECT_EQ(dialogsShown_, 0);
    EXPECT_TRUE(boxes_.warnings.empty());
}

// --- Line files ----------------------------------------------------------------------------------

// A line's name, the style both forms keep, and its points.
std::string describe(const Line& line) {
    const LineStyle& s = line.style;
    std::string out = line.name.value_or("(unnamed)") + " " + std::to_string(s.typeDraw) + "/" +
                      std::to_string(s.colorLine) + "/" + std::to_string(s.fillColor) + "/" +
                      std::to_string(s.widthLine) + (line.isClosed() ? " closed" : "") + " [";
    for (const LinePoint& p : line.points())
        out += formatDouble(p.x) + " " + formatDouble(p.y) + ";";
    return out + "]";
}

// A group's lines and its children, in their order.
std::string describe(const Bush& group) {
    std::string out = group.name() + " {";
    for (std::size_t k = 0; k < group.itemCount(); ++k) {
        if (const Line* line = group.item(k).line()) out += " " + describe(*line);
    }
    for (std::size_t k = 0; k < group.childCount(); ++k) out += " " + describe(group.child(k));
    return out + " }";
}

// "Реки" holds two named lines; its child "Озёра" a closed filled one.
std::unique_ptr<Bush> sampleGroup() {
    auto group = std::make_unique<Bush>("Реки");
    Line river({{5432123.4, 0.1}, {5432124.5, -12.5}, {6000000, 7.25}});
    river.name = "Волга";
    river.style.colorLine = 0x0000FF;
    river.style.widthLine = 2;
    group->addItem(BushItem(std::move(river)));
    Line brook({{0.5, 0.5}, {1, 2}});
    brook.name = "Ручей";
    group->addItem(BushItem(std::move(brook)));
    Bush& lakes = group->addChild(std::make_unique<Bush>("Озёра"));
    Line lake({{0, 0}, {10, 0}, {10, 10}, {0, 0}});
    lake.name = "Озеро";
    lake.style.typeDraw = LineStyle::kFilled;
    lake.style.fillColor = -3;
    lakes.addItem(BushItem(std::move(lake)));
    return group;
}

// Saving a group or one line: ".dxf" in any case writes DXF, anything else
// our text form; the folder and the extension chosen are kept in the
// profile. Each file reads back to what was saved.
TEST_F(ExportDialogsTest, LinesAreSavedInTheFormOfTheirExtension) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    const std::unique_ptr<Bush> group = sampleGroup();
    const Line& river = *group->item(0).line();
    const fs::path folder = testDir() / "lines";
    fs::create_directory(folder);
    struct Case {
        const char* chosen;
        bool oneLine;
        const char* written;
        bool dxf;
        const char* storedExtension;
    };
    const Case cases[] = {
        {"group.dxf", false, "group.dxf", true, "dxf"},
        {"group.DXF", false, "group.DXF", true, "DXF"},
        {"group.lxt", false, "group.lxt", false, "lxt"},
        {"group.txt", false, "group.txt", false, "txt"},
        // Without an extension our own is added.
        {"group", false, "group.lxt", false, "lxt"},
        {"line.Dxf", true, "line.Dxf", true, "Dxf"},
        {"line.lxt", true, "line.lxt", false, "lxt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        writeProfileText("Graphic", "Extnsion", "png");
        chooser_.paths = {(folder / c.chosen).string()};
        EXPECT_TRUE(c.oneLine ? w->saveLine(river) : w->saveLines(*group));
        EXPECT_EQ(chooser_.requests.back().extension, "lxt");
        EXPECT_FALSE(chooser_.requests.back().forOpen);
        EXPECT_EQ(profileText("Graphic", "Directory"), folder.string());
        EXPECT_EQ(profileText("Graphic", "Extnsion"), c.storedExtension);
        const std::string path = (folder / c.written).string();
        ASSERT_TRUE(fs::exists(path));
        const std::string written = testing::readFile(path);
        Bush back("back");
        if (c.dxf) {
            EXPECT_TRUE(startsWith(written, "0\nSECTION\n2\nENTITIES\n"));
            ASSERT_TRUE(readDxfFile(path, back));
        } else {
            EXPECT_TRUE(startsWith(written, c.oneLine ? kLineTextTag : kGroupTextTag));
            ASSERT_TRUE(readLineFile(path, back));
        }
        if (c.oneLine) {
            // A lone line comes back as the only line of a new group (DXF)
            // or as a line of the group read into (our form).
            const Bush& holder = c.dxf ? back.child(0) : back;
            ASSERT_EQ(back.childCount(), c.dxf ? 1u : 0u);
            ASSERT_EQ(holder.itemCount(), 1u);
            ASSERT_NE(holder.item(0).line(), nullptr);
            EXPECT_EQ(describe(*holder.item(0).line()), describe(river));
        } else if (c.dxf) {
            // A group's file names the group it is read into.
            EXPECT_EQ(describe(back), describe(*group));
        } else {
            ASSERT_EQ(back.childCount(), 1u);
            EXPECT_EQ(describe(back.child(0)), describe(*group));
        }
    }
    EXPECT_TRUE(boxes_.warnings.empty());
}

// The line file's dialog offers the line types of message 370, starts in
// the kept folder, and a DXF typed there is written as DXF.
TEST_F(ExportDialogsTest, TheLineDialogOffersTheLineTypesInTheKeptFolder) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    const fs::path folder = testDir() / "kept";
    fs::create_directory(folder);
    writeProfileText("Graphic", "Directory", folder.string());
    QtFileChooser dialogs;
    setFileChooser(&dialogs);
    QString directory, selected;
    QStringList filters;
    QtFileChooser::setDialogRunner([&](QFileDialog& dialog) {
        directory = dialog.directory().absolutePath();
        filters = dialog.nameFilters();
        selected = dialog.selectedNameFilter();
        dialog.selectFile(QStringLiteral("typed.dxf"));
        return true;
    });
    const std::unique_ptr<Bush> group = sampleGroup();
    ASSERT_TRUE(w->saveLines(*group));
    EXPECT_EQ(directory.toStdString(), folder.string());
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Текстовый файл (*.lxt *.LXT)"),
                                    QStringLiteral("Текстовый файл (*.txt *.TXT)"),
                                    QStringLiteral("Autocad dxf (*.dxf *.DXF)"),
                                    QStringLiteral("Все файлы (*)")}));
    EXPECT_EQ(selected, filters.front());
    Bush back("back");
    ASSERT_TRUE(readDxfFile((folder / "typed.dxf").string(), back));
    EXPECT_EQ(describe(back), describe(*group));
    EXPECT_EQ(profileText("Graphic", "Extnsion"), "dxf");

    // The import's dialog is the same, for opening.
    Bush into("into");
    filters.clear();
    directory.clear();
    ASSERT_TRUE(w->importLines(into));
    EXPECT_EQ(directory.toStdString(), folder.string());
    EXPECT_EQ(filters.size(), 4);
    EXPECT_EQ(into.childCount(), 1u);

    // The picture dialog proposes a picture type still.
    QString suffix;
    QtFileChooser::setDialogRunner([&](QFileDialog& dialog) {
        suffix = dialog.defaultSuffix();
        return false;
    });
    EXPECT_FALSE(w->savePicture());
    EXPECT_EQ(suffix, QStringLiteral("png"));
}

// "Импортировать линии...": a ".dxf" is read as DXF into the group (a
// foreign POLYLINE becomes a new group of one line), a line text file as
// before; the map hears of the new lines. A damaged DXF adds nothing.
TEST_F(ExportDialogsTest, ImportedDxfLinesJoinTheGroup) {
    MapWindow* w = openIsolines(dataPath_);
    ASSERT_NE(w, nullptr);
    // A closed triangle on layer "roads" as other programs write it (CRLF
    // line ends, a header section, layer and colour codes).
    const std::string foreign =
        "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  0\r\nENDSEC\r\n"
        "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nPOLYLINE\r\n  8\r\nroads\r\n 62\r\n1\r\n"
        " 66\r\n1\r\n 70\r\n1\r\n"
        "  0\r\nVERTEX\r\n  8\r\nroads\r\n 10\r\n1.5\r\n 20\r\n-2\r\n 30\r\n0\r\n"
        "  0\r\nVERTEX\r\n  8\r\nroads\r\n 10\r\n4\r\n 20\r\n-2\r\n 30\r\n0\r\n"
        "  0\r\nVERTEX\r\n  8\r\nroads\r\n 10\r\n4\r\n 20\r\n0.25\r\n 30\r\n0\r\n"
        "  0\r\nSEQEND\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    const std::string foreignPath = writeFile("roads.DXF", foreign);
    const std::string damagedPath =
        writeFile("damaged.dxf", "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE\n0\nVERTEX\n10\nnorth\n");
    std::string ours;
    appendLineText(ours, Line(std::vector<LinePoint>{{7, 8}, {9, 10}}));
    const std::string oursPath = writeFile("ours.lxt", ours);

    Bush& tree = w->view().model().objectTree();
    const std::size_t before = tree.childCount();
    const std::size_t items = tree.itemCount();
    QSignalSpy changed(w, &MapWindow::mapChanged);

    chooser_.paths = {foreignPath};
    ASSERT_TRUE(w->importLines(tree));
    EXPECT_TRUE(chooser_.requests.back().forOpen);
    EXPECT_EQ(chooser_.requests.back().extension, "lxt");
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(tree.childCount(), before + 1);
    const Bush& road = tree.child(before);
    ASSERT_EQ(road.itemCount(), 1u);
    ASSERT_NE(road.item(0).line(), nullptr);
    const Line& triangle = *road.item(0).line();
    EXPECT_TRUE(triangle.isClosed());
    EXPECT_EQ(triangle.points(),
              (std::vector<LinePoint>{{1.5, -2}, {4, -2}, {4, 0.25}, {1.5, -2}}));
    EXPECT_EQ(profileText("Graphic", "Extnsion"), "DXF");
    EXPECT_EQ(profileText("Graphic", "Directory"), testDir().string());

    // Our line file adds its line to the group itself.
    chooser_.paths = {oursPath};
    ASSERT_TRUE(w->importLines(tree));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(tree.childCount(), before + 1);
    ASSERT_EQ(tree.itemCount(), items + 1);
    ASSERT_NE(tree.item(items).line(), nullptr);
    EXPECT_EQ(tree.item(items).line()->points(), (std::vector<LinePoint>{{7, 8}, {9, 10}}));

    // Damaged, or cancelled: nothing added and nothing to hear.
    boxes_.warnings.clear();
    chooser_.paths = {damagedPath, std::nullopt};
    EXPECT_FALSE(w->importLines(tree));
    EXPECT_EQ(boxes_.warnings, std::vector<std::string>{formatText(text(9422), {damagedPath})});
    EXPECT_FALSE(w->importLines(tree));
    EXPECT_EQ(tree.childCount(), before + 1);
    EXPECT_EQ(tree.itemCount(), items + 1);
    EXPECT_EQ(changed.count(), 2);
}

}  // namespace
}  // namespace gridova
