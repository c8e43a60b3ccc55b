#pragma once

#include "kit-extra/qorbtn.h"
#include "kit-extra/qorctrl.h"
#include "kit-extra/qorlayout.h"
#include "kit/qorgraph.h"
#include "platform/ui/form.h"
#include "platform/ui/graphics.h"

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <array>

#include <functional>
#include <memory>
#include <string>

class TStream;

// A kit button in eight states (up, disabled, hot, latched, held, menu, disabled
// while latched), with groups of buttons of which one stays pressed.
class TQORBaseGraphicButton : public TQORBaseControl {
public:
    using TNotifyEvent = std::function<void(TQORBaseGraphicButton* Sender)>;

    explicit TQORBaseGraphicButton(QWidget* parent = nullptr);
    ~TQORBaseGraphicButton() override;

    using TMouseEvent = std::function<void(TQORBaseGraphicButton* Sender, TMouseButton button, TShiftState shift,
        int x, int y)>;

    TNotifyEvent OnClick;
    // Only while Pressed.
    TNotifyEvent OnDblClick;
    // Every press, move and release over the button, before the button handles it.
    TMouseEvent OnMouseDown;
    std::function<void(TQORBaseGraphicButton* Sender, TShiftState shift, int x, int y)> OnMouseMove;
    TMouseEvent OnMouseUp;

    int State() const { return m_state; }
    // Every change of state goes through here; an unchanged state repaints nothing.
    void SetState(int state);

    const std::string& Caption() const { return m_caption; }
    // A see-through button paints at once, others at the next paint.
    void SetCaption(const std::string& value);
    const TFontSpec& Font() const { return m_font; }
    // The button's own font from now on; an angled caption needs an outline font.
    void SetFont(const TFontSpec& value);
    // Follows the font of the form it stands on.
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool value);
    // Caption effects: depth, angle and offset of the text.
    TQORFxCaption& FontFx() { return m_fontFx; }
    void SetFontFx(const TQORFxCaption& value) { m_fontFx.Assign(value); }
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    bool AllowMouseOver { false };
    // Enter, leave and presses follow HitTest instead of the whole rectangle.
    bool AllowTransparency { true };
    // Shows what lies under the button instead of filling with Color.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    // Caption colour in states 2 to 6 with EnterColorChange and AllowMouseOver.
    TColor EnterColor() const { return m_enterColor; }
    void SetEnterColor(TColor value);
    bool EnterColorChange() const { return m_enterColorChange; }
    void SetEnterColorChange(bool value);
    // Opened under the button (or right of it with DropDownRight) by a press or the accelerator.
    QPointer<QMenu> DropDownMenu;
    int DropDownIndent() const { return m_dropDownIndent; }
    void SetDropDownIndent(int value);
    bool DropDownRight() const { return m_dropDownRight; }
    void SetDropDownRight(bool value);
    // Word-wrapped caption placed by the layout's alignment.
    bool MultiLine() const { return m_multiLine; }
    void SetMultiLine(bool value);
    // Clicks repeat every RepeatingInterval ms (a multiple of 50) while held inside.
    bool RepeatedClick { false };
    int RepeatingInterval { 100 };

    TQORGlyph& Glyph() { return m_glyph; }
    const TQORGlyph& Glyph() const { return m_glyph; }
    // The button's own bitmap instead of its image list's image.
    void SetGlyph(const QImage& bitmap);
    // A glyph taken from an image list is not stored with the button.
    bool IsGlyphStored() const { return ImageList() == nullptr; }
    TQORButtonLayout& ButtonLayout() { return m_layout; }

    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool value);
    bool Pressed() const { return m_pressed; }
    // Only a grouped button can be pressed; a pressed one is released only with AllowAllUp.
    void SetPressed(bool value);

    // Draws the whole button into canvas, the button's size.
    virtual void Paint(QImage& canvas) = 0;

    // Whether a point of the button belongs to it.
    virtual bool HitTest(int x, int y) const;
    // The hover watch's tick: a hot button the cursor has left goes up.
    virtual void HoverCheck();
    // The caption's accelerator was typed; true when the button took it.
    bool DialogChar(char key);
    void ImageListChanged() override;
    void DoMouseEnter() override;
    void DoMouseExit() override;
    void Changed() override { Invalidate(); }
    // Asks for a paint; a see-through button off an image panel takes what lies under it anew.
    void Invalidate();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

    // Glyph, caption and arrow inside rect for the current state.
    void PaintContent(QImage& canvas, const QRect& rect);
    // The background of a see-through button: its parent kit panel's bitmap at its
    // place, else the capture of what lies under it (taken when one is pending).
    void PaintSeeThrough(QImage& canvas);
    bool MouseInside() const { return m_inside; }
    // Office, explorer and image-face buttons show hot differently from up.
    virtual bool HasOwnHotLook() const { return false; }
    bool DownLook() const { return m_state == 3 || m_state == 4 || m_state == 6 || m_state == 7; }

