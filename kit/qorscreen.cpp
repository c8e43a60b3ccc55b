#include "kit/qorscreen.h"

#include "platform/ui/form.h"

namespace qorscreen {

namespace {
int g_width { 0 };
int g_height { 0 };
}  // namespace

int Width() { return g_width > 0 ? g_width : Screen::Width(); }
int Height() { return g_height > 0 ? g_height : Screen::Height(); }

void SetSize(int width, int height)
{
    g_width = width;
    g_height = height;
}

}  // namespace qorscreen
