#include "platform/win/shell.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

std::function<void(const std::string&)>& openHook()
{
    static std::function<void(const std::string&)> hook;
    return hook;
}

void recordForScript(const std::string& urlOrDocument)
{
    const char* record = getenv("KORVO_NO_BROWSER");
    if (!record || record[0] != '/')
        return;
    QFile file(QString::fromLocal8Bit(record));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        // One address a line: a received address must not forge a second line.
        std::string line = urlOrDocument;
        std::replace(line.begin(), line.end(), '\r', ' ');
        std::replace(line.begin(), line.end(), '\n', ' ');
        line += "\r\n";
        file.write(line.data(), static_cast<qint64>(line.size()));
    }
}

bool startsWithWww(const std::string& text)
{
    return text.size() >= 4 && (text.compare(0, 4, "www.") == 0 || text.compare(0, 4, "WWW.") == 0);
}

QUrl toUrl(const std::string& urlOrDocument)
{
    if (shell::IsUrl(urlOrDocument)) {
        std::string text = urlOrDocument;
        if (startsWithWww(text))
            text = "http://" + text;
        return QUrl(codepage::ToUnicode(text), QUrl::TolerantMode);
    }
    std::string path = urlOrDocument;
    std::replace(path.begin(), path.end(), '\\', '/');
    const QString local = QString::fromStdString(FileSystemName(ResolveFileName(path)));
    return QUrl::fromLocalFile(QDir(local).absolutePath());
}

}  // namespace

bool ShellOpen(const std::string& urlOrDocument)
{
    if (urlOrDocument.empty())
        return false;
    const char* noBrowser = getenv("KORVO_NO_BROWSER");
    if (openHook() || noBrowser) {
        if (openHook())
            openHook()(urlOrDocument);
        recordForScript(urlOrDocument);
        return true;
    }
    const QUrl url = toUrl(urlOrDocument);
    return url.isValid() && QDesktopServices::openUrl(url);
}

namespace shell {

void SetOpenHook(std::function<void(const std::string& urlOrDocument)> hook) { openHook() = std::move(hook); }

bool IsUrl(const std::string& text)
{
    if (startsWithWww(text))
        return true;
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

std::vector<std::string> DroppedFiles(const QMimeData* data)
{
    std::vector<std::string> files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.push_back(codepage::FromUtf8(url.toLocalFile().toStdString()));
    return files;
}

}  // namespace shell
