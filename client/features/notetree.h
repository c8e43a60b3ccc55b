#pragma once

#include <functional>
#include <string>
#include <vector>

// The guide's Nivlets and Praltos branches as plain data: a sender node per
// correspondent with a child per stored note, and a node per reminder. The guide
// window shows them; notes and reminders keep them current.
struct TNoteNode {
    std::string text;
    int image { 0 };
    std::string data;  // a note's file name or a reminder's id
    bool expanded { false };
    std::vector<TNoteNode> children;
};

class TNoteTree final {
public:
    TNoteNode Nivlets { "Nivlets", 0, {}, false, {} };
    TNoteNode Praltos { "Praltos", 0, {}, false, {} };

    // Under the sender's node (found whatever its case, else added), a child for the note file.
    void AddNivlet(const std::string& from, const std::string& text, const std::string& date, const std::string& file);
    void RemoveNivlet(const std::string& file);
    // A reminder's node, replacing one with the same id.
    void SetReminder(const std::string& id, const std::string& text);
    void RemoveReminder(const std::string& id);
    void Clear();

    // Called after every change, so a shown tree can redraw.
    std::function<void()> OnChange;

private:
    void changed();
};

// The signed-on user's tree.
TNoteTree& NoteTree();
