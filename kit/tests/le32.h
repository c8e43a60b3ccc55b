#pragma once

#include "kit/qorblob.h"
#include "platform/rtl/streams.h"

#include <cstdint>
#include <string>

// The four bytes a stored integer takes.
inline std::string le32(std::int32_t value)
{
    TStringStream s;
    WriteInteger(s, value);
    return s.DataString();
}
