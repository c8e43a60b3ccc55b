#include "kit/qorwndproc.h"

#include "kit/qorapplication.h"
#include "platform/testing/scratch.h"

#include "platform/ui/form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Keeps the close box from its form and notes what it saw.
class CloseKeeper final : public TQORWndProcComponent {
public:
    using TQORWndProcComponent::TQORWndProcComponent;
    std::vector<UINT> seen;
    bool keepClose { true };

protected:
    void WndProc(TMessage& message) override
    {
        seen.push_back(message.Msg);
        if (keepClose && message.Msg == WM_SYSCOMMAND && message.WParam == SC_CLOSE)
            return;
        TQORWndProcComponent::WndProc(message);
    }
};

// A second kind, so the count keeps the classes apart.
class Quiet final : public TQORWndProcComponent {
public:
    using TQORWndProcComponent::TQORWndProcComponent;
};

void PressCloseBox(TForm& form)
{
    QCloseEvent close;
    QCoreApplication::sendEvent(&form, &close);
}

}  // namespace

TEST(WndProcComponent, HooksOnlyOnceLoaded)
{
    TForm form;
    CloseKeeper keeper(&form);
    EXPECT_FALSE(keeper.Hooked());
    keeper.Loaded();
    EXPECT_TRUE(keeper.Hooked());
    EXPECT_EQ(keeper.OwnerHandle(), form.Handle());
}

TEST(WndProcComponent, KeptCloseBoxLeavesFormOpen)
{
    TForm form;
    form.Show();
    CloseKeeper keeper(&form);
    keeper.Loaded();
    PressCloseBox(form);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(keeper.seen, (std::vector<UINT> { WM_SYSCOMMAND }));
}

TEST(WndProcComponent, DisabledComponentLetsTheFormClose)
{
    TForm form;
    form.Show();
    CloseKeeper keeper(&form);
    keeper.Loaded();
    keeper.SetEnabled(false);
    EXPECT_FALSE(keeper.Hooked());
    PressCloseBox(form);
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(keeper.seen.empty());
    keeper.SetEnabled(true);
    EXPECT_TRUE(keeper.Hooked());
}

TEST(WndProcComponent, PassedOnCloseClosesTheForm)
{
    TForm form;
    form.Show();
    CloseKeeper keeper(&form);
    keeper.keepClose = false;
    keeper.Loaded();
    PressCloseBox(form);
    EXPECT_FALSE(form.Visible());
}

TEST(WndProcComponent, MessagesAfterDestroyAreDropped)
{
    TForm form;
    CloseKeeper keeper(&form);
    keeper.Loaded();
    TMessage destroy { WM_DESTROY, 0, 0, 0 };
    EXPECT_TRUE(keeper.DeliverMessage(destroy));
    TMessage late { WM_NCDESTROY, 0, 0, 0 };
    EXPECT_FALSE(keeper.DeliverMessage(late));
}

TEST(WndProcComponent, DestroyedOwnerUnhooksTheComponent)
{
    auto* form = new TForm;
    CloseKeeper keeper(form);
    keeper.Loaded();
    form->Free();
    EXPECT_FALSE(keeper.Hooked());
    EXPECT_EQ(keeper.OwnerHandle(), 0u);
    EXPECT_EQ(keeper.seen, (std::vector<UINT> { WM_DESTROY }));
}

TEST(WndProcComponent, ComponentGoneBeforeItsFormLeavesFormWorking)
{
    TForm form;
    form.Show();
    {
        CloseKeeper keeper(&form);
        keeper.Loaded();
    }
    PressCloseBox(form);
    EXPECT_FALSE(form.Visible());
}

namespace {

// Notes the application window's messages it sees; the base decides whether they are handled.
class MainWatcher final : public TQORWndProcComponent {
public:
    using TQORWndProcComponent::TQORWndProcComponent;
    int seen { 0 };

protected:
    bool MainWindowHook(TMessage& message) override
    {
        ++seen;
        return TQORWndProcComponent::MainWindowHook(message);
    }
};

}  // namespace

TEST(WndProcComponent, MainWindowHooksLeaveMessagesToTheOthers)
{
    ScratchDirs dirs;
    QORInitialize();
    {
        TForm form;
        MainWatcher first(&form);
        MainWatcher second(&form);
        first.SetMainHook(true);
        second.SetMainHook(true);
        first.Loaded();
        second.Loaded();
        EXPECT_TRUE(first.MainHookInstalled());
        SendMessage(QORApplication()->Handle(), WM_USER + 1, 0, 0);
        EXPECT_EQ(first.seen, 1);
        EXPECT_EQ(second.seen, 1);
        first.SetEnabled(false);
        EXPECT_FALSE(first.MainHookInstalled());
        SendMessage(QORApplication()->Handle(), WM_USER + 1, 0, 0);
        EXPECT_EQ(first.seen, 1);
        EXPECT_EQ(second.seen, 2);
    }
    QORFinalize();
}

TEST(WndProcComponent, MainHookIsChosenOnlyWhileLoading)
{
    TForm form;
    MainWatcher watcher(&form);
    watcher.Loaded();
    watcher.SetMainHook(true);
    EXPECT_FALSE(watcher.MainHook());
}

TEST(QorWndProc, OneOfAKindOnAFormIsAcceptedASecondIsNot)
{
    TForm form("Form1");
    CloseKeeper first(&form);
    Quiet other(&form);
    EXPECT_FALSE(IsOneOfKindOnForm<CloseKeeper>(&form, false));
    CloseKeeper second(&form);
    EXPECT_TRUE(IsOneOfKindOnForm<CloseKeeper>(&form, false));
    EXPECT_FALSE(IsOneOfKindOnForm<Quiet>(&form, false));
}

TEST(QorWndProc, AnOwnerThatIsNoFormIsRefusedUnlessADataModuleIsAllowed)
{
    QObject dataModule;
    QWidget panel;
    EXPECT_TRUE(IsOneOfKindOnForm<CloseKeeper>(&dataModule, false));
    EXPECT_FALSE(IsOneOfKindOnForm<CloseKeeper>(&dataModule, true));
    EXPECT_TRUE(IsOneOfKindOnForm<CloseKeeper>(&panel, true));
    EXPECT_TRUE(IsOneOfKindOnForm<CloseKeeper>(nullptr, true));
}
