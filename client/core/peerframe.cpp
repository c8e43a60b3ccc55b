#include "client/core/peerframe.h"

#include "net/tokens.h"

std::string BuildPeerFrame(std::string_view f1, std::string_view f2, std::string_view f3, std::string_view f4)
{
    std::string frame;
    frame.reserve(f1.size() + f2.size() + f3.size() + f4.size() + 9);
    frame += kFrameStart;
    frame += f1;
    frame += ',';
    frame += f2;
    frame += ",\"";
    frame += f3;
    frame += "\",\"";
    frame += f4;
    frame += '"';
    return frame;
}

bool FrameFits(const std::string& frame) { return frame.size() <= kMaxFrameLength; }

TPeerFrame SplitPeerFrame(std::string_view line)
{
    TPeerFrame frame;
    std::string rest(line.empty() ? line : line.substr(1));
    NextToken(",", rest, frame.f1);
    NextToken(",", rest, frame.f2);
    NextTokenQuoted(",", "\"\"", rest, frame.f3);
    NextTokenQuoted(",", "\"\"", rest, frame.f4);
    return frame;
}
