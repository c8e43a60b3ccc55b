#pragma once

#include <string>
#include <string_view>

// A From or Subject value as the mail alert lists it, in the code page: encoded
// words ("=?UTF-8?Q?...?=", "=?ISO-8859-1?B?...?=") decoded, the blanks between
// adjacent ones dropped and their bytes joined, bare UTF-8 read as UTF-8. A
// character the code page lacks becomes '?', a control character a blank; an
// encoded word in a charset nobody reads here stays as it came.
std::string DecodeHeaderText(std::string_view raw);
