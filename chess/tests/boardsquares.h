#pragma once

#include <string>

// Where a user points on a chess window's board (`ChessBrd1`, 40-pixel squares
// inside a 24-pixel border), as "x,y" in the board's pixels for the automation's drag.

// The centre of a square such as "e2"; turned when White is drawn on top, as the guest sees it.
inline std::string SquareCentre(const char* square, bool turned = false)
{
    int column = square[0] - 'a';
    int row = 8 - (square[1] - '0');
    if (turned) {
        column = 7 - column;
        row = 7 - row;
    }
    return std::to_string(24 + column * 40 + 20) + "," + std::to_string(24 + row * 40 + 20);
}
