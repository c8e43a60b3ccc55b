#include "platform/ui/filedialogs.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>

#include <cstdio>
#include <deque>
#include <optional>

namespace {

std::deque<std::string>& queuedNames()
{
    static std::deque<std::string> names;
    return names;
}

std::deque<TColor>& queuedColors()
{
    static std::deque<TColor> colors;
    return colors;
}

std::string withDefaultExtension(const std::string& name, const std::string& extension)
{
    std::string wanted = extension;
    if (!wanted.empty() && wanted.front() == '.')
        wanted.erase(0, 1);
    if (wanted.empty() || !ExtractFileExt(ExtractFileName(name)).empty())
        return name;
    return name + "." + wanted;
}

}  // namespace

namespace dialogs {

void QueueFileName(const std::string& path) { queuedNames().push_back(path); }

void QueueColor(TColor color) { queuedColors().push_back(color); }

std::string QtFilter(const std::string& filter)
{
    std::string result;
    std::size_t at = 0;
    while (at < filter.size()) {
        const std::size_t bar = filter.find('|', at);
        const std::string description = filter.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
        std::string patterns;
        at = bar == std::string::npos ? filter.size() : bar + 1;
        if (bar != std::string::npos) {
            const std::size_t next = filter.find('|', at);
            patterns = filter.substr(at, next == std::string::npos ? std::string::npos : next - at);
            at = next == std::string::npos ? filter.size() : next + 1;
        }
        for (char& c : patterns)
            if (c == ';')
                c = ' ';
        if (!result.empty())
            result += ";;";
        // Qt takes the patterns from the parentheses at the end.
        result += patterns.empty() || description.find('(') != std::string::npos ? description : description + " (" + patterns + ")";
    }
    return result;
}

}  // namespace dialogs

bool TOpenDialog::Execute(QWidget* owner)
{
    const bool save = m_kind == TKind::Save;
    std::string chosen;
    const char* how = "";
    if (!queuedNames().empty()) {
        chosen = queuedNames().front();
        queuedNames().pop_front();
        how = "queued";
    } else if (dialogs::Headless()) {
        how = "cancelled";
    } else {
        const QString title = codepage::ToUnicode(Title);
        const QString start = codepage::ToUnicode(FileName);
        const QString filter = codepage::ToUnicode(dialogs::QtFilter(Filter));
        const QString picked = save ? QFileDialog::getSaveFileName(owner, title, start, filter)
                                    : QFileDialog::getOpenFileName(owner, title, start, filter);
        chosen = codepage::FromUnicode(picked);
    }
    if (*how)
        std::fprintf(stderr, "[file dialog] %s: %s (%s)\n", save ? "save" : "open", codepage::ToUtf8(chosen).c_str(), how);
    if (chosen.empty())
        return false;
    FileName = save ? withDefaultExtension(chosen, DefaultExt) : chosen;
    return true;
}

bool TColorDialog::Execute(QWidget* owner)
{
    std::optional<TColor> chosen;
    const char* how = "";
    if (!queuedColors().empty()) {
        chosen = queuedColors().front();
        queuedColors().pop_front();
        how = "queued";
    } else if (dialogs::Headless()) {
        how = "cancelled";
    } else {
        const QColor picked = QColorDialog::getColor(ToQColor(Color), owner);
        if (picked.isValid())
            chosen = FromQColor(picked);
    }
    if (*how && chosen)
        std::fprintf(stderr, "[color dialog] #%02x%02x%02x (%s)\n", GetRValue(*chosen), GetGValue(*chosen), GetBValue(*chosen), how);
    else if (*how)
        std::fprintf(stderr, "[color dialog] (%s)\n", how);
    if (!chosen)
        return false;
    Color = *chosen;
    return true;
}
