#pragma once

#include "kit/qorclass.h"
#include "kit/qorgraph.h"
#include "kit/qorprocs.h"
#include "kit/qorwndproc.h"
#include "platform/ui/form.h"
#include "platform/ui/graphics.h"
#include "platform/win/wintypes.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class TForm;
class TStringList;

// Owner messages the form component and the styler act on.
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_WININICHANGE = 0x001A;
inline constexpr UINT WM_DEVMODECHANGE = 0x001B;
inline constexpr UINT WM_FONTCHANGE = 0x001D;
inline constexpr UINT WM_TIMECHANGE = 0x001E;
inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr UINT WM_PAINTICON = 0x0026;
inline constexpr UINT WM_SPOOLERSTATUS = 0x002A;
inline constexpr UINT WM_COMPACTING = 0x0041;
inline constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr UINT WM_POWER = 0x0048;
inline constexpr UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr UINT WM_NCPAINT = 0x0085;
inline constexpr UINT WM_NCACTIVATE = 0x0086;
inline constexpr UINT WM_DROPFILES = 0x0233;

inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;
inline constexpr WPARAM PWR_SUSPENDREQUEST = 1;
inline constexpr WPARAM PWR_SUSPENDRESUME = 2;
inline constexpr WPARAM PWR_CRITICALRESUME = 3;
inline constexpr UINT SWP_NOMOVE = 0x0002;

// WM_GETMINMAXINFO's record (LParam points at it).
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

// WM_WINDOWPOSCHANGING's record (LParam points at it).
struct WINDOWPOS {
    int x { 0 };
    int y { 0 };
    int cx { 0 };
    int cy { 0 };
    UINT flags { 0 };
};

// WM_DROPFILES' files (WParam points at it): full names in the code page and the
// drop point in client coordinates.
struct TDroppedFiles {
    std::vector<std::string> Files;
    POINT Point;
};

// GetWindowPlacement's record, with the normal rectangle in screen pixels.
struct WINDOWPLACEMENT {
    UINT flags { 0 };
    UINT showCmd { 1 };
    qorprocs::TRect rcNormalPosition;
};
WINDOWPLACEMENT GetWindowPlacement(const TForm& form);
// showCmd 0 leaves the form's state as it is.
void SetWindowPlacement(TForm& form, const WINDOWPLACEMENT& placement);

enum TQORDlgEffect { deNone, deExplode, deExplodeExt };
enum TQORIniUse { ioUseLink, ioUseGlobal, ioNone };
enum TQORFormIniSaveOption : unsigned { soColor = 1, soFont = 2, soPos = 4, soSize = 8, soState = 16 };
using TQORFormIniSaveOptions = unsigned;
enum TQORFormOption : unsigned { foAutoCenter = 1, foAutoShow = 2, foTryAdaptRes = 4, foRestoreOnce = 8 };
using TQORFormOptions = unsigned;
enum TOperation { opInsert, opRemove };

// Turns its owner form's window events into events, keeps the form inside its
// size limits, takes dropped files and keeps the form's placement, colour and
// font in a settings control between runs.
class TQORForm final : public TQORWndProcComponent {
public:
    using TNotifyEvent = std::function<void(TQORForm* Sender)>;

    // QOREOneInstError when the owner form already has one.
    explicit TQORForm(TForm* owner);
    ~TQORForm() override;

    // Takes over the form's OnShow and OnDestroy (call it once the form's handlers are set), then hooks.
    void Loaded() override;

