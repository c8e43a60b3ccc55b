#pragma once

#include "kit/qorobject.h"
#include "kit/qorprocs.h"
#include "platform/ui/graphics.h"

#include <QImage>

#include <cstdint>

enum TQORBevelStyle { bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow };
enum TQORBevelMode { bmCustom, bmStandard, bmEdge };
enum TQOREdgeStyle { etRaisedInner, etRaisedOuter, etSunkenInner, etSunkenOuter, etBump, etEtched, etRaised, etSunken };
enum TQORBorderStyle {
    lsNone,
    lsSingle,
    lsLowered,
    lsRaised,
    lsRaisedspb,
    lsLoweredspb,
    lsRaisedExt,
    lsLoweredExt,
    lsFrameInset,
    lsFrameOffset,
    lsWindowBorder,
    lsSingleRaised,
    lsSingleLowered,
    lsDoubleRaised,
    lsDoubleLowered
};
enum TQORFrameSide : unsigned { fsBottom = 1, fsLeft = 2, fsRight = 4, fsTop = 8 };
using TQORFrameSides = unsigned;
inline constexpr TQORFrameSides fsAllSides = fsBottom | fsLeft | fsRight | fsTop;

// The frame of a kit panel: custom light and shadow bands, one of the desktop's
// standard borders, or a desktop edge, with plain border rings around and inside.
class TQORBevel : public TQORObject {
public:
    TQORBevel() { updateTotalWidth(); }

    // Copies every property and reports one change.
    void Assign(const TQORBevel& source);

    void Change() override;

    // Draws into rect and gives the rectangle inside the frame. With noFill the plain
    // border rings are skipped and only shrink the rectangle.
    void Paint(QImage& canvas, const qorprocs::TRect& rect, qorprocs::TRect& innerRect, bool noFill) const;

    // The distance from the outer edge to the inner rectangle.
    int TotalWidth() const { return m_totalWidth; }

    TQORBevelStyle StyleInner() const { return m_styleInner; }
    void SetStyleInner(TQORBevelStyle value) { setStyle(m_styleInner, m_styleOuter, value); }
    TQORBevelStyle StyleOuter() const { return m_styleOuter; }
    void SetStyleOuter(TQORBevelStyle value) { setStyle(m_styleOuter, m_styleInner, value); }
    int WidthInner() const { return m_widthInner; }
    void SetWidthInner(int value) { set(m_widthInner, bounded(value, 0, 50)); }
    int WidthOuter() const { return m_widthOuter; }
    void SetWidthOuter(int value) { set(m_widthOuter, bounded(value, 0, 50)); }
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value) { set(m_borderColor, value); }
    TQORFrameSides BorderSides() const { return m_borderSides; }
    void SetBorderSides(TQORFrameSides value) { set(m_borderSides, value & fsAllSides); }
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int value) { set(m_borderWidth, bounded(value, 0, 255)); }
    int BorderInnerWidth() const { return m_borderInnerWidth; }
    void SetBorderInnerWidth(int value) { set(m_borderInnerWidth, bounded(value, 0, 255)); }
    TQOREdgeStyle EdgeStyle() const { return m_edgeStyle; }
    void SetEdgeStyle(TQOREdgeStyle value) { set(m_edgeStyle, value); }
    TColor LightColor() const { return m_lightColor; }
    void SetLightColor(TColor value) { set(m_lightColor, value); }
    TQORBevelMode Mode() const { return m_mode; }
    void SetMode(TQORBevelMode value) { set(m_mode, value); }
    TColor ShadowColor() const { return m_shadowColor; }
    void SetShadowColor(TColor value) { set(m_shadowColor, value); }
    TQORBorderStyle StandardStyle() const { return m_standardStyle; }
    void SetStandardStyle(TQORBorderStyle value);

private:
    static int bounded(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }
    template <typename T>
    void set(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        Change();
    }
    void setStyle(TQORBevelStyle& side, TQORBevelStyle& other, TQORBevelStyle value);
    void updateTotalWidth();
    void paintStyleFrame(QImage& canvas, qorprocs::TRect& r, TQORBevelStyle style, int width) const;
    void paintRings(QImage& canvas, qorprocs::TRect& r, int count, bool noFill) const;

    TQORBevelStyle m_styleInner { bvNone };
    TQORBevelStyle m_styleOuter { bvNone };
    int m_widthInner { 1 };
    int m_widthOuter { 1 };
    TColor m_borderColor { clBtnFace };
    TQORFrameSides m_borderSides { fsAllSides };
    int m_borderWidth { 0 };
    int m_borderInnerWidth { 0 };
    TQOREdgeStyle m_edgeStyle { etEtched };
    TColor m_lightColor { clBtnHighlight };
    TQORBevelMode m_mode { bmCustom };
    TColor m_shadowColor { clBtnShadow };
    TQORBorderStyle m_standardStyle { lsSingleLowered };
    int m_totalWidth { 0 };
};
