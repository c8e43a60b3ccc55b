#include "client/core/mainbargeometry.h"

namespace mainbar {

namespace {

// How far into the frame a corner code reaches along an edge.
constexpr int kCornerReach = 16;

}  // namespace

HitCode DefaultHitTest(int x, int y, int width, int height)
{
    const bool left = x < kFrame;
    const bool right = x >= width - kFrame;
    const bool top = y < kFrame;
    const bool bottom = y >= height - kFrame;
    if (top || bottom) {
        if (x < kCornerReach)
            return top ? HTTOPLEFT : HTBOTTOMLEFT;
        if (x >= width - kCornerReach)
            return top ? HTTOPRIGHT : HTBOTTOMRIGHT;
        return top ? HTTOP : HTBOTTOM;
    }
    if (left || right) {
        if (y < kCornerReach)
            return left ? HTTOPLEFT : HTTOPRIGHT;
        if (y >= height - kCornerReach)
            return left ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
        return left ? HTLEFT : HTRIGHT;
    }
    return HTCLIENT;
}

HitCode BarHitTest(HitCode defaultCode, int x, int y)
{
    HitCode code = defaultCode;
    switch (code) {
    case HTLEFT:
    case HTRIGHT:
    case HTTOPLEFT:
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
        code = HTCLIENT;
        break;
    default:
        break;
    }
    if (x < 83 && y >= 3 && y <= 39)
        code = HTCAPTION;
    return code;
}

Layout LayoutFor(int clientHeight)
{
    Layout l;
    l.statusTop = clientHeight - kStatusHeight;
    l.commandPanelTop = l.statusTop - kCommandPanelHeight;
    l.toolButtonTop = l.commandPanelTop - kToolButtonHeight - 1;
    l.filterTop = l.toolButtonTop - kEditHeight - 2;
    l.panelHeight = l.toolButtonTop - kEditHeight - kPanelTop - 7;
    return l;
}

}  // namespace mainbar
