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
};
