#pragma once

#include "localservice/userstore.h"

#include <QtGlobal>

#include <cstddef>
#include <string>
#include <vector>

// Notes waiting for users who were offline when they were sent, in the users'
// database. Each change is one transaction.
class NoteStore final {
public:
    // A user holds at most this many waiting notes and bytes of them; later ones are refused.
    static constexpr int kMaxNotesPerUser = 200;
    static constexpr qint64 kMaxNoteBytesPerUser = 2 * 1024 * 1024;

    struct Note {
        std::string from;
        std::string message;
        std::string link;
    };

    explicit NoteStore(UserStore& users);

    // Keeps a note for a known addressee; false for an unknown one or a full box.
    bool add(const std::string& to, const Note& note);

    // Hands over the user's oldest notes, as many as fit in maxNotes and, written as
    // reply lines, in lineBytes; removes exactly those.
    std::vector<Note> take(const std::string& user, std::size_t maxNotes, std::size_t lineBytes);

    // The note as one line of a getnotes.asp answer.
    static std::string ReplyLine(const Note& note);

private:
    UserStore& m_users;
};
