#pragma once

// The screen size every kit unit works with: the primary screen's, unless a size
// was set (tests fix it so geometry does not depend on the display).
namespace qorscreen {

int Width();
int Height();
// Zero or negative values go back to the real screen.
void SetSize(int width, int height);

}  // namespace qorscreen
