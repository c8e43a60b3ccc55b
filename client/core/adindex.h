#pragma once

#include <string>
#include <string_view>
#include <vector>

// The advertisement pictures the service hands out: ads/ads.idx in the program
// folder names them, the pictures lie beside it. Every name there was downloaded,
// so only a bare name ending in ".gif" counts, and only a picture of modest size
// is ever shown.

// The ads folder of the program folder, without a trailing separator.
std::string AdsFolder();

// A bare file name (no separator, not "." or "..") ending in ".gif", any case.
bool IsAdPictureName(std::string_view name);

// Pictures larger than this many bytes, or with a screen beyond kMaxAdSide on a
// side, are not shown.
inline constexpr long long kMaxAdPictureBytes = 1024 * 1024;
inline constexpr int kMaxAdSide = 2048;
// True for a GIF file within both limits (its header is read, not the picture);
// fileName is the path as found on disk (SafeJoin resolves the letter case).
bool AdPictureFits(const std::string& fileName);

// The pictures of [Index] and [nivlets] as full paths, and where each rotation stands.
struct TAdLists {
    std::vector<std::string> ads;
    std::vector<std::string> nivlets;
    int adPosition { 0 };
    int nivletPosition { 0 };
};
TAdLists& AdLists();

// The names of [Index] and [nivlets] keys "0", "1", ... up to the first missing or
// empty one (at most 255 each), blanks skipped, only picture names kept.
struct TAdNames {
    std::vector<std::string> ads;
    std::vector<std::string> nivlets;
};
TAdNames ReadAdNames(const std::string& indexFile);

// Fills AdLists from the program folder's ads.idx, both positions back at 0.
void LoadAdIndex();
// Sign-off: the lists are emptied.
void FreeAdIndex();
