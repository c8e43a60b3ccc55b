#include "platform/ui/colortext.h"

#include "platform/rtl/exceptions.h"
#include "platform/rtl/sysutils.h"

#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

const std::pair<TColor, const char*> kNames[] = {
    { clBlack, "clBlack" }, { clMaroon, "clMaroon" }, { clGreen, "clGreen" }, { clOlive, "clOlive" },
    { clNavy, "clNavy" }, { clPurple, "clPurple" }, { clTeal, "clTeal" }, { clGray, "clGray" },
    { clSilver, "clSilver" }, { clRed, "clRed" }, { clLime, "clLime" }, { clYellow, "clYellow" },
    { clBlue, "clBlue" }, { clFuchsia, "clFuchsia" }, { clAqua, "clAqua" }, { clWhite, "clWhite" },
    { clScrollBar, "clScrollBar" }, { clBackground, "clBackground" }, { clActiveCaption, "clActiveCaption" },
    { clInactiveCaption, "clInactiveCaption" }, { clMenu, "clMenu" }, { clWindow, "clWindow" },
    { clWindowFrame, "clWindowFrame" }, { clMenuText, "clMenuText" }, { clWindowText, "clWindowText" },
    { clCaptionText, "clCaptionText" }, { clActiveBorder, "clActiveBorder" },
    { clInactiveBorder, "clInactiveBorder" }, { clAppWorkSpace, "clAppWorkSpace" },
    { clHighlight, "clHighlight" }, { clHighlightText, "clHighlightText" }, { clBtnFace, "clBtnFace" },
    { clBtnShadow, "clBtnShadow" }, { clGrayText, "clGrayText" }, { clBtnText, "clBtnText" },
    { clInactiveCaptionText, "clInactiveCaptionText" }, { clBtnHighlight, "clBtnHighlight" },
    { cl3DDkShadow, "cl3DDkShadow" }, { cl3DLight, "cl3DLight" }, { clInfoText, "clInfoText" },
    { clInfoBk, "clInfoBk" }, { clNone, "clNone" }, { clDefault, "clDefault" },
};

}  // namespace

std::string ColorToString(TColor color)
{
    for (const auto& [value, name] : kNames)
        if (value == color)
            return name;
    char text[16];
    std::snprintf(text, sizeof text, "$%.8X", static_cast<unsigned>(color));
    return text;
}

TColor StringToColor(const std::string& text)
{
    for (const auto& [value, name] : kNames)
        if (SameText(text, name))
            return value;
    // "$80000008" and the like name system colours: the full 32 bits are a colour.
    std::int64_t value = 0;
    if (TryStrToInt64(text, value) && value >= INT32_MIN && value <= UINT32_MAX)
        return static_cast<TColor>(static_cast<std::uint32_t>(value));
    throw EConvertError("'" + text + "' is not a valid integer value");
}
