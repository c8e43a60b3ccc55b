#pragma once

#include "client/core/buddy.h"

#include <QImage>

class QPainter;

#include <string>

// The buddy list drawn into an off-screen picture, with the pointer state the
// main bar keeps for it: scroll offset, press point, dragging and hovering.
// It draws and decides; the main bar shows the band and plays the sounds.
class TBuddyCanvas {
public:
    static constexpr int kWidth = 102;
    static constexpr int kLineHeight = 21;
    static constexpr int kEmptyHeight = 150;
    static constexpr int kNameLeft = 16;
    static constexpr int kScrollStep = 18;
    static constexpr int kDragSlop = 3;

    // Icons of the list, in the image list's order.
    enum Icon { IconOnline = 0, IconOffline = 1, IconAway = 2, IconBlocked = 3 };

    static constexpr TColor kOnlineColor = RGB(0, 255, 0);
    static constexpr TColor kOfflineColor = RGB(128, 128, 128);
    static constexpr TColor kAwayColor = RGB(255, 255, 0);
    static constexpr TColor kBlockedColor = RGB(255, 0, 0);
    static constexpr TColor kEmptyTextColor = RGB(255, 255, 0);

    // 21 pixels a buddy plus 2, or 150 with none.
    static int PictureHeightFor(int buddies);
    static TColor NameColor(const Tbuddy& buddy);

    // PaintBuddyList: online buddies first, then offline ones, each in list order.
    // Sets each buddy's X, Y, Color and TextHeight; offline buddies lose their address.
    void Paint(TBuddyStore& store);
    const QImage& Picture() const { return m_picture; }
    int PictureHeight() const { return m_picture.height(); }

    // Draws one buddy's name again, underlined or plain.
    void DrawName(const Tbuddy& buddy, bool underlined);

    int Offset() const { return m_offset; }
    void SetOffset(int offset) { m_offset = offset; }
    // Never below 0, so a list shorter than the box always shows from its top.
    int MaxOffset(int boxHeight) const;

    // The Up and Down keys of the search box; true when the scroll sound is due.
    bool ScrollUpKey();
    bool ScrollDownKey(int boxHeight);
    // One pixel of the arrow panels held down; false when nothing moved, so the hold loop ends.
    bool StepUp();
    bool StepDown(int boxHeight);

    // Pointer over the list. Returns true when the drag scrolled and the scroll sound is due.
    struct MoveResult {
        bool scrolled { false };
        bool scrollSound { false };
        Tbuddy* over { nullptr };  // the buddy under the pointer, if any
    };
    void MouseDown(int x, int y);
    MoveResult MouseMove(TBuddyStore& store, int x, int y, int boxHeight);
    // True when this release is a click: it moved less than 3 pixels from the press point.
    bool MouseUp(int x, int y);
    void EndDrag() { m_dragging = false; }

    // The buddy whose line holds picture row py, or nullptr.
    static Tbuddy* BuddyAt(const TBuddyStore& store, int py);

    bool Dragging() const { return m_dragging; }
    // The last buddy under the pointer; it stays set when the pointer leaves the lines.
    Tbuddy* Hovered() const { return m_hovered; }
    // The name under the pointer at the last move, empty off the lines.
    const std::string& HoveredName() const { return m_hoveredName; }
    void ForgetHovered();
    // Everything the list kept about the pointer and scrolling, for a new session.
    void Reset();

private:
    static void DrawNameWith(QPainter& painter, const Tbuddy& buddy, bool underlined);

    QImage m_picture;
    int m_offset { 0 };
    int m_pressX { 0 };
    int m_pressY { 0 };
    bool m_dragging { false };
    int m_lastY { 0 };
    Tbuddy* m_hovered { nullptr };
    std::string m_hoveredName;
};

// The four 16 x 16 state icons of the list.
QImage BuddyIcon(TBuddyCanvas::Icon icon);
