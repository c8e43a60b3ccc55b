#include "kit-extra/qornonvs.h"

#include "kit/qorapplication.h"
#include "kit/qoroneinsterror.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/win/namedmutex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// A copy ended by exit() leaves its objects to the system, as any program
// does; the leak checker would count them against the guard.
void LeaveObjectsToTheSystem()
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
}

// The application object as a second copy of this program sees it.
class SecondCopy {
public:
    SecondCopy() : m_first(ExtractFileName(ProgramFileName())) { QORInitialize(); }
    ~SecondCopy() { QORFinalize(); }

private:
    TNamedMutex m_first;
};

}  // namespace

TEST(QOROneInstance, SecondGuardInAProgramIsRefusedWithItsMessage)
{
    TQOROneInstance first(nullptr);
    try {
        TQOROneInstance second(nullptr);
        FAIL() << "a second guard was accepted";
    } catch (const QOREOneInstError& error) {
        EXPECT_STREQ(error.what(), "TQOROneInstance:\rAlready one TQOROneInstance control in this project!");
    }
    EXPECT_EQ(TQOROneInstance::InstanceCount(), 1);
}

TEST(QOROneInstance, DefaultsActivateOnlyAndEnabled)
{
    TQOROneInstance guard(nullptr);
    EXPECT_EQ(guard.Mode, oiActivateOnly);
    EXPECT_TRUE(guard.Enabled);
}

TEST(QOROneInstance, FirstCopyCarriesOn)
{
    ScratchDirs dirs;
    QORInitialize();
    TQOROneInstance guard(nullptr);
    guard.Loaded();
    EXPECT_FALSE(guard.Loading());
    QORFinalize();
}

TEST(QOROneInstance, DisabledGuardLetsASecondCopyRun)
{
    ScratchDirs dirs;
    SecondCopy copy;
    ASSERT_TRUE(QORApplication()->PrevInstance());
    TQOROneInstance guard(nullptr);
    guard.Enabled = false;
    guard.Loaded();
    EXPECT_FALSE(guard.Loading());
}

TEST(QOROneInstanceDeathTest, SecondCopyEndsWithExitCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScratchDirs dirs;
    EXPECT_EXIT(
        {
            LeaveObjectsToTheSystem();
            SecondCopy copy;
            TQOROneInstance guard(nullptr);
            guard.Loaded();
            std::fputs("still running", stderr);
            std::_Exit(7);
        },
        testing::ExitedWithCode(0), "");
}

TEST(QOROneInstanceDeathTest, CustomModeCallsTheProgramsHandlerThenEnds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScratchDirs dirs;
    EXPECT_EXIT(
        {
            LeaveObjectsToTheSystem();
            SecondCopy copy;
            TQOROneInstance guard(nullptr);
            guard.Mode = oiCustom;
            guard.OnCustom = [](TQORComponent*) { std::fputs("custom handler ran", stderr); };
            guard.Loaded();
            std::_Exit(7);
        },
        testing::ExitedWithCode(0), "custom handler ran");
}

TEST(QOROneInstanceDeathTest, DefaultMessageNamesTheApplication)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScratchDirs dirs;
    EXPECT_EXIT(
        {
            LeaveObjectsToTheSystem();
            SecondCopy copy;
            Application::SetTitle("Korvo - Address Book");
            dialogs::SetResponder([](const dialogs::DialogRequest& request) {
                std::fputs(request.text.c_str(), stderr);
                return IDOK;
            });
            TQOROneInstance guard(nullptr);
            guard.Mode = oiDefaultMessage;
            guard.Loaded();
            std::_Exit(7);
        },
        testing::ExitedWithCode(0), "\"Korvo - Address Book\" was already started\\.\\.\\.");
}