private:
    void announceToGroup();
    void groupMemberPressed(TQORBaseGraphicButton* sender);
    void click();
    void press();
    void stopRepeat();
    bool inside(QPoint point) const;
    // A state change the mouse asked for: an inactive form takes only a forced hot, as up.
    void mouseState(int state, bool forcedHot = false);
    void startHoverWatch();
    void stopHoverWatch();
    void openMenu();
    void syncAccelerator();
    // fromFont: the font changed, else the caption's angle; a turned caption needs an outline font.
    void fontCheck(bool fromFont);
    void followParentFont();
    bool overImagePanel() const;
    void capture();

    TQORGlyph m_glyph;
    TQORButtonLayout m_layout;
    TQORFxCaption m_fontFx;
    std::string m_caption;
    TFontSpec m_font { "MS Sans Serif", 8, 0, clBtnText };
    bool m_parentFont { true };
    bool m_multiLine { false };
    TColor m_enterColor { clCaptionText };
    bool m_enterColorChange { false };
    int m_dropDownIndent { 0 };
    bool m_dropDownRight { false };
    bool m_transparent { false };
    // What lay under a see-through button when it was last invalidated, moved or sized.
    QImage m_capture;
    QPoint m_capturedAt;
    bool m_capturePending { false };
    TColor m_color { clWindow };
    int m_state { 0 };
    int m_previousState { 0 };
    bool m_held { false };
    int m_groupIndex { 0 };
    bool m_allowAllUp { false };
    bool m_pressed { false };
    bool m_inside { false };
    std::uint16_t m_repeatTimer { 0 };
    std::uint16_t m_hoverTimer { 0 };
    int m_shortcut { 0 };
    std::string m_shortcutCaption;
};

// The three-dimensional speed button in the old, new, framed or flat look.
class TQORCustomSpeedButton final : public TQORBaseGraphicButton {
public:
    explicit TQORCustomSpeedButton(QWidget* parent = nullptr);

    // 0 the system's look, else a face style (old, new, framed, flat).
    int FaceStyle { 0 };
    // The kit-wide look the automatic style follows: the old look when set.
    static bool SystemOldLook;

    void Paint(QImage& canvas) override;
};

// A flat button that shows a border only under the mouse or when down.
class TQOROfficeButton final : public TQORBaseGraphicButton {
public:
    explicit TQOROfficeButton(QWidget* parent = nullptr);
    bool HasOwnHotLook() const override { return true; }

    void Paint(QImage& canvas) override;
};

// A large flat see-through button whose glyph is grey until the mouse comes.
class TQORExplorerButton final : public TQORBaseGraphicButton {
public:
    explicit TQORExplorerButton(QWidget* parent = nullptr);
    bool HasOwnHotLook() const override { return true; }

    bool UnColorMain() const { return Glyph().Style() == 1; }
    void SetUnColorMain(bool value);

    void Paint(QImage& canvas) override;
};

// One face image per state from a kit image list; the face's transparent pixels
// are not part of the button.
class TQORCustomMMButton final : public TQORBaseGraphicButton {
public:
    struct TFaceEntry {
        int ListIndex { 0 };
        int ImageIndex { 0 };
    };

    explicit TQORCustomMMButton(QWidget* parent = nullptr);
    ~TQORCustomMMButton() override;
    bool HasOwnHotLook() const override { return true; }

    TQORCustomImageList* ButtonFaceImageList() const { return m_faces; }
    void SetButtonFaceImageList(TQORCustomImageList* value);
    // The face of each state 0..7.
    std::array<TFaceEntry, 8> FaceEntries;
    // Caption shift in the pressed states.
    int CaptionDown { 1 };
    TColor FaceTransparentColor { 0xFFFFFF };

    // Form files keep a standard face list as its name under "ButtonFace", the
    // first seven entries as 56 bytes under "ButtonFaceIndices" (list index, then
    // image index, 32 bits each) and the transparent colour as 4 bytes under
    // "ButtonFaceTransCol".
    static constexpr const char* kButtonFaceProperty = "ButtonFace";
    static constexpr const char* kFaceIndicesProperty = "ButtonFaceIndices";
    static constexpr const char* kFaceTransColProperty = "ButtonFaceTransCol";
    bool ButtonFaceStored() const;
    std::string WriteButtonFace() const;
    void ReadButtonFace(const std::string& name);
    void WriteFaceIndices(TStream& stream) const;
    // A short stream raises EReadError and keeps the entries as they were.
    void ReadFaceIndices(TStream& stream);
    void WriteFaceTransparentColor(TStream& stream) const;
    void ReadFaceTransparentColor(TStream& stream);

    // The entry a state draws: its own, else 0 (states 1, 2, 5) or 4 (3, 4, 6, 7); -1 for none.
    int FaceFor(int state) const;
    bool HitTest(int x, int y) const override;
    void Paint(QImage& canvas) override;

private:
    bool validFace(int entry) const;

    TQORCustomImageList* m_faces { nullptr };
    TQORChangeLink m_faceLink;
};
