#pragma once

#include "kit/qortrayicon.h"
#include "platform/ui/form.h"

#include <memory>

// The hidden owner window: never shown, it carries the tray icon and opens the
// sign-on window when the program starts.
class TForm10 final : public TForm {
public:
    TForm10();
    ~TForm10() override;

    std::unique_ptr<TQORTrayIcon> QORTrayIcon1;

    void FormCreate();
    void QORTrayIcon1Click(TQORTrayIcon* Sender);
};

// The tray icon's picture, drawn rather than shipped.
QIcon KorvoIcon();