    bool AcceptFiles() const { return m_acceptFiles; }
    void SetAcceptFiles(bool value);
    TQORDlgEffect Effect() const { return m_effect; }
    void SetEffect(TQORDlgEffect value) { m_effect = value; }
    TQORIniCtrl* IniLink() const { return m_iniLink; }
    void SetIniLink(TQORIniCtrl* value);
    TQORIniUse IniUse() const { return m_iniUse; }
    void SetIniUse(TQORIniUse value) { m_iniUse = value; }
    TQORFormIniSaveOptions IniSaveOptions() const { return m_saveOptions; }
    void SetIniSaveOptions(TQORFormIniSaveOptions value) { m_saveOptions = value; }
    const std::string& Section() const { return m_section; }
    void SetSection(const std::string& value) { m_section = value; }
    const std::string& IniKey() const { return m_iniKey; }
    void SetIniKey(const std::string& value) { m_iniKey = value; }
    int DesignPPI() const { return m_designPPI; }
    void SetDesignPPI(int value) { m_designPPI = value; }
    TQORFormOptions Options() const { return m_options; }
    void SetOptions(TQORFormOptions value) { m_options = value; }

    // Size limits: index 0 TrackMaxHeight, 1 TrackMaxWidth, 2 TrackMinHeight,
    // 3 TrackMinWidth, 4 MaximizedHeight, 5 MaximizedWidth, 6 MaximizedPosX,
    // 7 MaximizedPosY. -n (n up to 100) is the screen's size divided by n; 0 no limit.
    int SizeProp(int index) const;
    void SetSizeProp(int index, int value);
    int TrackMaxHeight() const { return SizeProp(0); }
    int TrackMaxWidth() const { return SizeProp(1); }
    int TrackMinHeight() const { return SizeProp(2); }
    int TrackMinWidth() const { return SizeProp(3); }
    int MaximizedHeight() const { return SizeProp(4); }
    int MaximizedWidth() const { return SizeProp(5); }
    int MaximizedPosX() const { return SizeProp(6); }
    int MaximizedPosY() const { return SizeProp(7); }
    void SetTrackMaxHeight(int v) { SetSizeProp(0, v); }
    void SetTrackMaxWidth(int v) { SetSizeProp(1, v); }
    void SetTrackMinHeight(int v) { SetSizeProp(2, v); }
    void SetTrackMinWidth(int v) { SetSizeProp(3, v); }
    void SetMaximizedHeight(int v) { SetSizeProp(4, v); }
    void SetMaximizedWidth(int v) { SetSizeProp(5, v); }
    void SetMaximizedPosX(int v) { SetSizeProp(6, v); }
    void SetMaximizedPosY(int v) { SetSizeProp(7, v); }
    // The limit in pixels as it now holds, same indexes.
    int EffectiveLimit(int index) const { return m_effective[index]; }

    // A settings control coming or going.
    void Notification(TQORIniCtrl* component, TOperation operation);

    // The settings control in use, or nullptr.
    TQORIniCtrl* Settings() const;
    void SaveValues();
    void LoadValues();

    TNotifyEvent OnAPMCriticalResume;
    TNotifyEvent OnAPMResume;
    TNotifyEvent OnFontChange;
    TNotifyEvent OnMove;
    TNotifyEvent OnNoRestoreData;
    TNotifyEvent OnPaintIcon;
    TNotifyEvent OnSysColorChange;
    TNotifyEvent OnTimeChange;
    std::function<void(TQORForm* Sender, bool& Cancel)> OnAPMSuspendRequest;
    std::function<void(TQORForm* Sender, int Value)> OnCompacting;
    std::function<void(TQORForm* Sender, int Value)> OnSpoolerStatus;
    std::function<void(TQORForm* Sender, const std::string& Section)> OnDevModeChange;
    std::function<void(TQORForm* Sender, const std::string& Section)> OnIniChange;
    std::function<void(TQORForm* Sender, WORD xsize, WORD ysize, WORD flag)> OnDisplayChange;
    std::function<void(TQORForm* Sender, WORD xsize, WORD ysize, WORD flag)> OnSize;
    std::function<void(TQORForm* Sender, int fcount, int x, int y, TStringList* FileList)> OnFMDragDrop;
    std::function<void(TQORForm* Sender, int& xpos, int& ypos, int& MaxWidth, int& MaxHeight)> OnMaximizeInfo;
    std::function<void(TQORForm* Sender, int x, int y, bool& Cancel)> OnMoving;
    std::function<void(TQORForm* Sender, int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight)> OnTrackInfo;

protected:
    void Hook() override;
    void Unhook() override;
    void WndProc(TMessage& message) override;

private:
    class Events;

