#include "kit-extra/qorfontcheck.h"

#include <QFont>
#include <QRawFont>

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

bool IsTrueTypeFont(const TFontSpec& font)
{
    static const std::array<const char*, 10> kRasterFaces { "ms sans serif", "ms serif", "courier", "system",
        "terminal", "fixedsys", "small fonts", "modern", "roman", "script" };
    std::string name = font.Name;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (std::find(kRasterFaces.begin(), kRasterFaces.end(), name) != kRasterFaces.end())
        return false;
    // Made at 10 x 10 as the check on the desktop does; an outline face carries glyph outlines.
    QFont probe(MapFontFamily(font.Name));
    probe.setPixelSize(10);
    const QRawFont raw = QRawFont::fromFont(probe);
    return raw.isValid() && (!raw.fontTable("glyf").isEmpty() || !raw.fontTable("CFF ").isEmpty());
}
