// Layers of the map that other parts of the program supply: the title, the
// scale bar, the axes and the background picture. The map view calls them
// at their fixed steps of the full drawing; a slot left empty draws
// nothing and takes no room.
#pragma once

#include <optional>

#include "data/drect.h"
#include "platform/gdi.h"
#include "render/drawing_canvas.h"

namespace gridova {

// The title block above the map.
class MapTitleLayer {
public:
    virtual ~MapTitleLayer() = default;
    // Lays the title out in the canvas's drawing area and gives the height
    // it takes at the top, in pixels.
    virtual int layOut(DrawingCanvas& canvas) = 0;
    virtual void draw(DrawingCanvas& canvas) = 0;
    // The device rectangle of the last drawing (kept out of the map's
    // clipping; a double click there opens the title dialog).
    virtual gdi::Rect area() const = 0;
};

// The scale bar below the map.
class MapScaleBarLayer {
public:
    virtual ~MapScaleBarLayer() = default;
    virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;
    // Reserves the bar's height below the map (through the canvas's
    // margins) and draws it.
    virtual void reserveAndDraw(DrawingCanvas& canvas) = 0;
};

// The axes around the map.
class MapAxesLayer {
public:
    virtual ~MapAxesLayer() = default;
    // The world rectangle the axes take in, when they have one.
    virtual std::optional<DRect> extent() const = 0;
    // Fits the axes to the map's world rectangle.
    virtual void fit(const WorldRect& world) = 0;
    // Adds the room the axes take to the canvas's margins.
    virtual void addRoom(DrawingCanvas& canvas) = 0;
    virtual void draw(DrawingCanvas& canvas) = 0;
};

// The background picture under the map.
class MapBackgroundLayer {
public:
    virtual ~MapBackgroundLayer() = default;
    virtual std::optional<DRect> extent() const = 0;
    virtual void draw(DrawingCanvas& canvas) = 0;
};

}  // namespace gridova
