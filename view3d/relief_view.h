// `CVexa3DView`: the block relief of a map's grid, drawn with the drawing
// canvas only (so it shows on screen, prints and goes into pictures and
// metafiles as the map does). The columns of the scene (view3d/scene3d.h)
// are painted far first; a flat plane above or below the relief carries
// the map's colour-filled areas, isolines and lines, and the data points
// stand on it at the foot of their drop lines. The view's settings live in
// the profile section "3DView".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "objects/map_title.h"
#include "platform/gdi.h"
#include "render/canvas_view.h"
#include "view3d/scene3d.h"
#include "view3d/transform3d.h"

namespace gridova {

class MapModel;
class TitleLayer;

// The settings of the 3D view (profile section "3DView").
struct Relief3DSettings {
    static constexpr const char* kSection = "3DView";

    double elevation = 0.15;  // the plane's distance from the relief, × zRange
    double hight = 0.1;       // the relief's height, × the larger extent
    std::int32_t topSurface = 1;
    std::int32_t sides = 1;
    std::int32_t transparent = 0;
    std::int32_t width = 0;    // pen width of the columns' outlines
    std::int32_t flat = 1;     // the plane is drawn
    std::int32_t topFlat = 1;  // above the relief (else below)
    std::int32_t pointsShow = 1;
    std::int32_t pointsLinesWidth = 0;
    gdi::ColorRef pointsLinesColor = gdi::rgb(0, 255, 0);
    gdi::ColorRef colorGrid = gdi::rgb(192, 192, 192);
    gdi::ColorRef colorSides = 0;

    // A missing or unreadable key keeps the value.
    void readProfile();
    void writeProfile() const;
    friend bool operator==(const Relief3DSettings&, const Relief3DSettings&) = default;
};

class CVexa3DView final : public CanvasView {
public:
    static constexpr const char* kViewName = "3DView";

    CVexa3DView();
    ~CVexa3DView() override;

    // The first update: the scene of the model's grid (none without
    // values), the map's title, the settings and angles of the profile.
    void build(const MapModel& model);
    bool empty() const { return scene_.empty(); }
    const Scene3D& scene() const { return scene_; }

    const Relief3DSettings& settings() const { return settings_; }
    // Apply: the settings are taken (the plane cannot be shown without
    // isolines), the scene transformed again and the profile written.
    void applySettings(const Relief3DSettings& settings);
    const Transform3D& transform() const { return transform_; }
    // The angles (whole degrees) are taken, kept in the profile and the
    // scene turned.
    void setAnglesDegrees(int x, int y, int z);

    MapTitle* title() { return title_ ? &*title_ : nullptr; }
    // The device rectangle of the title in the last drawing (empty without).
    gdi::Rect titleArea() const;
    // Is the relief seen from above (the farthest column's bottom hidden)?
    bool fromAbove() const;
    // The world rectangle (x', z') of the last drawing; none when nothing
    // was there to draw.
    std::optional<WorldRect> lastWorld() const { return world_; }

    // A double click: on the title, then elsewhere (the window opens the
    // title dialog or the settings on their rotation page).
    std::function<void()> titleDoubleClicked;
    std::function<void()> reliefDoubleClicked;
    void mouseLeftDoubleClick(gdi::Point p) override;

protected:
    void drawMap() override;

private:
    void retransform();
    std::optional<WorldRect> boundingRect() const;
    void drawRelief(DrawingCanvas& c, bool* stopped);
    void drawPrism(DrawingCanvas& c, const Prism3D& prism);
    // True when it drew (and took the pen).
    bool drawDropLines(DrawingCanvas& c, const Prism3D& prism);
    void drawPlane(DrawingCanvas& c);
    void drawBadges(DrawingCanvas& c);

    Scene3D scene_;
    Relief3DSettings settings_;
    Transform3D transform_;
    bool hasIsolines_ = false;
    std::optional<MapTitle> title_;
    std::unique_ptr<TitleLayer> titleLayer_;
    std::optional<WorldRect> world_;
};

}  // namespace gridova
