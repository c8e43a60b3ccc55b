#pragma once

#include "localservice/userstore.h"

#include <string>
#include <vector>

// Notes waiting for users who were offline when they were sent, in the users'
// database. Each change is one transaction.
class NoteStore final {
public:
    // A user holds at most this many waiting notes; later ones are refused.
    static constexpr int kMaxNotesPerUser = 200;

    struct Note {
        std::string from;
        std::string message;
        std::string link;
    };

    explicit NoteStore(UserStore& users);

    // Keeps a note for a known addressee; false for an unknown one or a full box.
    bool add(const std::string& to, const Note& note);

    // Hands over the user's notes, oldest first, and removes exactly those.
    std::vector<Note> take(const std::string& user);

private:
    UserStore& m_users;
};
