#pragma once

#include "platform/ui/graphics.h"

#include <string>

class QWidget;

// The open-file and save-file dialogs. Where no person can answer (the offscreen
// platform), a file name queued for them answers the next one as if chosen there;
// without one the dialog is cancelled, so a scripted run never hangs.
class TOpenDialog {
public:
    enum class TKind { Open, Save };

    TOpenDialog() = default;
    virtual ~TOpenDialog() = default;

    // True when a file was chosen; FileName then holds its full name (code page).
    bool Execute(QWidget* owner = nullptr);

    // "Description|pattern;pattern|Description|pattern" pairs.
    std::string Filter;
    // Saving: added to a chosen name without an extension ("txt" or ".txt").
    std::string DefaultExt;
    // The name the dialog starts with, and the one chosen.
    std::string FileName;
    std::string Title;

protected:
    explicit TOpenDialog(TKind kind)
        : m_kind(kind)
    {
    }

private:
    TKind m_kind { TKind::Open };
};

class TSaveDialog final : public TOpenDialog {
public:
    TSaveDialog()
        : TOpenDialog(TKind::Save)
    {
    }
};

// The colour dialog, answered the same way: a queued colour, else (offscreen) cancelled.
class TColorDialog {
public:
    // True when a colour was chosen; Color then holds it. It starts with Color.
    bool Execute(QWidget* owner = nullptr);

    TColor Color { clBlack };
};

namespace dialogs {

// The next open-file or save-file dialog is answered with this name (code page); several queue up in order.
void QueueFileName(const std::string& path);
// The next colour dialog is answered with this colour; several queue up in order.
void QueueColor(TColor color);
// A dialog's filter in Qt's form: "Text files (*.txt *.log);;All (*.*)".
std::string QtFilter(const std::string& filter);

}  // namespace dialogs
