#pragma once

#include "chess/rules.h"

// A square by its name, "e4".
inline int Sq(const char* name) { return chess::SquareAt(name[0] - 'a' + 1, name[1] - '0'); }
