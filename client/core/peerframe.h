#pragma once

#include <string>
#include <string_view>

// The buddies' command line: 0xFB, the command, the sender, two quoted fields.
struct TPeerFrame {
    std::string f1;  // the command
    std::string f2;  // the sender's user ID
    std::string f3;
    std::string f4;
};

inline constexpr char kFrameStart = '\xFB';
// The one-byte answers to "inf".
inline constexpr char kAnswerAccepted = '\xFC';
inline constexpr char kAnswerUnknown = '\xFD';
inline constexpr char kAnswerRefused = '\xFE';
// A frame and its CR LF fill the line sockets' 1024-byte buffers at most.
inline constexpr std::size_t kMaxFrameLength = 1022;

// The frame as it goes on the wire, without its line end. f3 is always quoted:
// a path with a comma must reach the other side whole.
std::string BuildPeerFrame(std::string_view f1, std::string_view f2, std::string_view f3, std::string_view f4);
// Whether a built frame may be sent at all; a longer one is never cut.
bool FrameFits(const std::string& frame);
// Whether a text reaches the other side whole in a quoted field: the splitter ends the
// field at the first double quote, and a CR or LF ends the line.
bool FitsQuotedField(std::string_view text);
// Splits a received line (its first byte is the frame byte) into its four fields.
TPeerFrame SplitPeerFrame(std::string_view line);
