#pragma once

#include "addressbook/dropsource.h"

#include <cstdint>
#include <string>
#include <vector>

// The shell's file list: a 20-byte DROPFILES header (list at offset 20, a zero
// point, outside the non-client area, one byte a character), each path and a
// zero byte, then one more zero byte.
std::vector<std::uint8_t> BuildDropFiles(const std::vector<std::string>& files);

// Offers a list of files as the shell's file list, its one format: item-ID lists
// do not exist here. A drag carries the files as file URLs.
class TDropFileSource final : public TDropSource {
public:
    TDropFileSource();

    // Full paths in the code page; must not change while a drag runs.
    std::vector<std::string> Files;

    HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium) override;
    HRESULT GetDataHere(const FORMATETC& format, STGMEDIUM& medium) override;

protected:
    QMimeData* MimeData() const override;
};
