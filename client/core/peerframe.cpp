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

bool FitsQuotedField(std::string_view text) { return text.find_first_of("\"\r\n") == std::string_view::npos; }

namespace {

bool CommaAtAnEnd(std::string_view field) { return !field.empty() && (field.front() == ',' || field.back() == ','); }

// A line as the builder writes it: f1,f2,"f3","f4" with no comma in f1 or f2, no quote in
// f3 or f4 and no comma at either end of them. The field rules cut exactly these four
// ranges from such a line, so it is cut in one pass; any other line goes the rules' way.
bool SplitAsBuilt(std::string_view rest, TPeerFrame& frame)
{
    const std::size_t c1 = rest.find(',');
    if (c1 == 0 || c1 == std::string_view::npos)
        return false;
    const std::size_t c2 = rest.find(',', c1 + 1);
    if (c2 == std::string_view::npos || c2 == c1 + 1)
        return false;
    const std::string_view quoted = rest.substr(c2 + 1);
    if (quoted.size() < 5 || quoted.front() != '"' || quoted.back() != '"')
        return false;
    const std::size_t end3 = quoted.find('"', 1);
    const std::size_t open4 = end3 + 2;
    if (open4 >= quoted.size() - 1 || quoted[end3 + 1] != ',' || quoted[open4] != '"'
        || quoted.find('"', open4 + 1) != quoted.size() - 1)
        return false;
    const std::string_view f3 = quoted.substr(1, end3 - 1);
    const std::string_view f4 = quoted.substr(open4 + 1, quoted.size() - open4 - 2);
    if (CommaAtAnEnd(f3) || CommaAtAnEnd(f4))
        return false;
    frame.f1.assign(rest.substr(0, c1));
    frame.f2.assign(rest.substr(c1 + 1, c2 - c1 - 1));
    frame.f3.assign(f3);
    frame.f4.assign(f4);
    return true;
}

}  // namespace

TPeerFrame SplitPeerFrame(std::string_view line)
{
    TPeerFrame frame;
    std::string_view rest = line.empty() ? line : line.substr(1);
    if (SplitAsBuilt(rest, frame))
        return frame;
    NextToken(",", rest, frame.f1);
    NextToken(",", rest, frame.f2);
    NextTokenQuoted(",", "\"\"", rest, frame.f3);
    NextTokenQuoted(",", "\"\"", rest, frame.f4);
    return frame;
}