    int effectiveOf(int index, int value) const;
    void recomputeLimits();
    void applyLimits();
    void formShow();
    void formDestroy();
    void applyPlacement(const std::string& text);
    void adaptResolution();

    bool m_acceptFiles { false };
    TQORDlgEffect m_effect { deNone };
    TQORIniCtrl* m_iniLink { nullptr };
    int m_linkWatch { 0 };
    int m_insertWatch { 0 };
    TQORIniUse m_iniUse { ioNone };
    TQORFormIniSaveOptions m_saveOptions { soPos | soSize | soState };
    std::string m_section { "Common" };
    std::string m_iniKey;
    int m_designPPI { 96 };
    TQORFormOptions m_options { foAutoShow };
    int m_sizes[8] {};
    int m_effective[8] {};
    int m_screenWidth { 0 };
    int m_screenHeight { 0 };
    bool m_restoredOnce { false };
    bool m_adapted { false };
    std::function<void()> m_formOnShow;
    std::function<void()> m_formOnDestroy;
    std::unique_ptr<Events> m_events;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TQORPaintMode { pcNone, pcControl, pcOwnerDraw };
enum TQORFormStyleOption : unsigned {
    fsAdjustRect = 1,
    fsUseDefaultFont = 2,
    fsUseFontColor = 4,
    fsInactiveGradient = 8,
    fsDrawCaptionEvent = 16,
    fsUseFormCaption = 32
};
using TQORFormStyleOptions = unsigned;

// Paints its owner form's caption strip: a gradient band and a plain or 3D
// caption text. The window manager keeps drawing the real title bar; the strip
// is painted into an image (CaptionImage) for the form to show or save.
class TQORFormStyler final : public TQORWndProcComponent {
public:
    using TQORPaintEvent = std::function<void(TQORFormStyler* Sender, QPainter& aCanvas, const qorprocs::TRect& Dest)>;

    // QOREOneInstError when the owner form already has one.
    explicit TQORFormStyler(TForm* owner);
    ~TQORFormStyler() override;

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    // 2..236 bands; other values are refused.
    int Colors() const { return m_colors; }
    void SetColors(int value);
    const TFontSpec& Font() const { return m_font; }
    void SetFont(const TFontSpec& value);
    TQOR3DCaption& Font3D() { return m_font3D; }
    void SetFont3D(const TQOR3DCaption& value) { m_font3D.Assign(value); }
    TQORPaintMode PaintMode() const { return m_paintMode; }
    void SetPaintMode(TQORPaintMode value);
    TQORFormStyleOptions Options() const { return m_options; }
    void SetOptions(TQORFormStyleOptions value);

    TQORPaintEvent OnPaint;
    TQORPaintEvent OnCaptionPaint;

    void ChildChanged() override;

    // Paints the caption strip as the form now is (active or not).
    void PaintCaption(bool keepIcon);
    // The last painted strip: the window's width, the caption bar's height and frame above it.
    const QImage& CaptionImage() const { return m_image; }
    // The caption text the styler paints.
    std::string CaptionText() const;
    bool FormActive() const { return m_active; }

protected:
    void Hook() override;
    void Unhook() override;
    void WndProc(TMessage& message) override;

private:
    class Events;

    void repaint() { PaintCaption(true); }
    void refreshFrame();

    TAlignment m_alignment { taLeftJustify };
    int m_colors { 32 };
    TFontSpec m_font;
    TQOR3DCaption m_font3D;
    TQORPaintMode m_paintMode { pcControl };
    TQORFormStyleOptions m_options { fsAdjustRect | fsUseDefaultFont };
    std::string m_savedCaption;
    bool m_active { false };
    bool m_smallCaption { false };
    QImage m_icon;
    QImage m_image;
    std::unique_ptr<Events> m_events;
};
