#include "client/features/notetree.h"

#include "client/features/nivletcore.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

constexpr int kSenderImage = 5;
constexpr int kNoteImage = 4;
constexpr int kReminderImage = 9;

}  // namespace

void TNoteTree::AddNivlet(const std::string& from, const std::string& text, const std::string& date,
                          const std::string& file)
{
    auto sender = std::find_if(Nivlets.children.begin(), Nivlets.children.end(),
                               [&](const TNoteNode& node) { return SameText(node.text, from); });
    if (sender == Nivlets.children.end()) {
        Nivlets.children.push_back(TNoteNode { from, kSenderImage, {}, false, {} });
        sender = Nivlets.children.end() - 1;
    }
    sender->children.push_back(TNoteNode { nivlet::NoteNodeText(text, date), kNoteImage, file, false, {} });
    sender->expanded = true;
    changed();
}

void TNoteTree::RemoveNivlet(const std::string& file)
{
    for (TNoteNode& sender : Nivlets.children)
        std::erase_if(sender.children, [&](const TNoteNode& node) { return node.data == file; });
    changed();
}

void TNoteTree::SetReminder(const std::string& id, const std::string& text)
{
    std::erase_if(Praltos.children, [&](const TNoteNode& node) { return node.data == id; });
    Praltos.children.push_back(TNoteNode { text, kReminderImage, id, false, {} });
    changed();
}

void TNoteTree::RemoveReminder(const std::string& id)
{
    std::erase_if(Praltos.children, [&](const TNoteNode& node) { return node.data == id; });
    changed();
}

void TNoteTree::Clear()
{
    Nivlets.children.clear();
    Praltos.children.clear();
    changed();
}

void TNoteTree::changed()
{
    if (OnChange)
        OnChange();
}

TNoteTree& NoteTree()
{
    static TNoteTree tree;
    return tree;
}
