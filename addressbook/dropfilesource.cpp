#include "addressbook/dropfilesource.h"

#include "platform/rtl/files.h"

#include <QList>
#include <QMimeData>
#include <QUrl>

#include <cstring>

namespace {

constexpr std::size_t kDropFilesHeader = 20;

bool IsContentOrIcon(DWORD aspect) { return aspect == DVASPECT_CONTENT || aspect == DVASPECT_ICON; }

void PutLong(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> BuildDropFiles(const std::vector<std::string>& files)
{
    std::size_t size = kDropFilesHeader + 1;
    for (const std::string& file : files)
        size += file.size() + 1;
    std::vector<std::uint8_t> bytes(size, 0);
    PutLong(bytes, 0, kDropFilesHeader);  // pFiles; pt, fNC and fWide stay zero
    std::size_t at = kDropFilesHeader;
    for (const std::string& file : files) {
        std::memcpy(bytes.data() + at, file.data(), file.size());
        at += file.size() + 1;
    }
    return bytes;
}

TDropFileSource::TDropFileSource()
{
    AddFormat({ CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL });
}

HRESULT TDropFileSource::GetData(const FORMATETC& format, STGMEDIUM& medium)
{
    medium = STGMEDIUM {};
    if (Files.empty())
        return E_UNEXPECTED;
    if (format.cfFormat == CF_HDROP && IsContentOrIcon(format.dwAspect) && (format.tymed & TYMED_HGLOBAL)) {
        medium.tymed = TYMED_HGLOBAL;
        medium.hasGlobal = true;
        FORMATETC here = format;
        here.tymed = TYMED_HGLOBAL;
        return GetDataHere(here, medium);
    }
    return DV_E_FORMATETC;
}

HRESULT TDropFileSource::GetDataHere(const FORMATETC& format, STGMEDIUM& medium)
{
    if (format.cfFormat != CF_HDROP || !IsContentOrIcon(format.dwAspect) || format.tymed != TYMED_HGLOBAL
        || medium.tymed != TYMED_HGLOBAL)
        return DV_E_FORMATETC;
    if (!medium.hasGlobal)
        return E_OUTOFMEMORY;
    medium.hGlobal = BuildDropFiles(Files);
    medium.pUnkForRelease = nullptr;
    return S_OK;
}

QMimeData* TDropFileSource::MimeData() const
{
    if (Files.empty())
        return nullptr;
    QList<QUrl> urls;
    for (const std::string& file : Files)
        urls.append(QUrl::fromLocalFile(QString::fromStdString(FileSystemName(file))));
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}
