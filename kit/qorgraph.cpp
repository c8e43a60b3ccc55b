#include "kit/qorgraph.h"

#include <algorithm>

void TQOR3DCaption::Assign(const TQOR3DCaption& source)
{
    if (&source == this)
        return;
    m_disabledStyle = source.m_disabledStyle;
    m_depth[0] = source.m_depth[0];
    m_depth[1] = source.m_depth[1];
    m_color[0] = source.m_color[0];
    m_color[1] = source.m_color[1];
    m_style = source.m_style;
    m_tracing = source.m_tracing;
    Change();
}

void TQOR3DCaption::SetDisabledStyle(TQORDisabledStyle value)
{
    if (value == m_disabledStyle)
        return;
    m_disabledStyle = value;
    Change();
}

void TQOR3DCaption::SetDepth(int index, std::uint8_t value)
{
    if (index < 0 || index > 1 || m_depth[index] == value)
        return;
    m_depth[index] = value;
    Change();
}

void TQOR3DCaption::SetColor(int index, TColor value)
{
    if (index < 0 || index > 1 || m_color[index] == value)
        return;
    m_color[index] = value;
    Change();
}

void TQOR3DCaption::SetStyle(TQORThreeDStyle value)
{
    if (value == m_style)
        return;
    m_style = value;
    Change();
}

void TQOR3DCaption::SetTracing(int value)
{
    if (value == m_tracing)
        return;
    m_tracing = value;
    Change();
}

void TQORFxCaption::Assign(const TQOR3DCaption& source)
{
    if (&source == this)
        return;
    const auto* fx = dynamic_cast<const TQORFxCaption*>(&source);
    if (!fx) {
        TQOR3DCaption::Assign(source);
        return;
    }
    // One change for the whole copy.
    const auto lock = m_updateLock;
    m_updateLock = 1;
    TQOR3DCaption::Assign(source);
    m_updateLock = lock;
    m_angle = fx->m_angle;
    m_pos[0] = fx->m_pos[0];
    m_pos[1] = fx->m_pos[1];
    Change();
}

void TQORFxCaption::SetAngle(int value)
{
    value = std::clamp(value, 0, 360) % 360;
    if (value == m_angle)
        return;
    m_angle = value;
    Change();
}

void TQORFxCaption::SetPosition(std::uint16_t x, std::uint16_t y)
{
    BeginUpdate();
    SetPos(0, x);
    SetPos(1, y);
    EndUpdate(false);
}

void TQORFxCaption::SetPos(int index, std::uint16_t value)
{
    if (index < 0 || index > 1 || m_pos[index] == value)
        return;
    m_pos[index] = value;
    Change();
}
