#pragma once

#include <string>
#include <vector>

// The 290 choices of the sign-up's state list, in the order shown.
std::vector<std::string> StateList();
