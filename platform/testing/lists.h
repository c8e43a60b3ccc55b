#pragma once

#include "platform/rtl/stringlist.h"

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// A string list's items, for comparing with a literal Lines in an assertion.
inline Lines itemsOf(const TStringList& list)
{
    Lines out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list[i]);
    return out;
}
