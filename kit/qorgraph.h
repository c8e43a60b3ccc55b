#pragma once

#include "kit/qorobject.h"
#include "platform/ui/graphics.h"

#include <cstdint>

enum TQORDisabledStyle { dsAuto, dsStandard, ds3d, dsNone };
enum TQORThreeDStyle {
    tdNone,
    tdSunken,
    tdRaised,
    tdSunkenShadow,
    tdRaisedShadow,
    tdPColorSunken,
    tdPColorRaised,
    tdShadow
};

// How a caption text is given depth: light and shadow copies around the text,
// and how it looks when disabled.
class TQOR3DCaption : public TQORObject {
public:
    TQOR3DCaption() = default;

    // Copies every property and reports one change; other kinds of source are ignored.
    virtual void Assign(const TQOR3DCaption& source);

    TQORDisabledStyle DisabledStyle() const { return m_disabledStyle; }
    void SetDisabledStyle(TQORDisabledStyle value);
    std::uint8_t LightDepth() const { return m_depth[0]; }
    std::uint8_t ShadowDepth() const { return m_depth[1]; }
    // index 0 light, 1 shadow
    void SetDepth(int index, std::uint8_t value);
    void SetLightDepth(std::uint8_t value) { SetDepth(0, value); }
    void SetShadowDepth(std::uint8_t value) { SetDepth(1, value); }
    TColor LightColor() const { return m_color[0]; }
    TColor ShadowColor() const { return m_color[1]; }
    void SetColor(int index, TColor value);
    void SetLightColor(TColor value) { SetColor(0, value); }
    void SetShadowColor(TColor value) { SetColor(1, value); }
    TQORThreeDStyle Style() const { return m_style; }
    void SetStyle(TQORThreeDStyle value);
    // Extra pixels between characters.
    int Tracing() const { return m_tracing; }
    void SetTracing(int value);

private:
    TQORDisabledStyle m_disabledStyle { dsAuto };
    std::uint8_t m_depth[2] { 1, 1 };
    TColor m_color[2] { clBtnHighlight, clBtnShadow };
    TQORThreeDStyle m_style { tdNone };
    int m_tracing { 0 };
};

// A caption style that can also turn the text and place it inside its rectangle.
class TQORFxCaption final : public TQOR3DCaption {
public:
    TQORFxCaption() = default;

    void Assign(const TQOR3DCaption& source) override;

    // Degrees counter-clockwise, 0..360; a full turn reads as 0.
    int Angle() const { return m_angle; }
    void SetAngle(int value);
    // The text's offset inside its rectangle; index 0 X, 1 Y.
    std::uint16_t PosX() const { return m_pos[0]; }
    std::uint16_t PosY() const { return m_pos[1]; }
    void SetPos(int index, std::uint16_t value);
    void SetPosX(std::uint16_t value) { SetPos(0, value); }
    void SetPosY(std::uint16_t value) { SetPos(1, value); }
    // Both at once and silently: measuring a caption must not cause a repaint.
    void SetPosition(std::uint16_t x, std::uint16_t y);

private:
    int m_angle { 0 };
    std::uint16_t m_pos[2] { 0, 0 };
};
