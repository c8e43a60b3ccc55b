#pragma once

#include <QColor>

#include <string>
#include <vector>

class QTextDocument;

// A chat transcript kept in a rich-text file as it grows. Saving writes the
// whole transcript; after that each new piece is added before the document's
// closing brace, so a line costs its own bytes, not the whole file's. Only a
// transcript changed otherwise (cleared) writes the file anew from the window's
// transcript; a colour the file's table lacks rewrites its opening and keeps its
// lines, also those the window trimmed.
class TTranscriptFile {
public:
    const std::string& Path() const { return m_path; }

    // The whole transcript to path; from now on the file follows it.
    bool SaveAs(const std::string& path, const QTextDocument& transcript);
    // The transcript grew from position from to its end.
    bool Appended(const QTextDocument& transcript, int from);
    // The transcript changed in another way.
    bool Changed(const QTextDocument& transcript);

private:
    bool WriteWhole(const QTextDocument& transcript);
    bool AddBody(const std::string& body);
    // The file written anew with the longer colour table, its lines kept, and the body added.
    bool AddWithColors(const std::string& opening, const std::string& body);

    std::string m_path;
    std::vector<QColor> m_colors;
};
