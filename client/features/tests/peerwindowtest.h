#pragma once

#include "client/features/chatwindow.h"
#include "client/features/peerwindows.h"
#include "client/features/requestwindow.h"
#include "client/features/transferwindow.h"
#include "peersessiontest.h"

#include "platform/ui/richtext.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>

#include <optional>

// alice's session with her windows installed, as the program runs it.
class PeerWindowTest : public PeerSessionTest {
protected:
    void SetUp() override
    {
        PeerSessionTest::SetUp();
        InstallPeerWindows();
    }
    void TearDown() override
    {
        std::vector<QPointer<QWidget>> windows;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (dynamic_cast<TForm7*>(widget) || dynamic_cast<TForm14*>(widget) || dynamic_cast<TForm4*>(widget))
                windows.emplace_back(widget);
        for (const QPointer<QWidget>& window : windows)
            delete window.data();
        PeerSessionTest::TearDown();
    }

    template<typename Window>
    static std::vector<Window*> Windows()
    {
        std::vector<Window*> found;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = dynamic_cast<Window*>(widget); window && window->isVisible())
                found.push_back(window);
        return found;
    }
    template<typename Window>
    Window* WaitForWindow(int timeoutMs = 5000)
    {
        Window* window = nullptr;
        Application::ProcessMessagesUntil([&] {
            const auto windows = Windows<Window>();
            window = windows.empty() ? nullptr : windows.front();
            return window != nullptr;
        }, timeoutMs);
        return window;
    }

    // What the client wrote on the peer's line before it answered probe with answer; nothing when no
    // answer came. Lines on one connection are handled and answered in order, so by then the client
    // has written whatever it was going to write for the lines and clicks that came before.
    static std::optional<std::string> WrittenBefore(ScriptedPeer& peer, const std::string& probe, const std::string& answer)
    {
        if (!peer.sendLine(probe))
            return std::nullopt;
        std::string written;
        for (std::string line = peer.readLine(); line != answer; line = peer.readLine()) {
            if (line.empty())
                return std::nullopt;
            written += line + "\r\n";
        }
        return written;
    }
    // A listed buddy's line: its "inf" again, which is accepted and changes nothing.
    static std::optional<std::string> WrittenBeforeAccepted(ScriptedPeer& buddy, const std::string& name)
    {
        return WrittenBefore(buddy, Frame("inf", name, name + "@example.org", "alice"), "\xFC");
    }
    // A caller's line that is not bound yet: an "inf" calling someone else, which is refused and no more.
    static std::optional<std::string> WrittenBeforeRefused(ScriptedPeer& caller, const std::string& name)
    {
        return WrittenBefore(caller, Frame("inf", name, "", "nobody"), "\xFE");
    }
};
