#pragma once

#include "kit/qorclass.h"
#include "kit/qorprocs.h"
#include "kit/qortimerpool.h"
#include "platform/ui/graphics.h"
#include "platform/win/messages.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TNamedMutex;

// The kit's hand cursor, added to the screen's cursors when the application object is made.
inline constexpr TCursor crQORHand = -255;

// The one application object every kit component can reach: the shared timer
// pool, the previous-instance flag, the application window's message hooks and
// where the kit writes its log.
class TQORApplication final {
public:
    TQORApplication();
    ~TQORApplication();
    TQORApplication(const TQORApplication&) = delete;
    TQORApplication& operator=(const TQORApplication&) = delete;

    // Another copy of this program (same file name) was running on the desktop
    // when this one started.
    bool PrevInstance() const { return m_prevInstance; }

    TQORTimerPool& TimerPool() { return *m_timerPool; }
    // The settings control for global use.
    TQORIniCtrl& IniCtrl() { return *m_iniCtrl; }

    // Application timers: the lowest free of 250 slots, identifier 0xFD00 + slot.
    // 0 when every slot is taken; the pool's refusals pass to the caller.
    static constexpr int kTimerSlots = 250;
    static constexpr std::uint16_t kTimerBase = 0xFD00;
    std::uint16_t AddTimer(int interval, TQORTimerItem::TItemEvent callback, void* data);
    // Identifiers above 0xFD00 only.
    void RemoveTimer(std::uint16_t id);
    TQORTimerItem* GetTimer(std::uint16_t id) const;

    // An 8 x 8 checker of color and white, kept while the same colour is asked for.
    const QImage& GetPatternBitmap(TColor color);

    // The application window: its messages pass the main-window hooks in the order
    // they were added; a hook answering true has handled the message and it goes no further.
    HWND Handle() const { return m_window; }
    using TMainWindowHook = std::function<bool(TMessage& message)>;
    int HookMainWindow(TMainWindowHook hook);
    void UnhookMainWindow(int id);

    qorprocs::TQORPathPrefix LogPrefix() const { return m_logPrefix; }
    void SetLogPrefix(qorprocs::TQORPathPrefix prefix) { m_logPrefix = prefix; }
    const std::string& LogFile() const { return m_logFile; }
    // A blank name is the program's name with ".LOG"; a name without extension gets ".LOG".
    void SetLogFile(const std::string& name);

    std::string Company;
    std::string Version;
    // Wait units per step of the window-opening animations.
    int ExplodeDelay { 3 };
    // "Software\<company>\<title or program path>\<version>\", the registry's own separators.
    std::string DefaultRegistryPath() const;

private:
    std::unique_ptr<TQORIniCtrl> m_iniCtrl;
    std::unique_ptr<TQORTimerPool> m_timerPool;
    std::array<std::uint8_t, kTimerSlots + 1> m_timerSlots {};
    QImage m_pattern;
    TColor m_patternColor { clNone };
    std::unique_ptr<TNamedMutex> m_mutex;
    void WndProc(TMessage& message);
    HWND m_window { 0 };
    int m_nextHookId { 1 };
    std::vector<std::pair<int, TMainWindowHook>> m_mainHooks;
    bool m_prevInstance { false };
    qorprocs::TQORPathPrefix m_logPrefix { qorprocs::ppProgram };
    std::string m_logFile;
};

// The kit's initialisation, counted across its users; the last finalisation frees
// the application object. Call with a running QApplication.
void QORInitialize();
void QORFinalize();
// The application object; nullptr outside initialisation.
TQORApplication* QORApplication();

// The running program's full path and its file name without the folder, in the code page.
std::string ProgramFileName();
