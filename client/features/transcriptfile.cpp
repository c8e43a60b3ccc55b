#include "client/features/transcriptfile.h"

#include "platform/rtl/files.h"
#include "platform/ui/richtext.h"

#include <QTextDocument>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAt(int fd, std::string_view bytes, off_t at)
{
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), at);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
        at += n;
    }
    return true;
}

}  // namespace

bool TTranscriptFile::SaveAs(const std::string& path, const QTextDocument& transcript)
{
    m_path = path;
    return WriteWhole(transcript);
}

bool TTranscriptFile::Appended(const QTextDocument& transcript, int from)
{
    if (m_path.empty())
        return true;
    const std::vector<QColor> known = m_colors;
    const std::string body = richtext::WriteBody(transcript, from, m_colors);
    // A new colour goes into the table at the file's start; the lines the window
    // no longer holds stay in the file.
    if (m_colors.size() != known.size())
        return AddWithColors(richtext::Opening(known), body) || WriteWhole(transcript);
    return AddBody(body) || WriteWhole(transcript);
}

bool TTranscriptFile::Changed(const QTextDocument& transcript) { return m_path.empty() || WriteWhole(transcript); }

bool TTranscriptFile::WriteWhole(const QTextDocument& transcript)
{
    m_colors = richtext::FirstColors();
    const std::string body = richtext::WriteBody(transcript, 0, m_colors);
    return WriteFileAtomically(m_path, richtext::Opening(m_colors) + body + "}");
}

bool TTranscriptFile::AddWithColors(const std::string& opening, const std::string& body)
{
    std::string bytes;
    if (!ReadWholeFile(m_path, bytes) || !bytes.starts_with(opening) || !bytes.ends_with('}'))
        return false;
    bytes.pop_back();
    return WriteFileAtomically(m_path, richtext::Opening(m_colors) + bytes.substr(opening.size()) + body + "}");
}

bool TTranscriptFile::AddBody(const std::string& body)
{
    const std::string name = FileSystemName(ResolveFileName(m_path));
    const int fd = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    // The file is what this transcript wrote when it still ends with the document's brace.
    struct stat st {};
    char last = 0;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1
        && last == '}' && WriteAt(fd, body + "}", st.st_size - 1);
    ok = ::close(fd) == 0 && ok;
    return ok;
}
