#pragma once

#include "kit/qorbitmap.h"
#include "kit/qorgraph.h"
#include "kit/qorprocs.h"
#include "platform/ui/graphics.h"

#include <cstdint>
#include <string>
#include <vector>

class QImage;
class QPainter;
class TForm;
class TStringList;

// The kit's drawing routines: caption text with depth or angle, bitmaps drawn
// centred, stretched, tiled or transparent, fills, fonts as text, and the
// window-opening animations.

// Flags of the bitmap routines (and of the image lists).
inline constexpr std::uint16_t dbClip = 1;
inline constexpr std::uint16_t dbCenter = 8;
inline constexpr std::uint16_t dbStretch = 16;
inline constexpr std::uint16_t dbTile = 32;
inline constexpr std::uint16_t dbTransparentColor = 64;
inline constexpr std::uint16_t dbBrushCopy = 128;
inline constexpr std::uint16_t dbMask = 256;
inline constexpr std::uint16_t dbKeepHeight = 512;
inline constexpr std::uint16_t dbKeepWidth = 1024;
inline constexpr std::uint16_t dbPalette = 4096;

// Flags of DrawCaptionText.
inline constexpr unsigned dcEnabled = 2;
inline constexpr unsigned dcDisabledSunken = 4;
inline constexpr unsigned dcClip = 8;

// Draws text into rect in the canvas's font; the pen colour is the font's colour.
// With a caption style the text gets its 3D passes, angle and offset; clipRect
// (or rect when none) bounds the drawing with dcClip. format: DrawTextA flags.
void DrawCaptionText(QPainter& canvas, const std::string& text, const TQOR3DCaption* caption,
    const qorprocs::TRect* clipRect, unsigned flags, unsigned format, const qorprocs::TRect& rect);

// The rectangles StretchDrawBitmap copies a width x height source into.
std::vector<qorprocs::TRect> StretchTargets(const qorprocs::TRect& dest, int width, int height, std::uint16_t flags);

// Draws sourceRect of sourceCanvas into dest by the flags. sourceBitmap is the
// bitmap for dbBrushCopy (its transparent colour takes color) or the mask for
// dbMask (white where transparent). An empty source or destination draws nothing.
void StretchDrawBitmap(QPainter& canvas, const qorprocs::TRect& dest, const QImage* sourceCanvas,
    const TBitmap* sourceBitmap, TColor color, std::uint16_t flags, const qorprocs::TRect& sourceRect);

// The whole bitmap through StretchDrawBitmap.
void DrawBitmapTransparent(QPainter& canvas, const qorprocs::TRect& dest, const TBitmap& bitmap, TColor color, std::uint16_t flags);
// As DrawBitmapTransparent, clipped by DrawBitmapClipped.
void DrawBitmapEx(QPainter& canvas, const qorprocs::TRect& dest, const TBitmap& bitmap, TColor color,
    std::uint32_t offset, std::uint16_t flags);
// With dbClip the drawing stays inside dest, moved by offset (low word x, high word y) when non-zero.
void DrawBitmapClipped(QPainter& canvas, const qorprocs::TRect& dest, const QImage* sourceCanvas,
    const TBitmap* sourceBitmap, TColor color, std::uint32_t offset, std::uint16_t flags, const qorprocs::TRect& sourceRect);

// image gets sourceRect with transparentColor's pixels black; mask gets white
// there and black elsewhere. Nothing happens when either is missing.
void MakeMaskedCopy(const QImage& sourceCanvas, const qorprocs::TRect& sourceRect, QImage* mask,
    TColor transparentColor, QImage* image);

// Sizes the bitmap to rect and fills it with color.
void FillBitmap(QImage* bitmap, const qorprocs::TRect& rect, TColor color);

// Fills rect blending in colors steps from one colour to the other. Styles: 0
// vertical bands left to right, 1 horizontal bands top to bottom, 2 centred
// rectangles, 3 centred ellipses, 4-7 rectangles anchored top-left, top-right,
// bottom-left, bottom-right (the smallest carries the first colour).
void FillGradient(QPainter& canvas, const qorprocs::TRect& rect, TColor from, TColor to, int colors, int style);

// "Name,size,colour,bold,italic,underline,strikeout".
std::string FontToString(const TFontSpec& font);
// Applies a seven-part text; another count of parts leaves the font as it is.
// EConvertError for a colour or style part it cannot read (parts before it stay applied).
void StringToFont(const std::string& text, TFontSpec& font);

void CenterOnScreen(TForm* form);

// Clears list and fills it with the pieces of text between separators. Nothing
// happens without a list or with an empty text; a trailing separator adds no piece.
void SplitString(const std::string& text, char separator, TStringList* list);

// The rectangles of the two opening animations, one sweep: a rectangle growing
// from (x, y) to the window; the extended one first travels a width0 x height0
// rectangle from (x, y) when showTravel.
std::vector<qorprocs::TRect> ExplodeSteps(const qorprocs::TRect& window, int x, int y, int steps);
std::vector<qorprocs::TRect> ExplodeStepsExt(const qorprocs::TRect& window, int x, int y, bool showTravel,
    int height0, int width0, int steps);
// Draws the steps on the screen, each after a wait of delay units, then takes
// them away in a second sweep. x below 0 starts from the cursor; 3 steps or
// fewer become 40.
void ExplodeWindow(TForm* form, int x, int y, int delay, int steps);
void ExplodeWindowExt(TForm* form, int x, int y, bool showTravel, int delay, int height0, int width0, int steps);
void ExplodeFromCursor(TForm* form);
void ExplodeFromCursorExt(TForm* form);
