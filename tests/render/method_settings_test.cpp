// The parameters of a method are loaded before its run, offered to the
// parameter dialog when the stored source is not the defaults, and stored
// after it: the model's side of the methods' settings.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "platform/profile.h"
#include "render/map_model.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

// A dialog that records what it was shown and enters what it is given.
class ScriptedEditor final : public MethodSettingsEditor {
public:
    bool editInverseDistance(InverseDistanceSettings& settings,
                             const InverseDistanceParameters& defaults, int points) override {
        ++calls;
        shownDefaults = defaults;
        shownPoints = points;
        shownSource = static_cast<int>(settings.source);
        shownPower = settings.power;
        if (!power) return false;
        settings.power = *power;
        return true;
    }
    bool editKriging(KrigingSettings& settings, const KrigingDataSummary& data) override {
        ++calls;
        shownSource = static_cast<int>(settings.source);
        shownData = data;
        if (!entry) return false;
        settings = KrigingSettings::entered(*entry);
        return true;
    }
    int calls = 0;
    int shownSource = -1;
    InverseDistanceParameters shownDefaults;
    int shownPoints = 0;
    std::optional<double> shownPower;
    KrigingDataSummary shownData;
    std::optional<double> power;
    std::optional<KrigingEntry> entry;
};

std::string stored(const char* section, const char* key) {
    std::string text;
    readProfileText(section, key, text);
    return text;
}

// A(0, 0) = 1, B(4, 0) = 2, C(0, 3) = 4 on a grid of nodes 0..4 each way.
void setUp(MapModel& model, InterpolationMethod method) {
    PointSet set;
    set.addPoint(0, 0, 1);
    set.addPoint(4, 0, 2);
    set.addPoint(0, 3, 4);
    set.computeStatistics();
    model.addPointSet(std::move(set));
    auto grid = std::make_unique<EqNet>();
    grid->setSteps({1, 1, 1, 1}, {1, 1, 1, 1});
    grid->method = method;
    model.setGrid(std::move(grid));
}

TEST(MethodSettings, InverseDistanceAsksUnlessTheDefaultsAreStoredAndKeepsWhatRan) {
    constexpr const char* kSection = "Inverse Distance";
    // Node (2, 1): d² = 5, 5, 8 from A, B, C.
    const double powerTwo = (1.0 / 5 + 2.0 / 5 + 4.0 / 8) / (2.0 / 5 + 1.0 / 8);
    const double powerOne = (1 / std::sqrt(5.0) + 2 / std::sqrt(5.0) + 4 / std::sqrt(8.0)) /
                            (2 / std::sqrt(5.0) + 1 / std::sqrt(8.0));
    struct Case {
        const char* storedSource;
        bool withEditor;
        std::optional<double> entered;  // the power the dialog enters
        int calls;
        double atTwoOne;
        const char* powerAfter;
    };
    const Case cases[] = {
        {"0", true, 1.0, 0, powerTwo, "2"},            // defaults: no dialog
        {"1", true, 1.0, 1, powerOne, "1"},            // custom: the dialog's entry runs
        {"1", false, std::nullopt, 0, powerTwo, "2"},  // unattended: the defaults
        {"2", true, std::nullopt, 1, powerOne, "1"},   // previous, cancelled: the stored
        {"2", false, std::nullopt, 0, powerOne, "1"},  // unattended: the stored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.storedSource) + (c.withEditor ? " dialog" : ""));
        removeProfileSection(kSection);
        writeProfileText(kSection, "Type Init", c.storedSource);
        writeProfileText(kSection, "Power", "1");
        MapModel model;
        setUp(model, InterpolationMethod::InverseDistance);
        ScriptedEditor editor;
        editor.power = c.entered;
        if (c.withEditor) model.methodEditor = &editor;
        ASSERT_EQ(model.applyMapType(MapType::ColorCells), 0);
        EXPECT_EQ(editor.calls, c.calls);
        if (c.calls > 0) {
            EXPECT_EQ(editor.shownSource, std::stoi(c.storedSource));
            // The dialog starts from the stored values only for "previous".
            EXPECT_EQ(editor.shownPower.has_value(), c.storedSource[0] == '2');
            // What the run computes without entries: the diagonal of the
            // 4 × 3 extent, every point, 0.1 × the smallest node step.
            EXPECT_EQ(editor.shownPoints, 3);
            EXPECT_EQ(editor.shownDefaults.radius, 5.0);
            EXPECT_EQ(editor.shownDefaults.nearestPoints, 3);
            EXPECT_NEAR(editor.shownDefaults.tolerance, 0.1, 1e-15);
            EXPECT_EQ(editor.shownDefaults.power, 2.0);
        }
        EXPECT_NEAR(model.grid()->value(2, 1), c.atTwoOne, 1e-12);
        EXPECT_EQ(stored(kSection, "Power"), c.powerAfter);
        EXPECT_EQ(stored(kSection, "Type Init"), c.storedSource);
    }
}

TEST(MethodSettings, KrigingAsksUnlessTheDefaultsAreStoredAndKeepsOnlyWhatWasEntered) {
    constexpr const char* kSection = "Kriging";
    struct Case {
        const char* storedSource;
        bool enters;
        int calls;
        const char* modeAfter;
    };
    const Case cases[] = {
        {"0", true, 0, "3"},   // defaults: no dialog, nothing stored
        {"1", false, 1, "3"},  // custom, cancelled: nothing stored
        {"1", true, 1, "2"},   // custom, entered: stored
        {"2", true, 1, "2"},   // previous, entered: stored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.storedSource) + (c.enters ? " entered" : ""));
        removeProfileSection(kSection);
        writeProfileText(kSection, "Type Init", c.storedSource);
        writeProfileInt(kSection, "Mode", Kriging::kGaussian);
        MapModel model;
        setUp(model, InterpolationMethod::Kriging);
        ScriptedEditor editor;
        if (c.enters) editor.entry = KrigingEntry{KrigingSource::Custom, 2, 3.0, 0.0, 1.0};
        model.methodEditor = &editor;
        ASSERT_EQ(model.applyMapType(MapType::ColorCells), 0);
        EXPECT_EQ(editor.calls, c.calls);
        if (c.calls > 0) {
            // Three distinct points; their extent is 4 × 3.
            EXPECT_EQ(editor.shownData.distinctPoints, 3);
            EXPECT_DOUBLE_EQ(editor.shownData.diagonal, 5.0);
        }
        EXPECT_EQ(stored(kSection, "Mode"), c.modeAfter);
    }
}

}  // namespace
}  // namespace gridova
