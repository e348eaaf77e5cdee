// The record numbers of the two metafile formats, shared by the recorders
// and the player.
#pragma once

#include <cstdint>

namespace gridova::metafile {

// " EMF" in the enhanced metafile's header.
inline constexpr std::uint32_t kEmfSignature = 0x464D4520;
// The first four bytes of a placeable Windows metafile.
inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// Enhanced metafile record types.
namespace emr {
inline constexpr std::uint32_t Header = 1;
inline constexpr std::uint32_t Polygon = 3;
inline constexpr std::uint32_t Polyline = 4;
inline constexpr std::uint32_t SetWindowExtEx = 9;
inline constexpr std::uint32_t SetWindowOrgEx = 10;
inline constexpr std::uint32_t SetViewportExtEx = 11;
inline constexpr std::uint32_t SetViewportOrgEx = 12;
inline constexpr std::uint32_t Eof = 14;
inline constexpr std::uint32_t SetMapMode = 17;
inline constexpr std::uint32_t SetBkMode = 18;
inline constexpr std::uint32_t SetPolyFillMode = 19;
inline constexpr std::uint32_t SetRop2 = 20;
inline constexpr std::uint32_t SetTextAlign = 22;
inline constexpr std::uint32_t SetTextColor = 24;
inline constexpr std::uint32_t SetBkColor = 25;
inline constexpr std::uint32_t MoveToEx = 27;
inline constexpr std::uint32_t ExcludeClipRect = 29;
inline constexpr std::uint32_t IntersectClipRect = 30;
inline constexpr std::uint32_t SaveDC = 33;
inline constexpr std::uint32_t RestoreDC = 34;
inline constexpr std::uint32_t SelectObject = 37;
inline constexpr std::uint32_t CreatePen = 38;
inline constexpr std::uint32_t CreateBrushIndirect = 39;
inline constexpr std::uint32_t DeleteObject = 40;
inline constexpr std::uint32_t Ellipse = 42;
inline constexpr std::uint32_t Rectangle = 43;
inline constexpr std::uint32_t RoundRect = 44;
inline constexpr std::uint32_t LineTo = 54;
inline constexpr std::uint32_t ExtSelectClipRgn = 75;
inline constexpr std::uint32_t StretchDIBits = 81;
inline constexpr std::uint32_t ExtCreateFontIndirectW = 82;
inline constexpr std::uint32_t ExtTextOutW = 84;
inline constexpr std::uint32_t Polygon16 = 86;
inline constexpr std::uint32_t Polyline16 = 87;
}  // namespace emr

// Windows metafile record functions.
namespace meta {
inline constexpr std::uint16_t Eof = 0x0000;
inline constexpr std::uint16_t SaveDC = 0x001E;
inline constexpr std::uint16_t SetBkMode = 0x0102;
inline constexpr std::uint16_t SetMapMode = 0x0103;
inline constexpr std::uint16_t SetRop2 = 0x0104;
inline constexpr std::uint16_t SetPolyFillMode = 0x0106;
inline constexpr std::uint16_t RestoreDC = 0x0127;
inline constexpr std::uint16_t SelectClipRegion = 0x012C;
inline constexpr std::uint16_t SelectObject = 0x012D;
inline constexpr std::uint16_t SetTextAlign = 0x012E;
inline constexpr std::uint16_t DeleteObject = 0x01F0;
inline constexpr std::uint16_t SetBkColor = 0x0201;
inline constexpr std::uint16_t SetTextColor = 0x0209;
inline constexpr std::uint16_t SetWindowOrg = 0x020B;
inline constexpr std::uint16_t SetWindowExt = 0x020C;
inline constexpr std::uint16_t LineTo = 0x0213;
inline constexpr std::uint16_t MoveTo = 0x0214;
inline constexpr std::uint16_t CreatePenIndirect = 0x02FA;
inline constexpr std::uint16_t CreateFontIndirect = 0x02FB;
inline constexpr std::uint16_t CreateBrushIndirect = 0x02FC;
inline constexpr std::uint16_t Polygon = 0x0324;
inline constexpr std::uint16_t Polyline = 0x0325;
inline constexpr std::uint16_t ExcludeClipRect = 0x0415;
inline constexpr std::uint16_t IntersectClipRect = 0x0416;
inline constexpr std::uint16_t Ellipse = 0x0418;
inline constexpr std::uint16_t Rectangle = 0x041B;
inline constexpr std::uint16_t TextOut = 0x0521;
inline constexpr std::uint16_t RoundRect = 0x061C;
inline constexpr std::uint16_t ExtTextOut = 0x0A32;
inline constexpr std::uint16_t StretchDib = 0x0F43;
}  // namespace meta

}  // namespace gridova::metafile
