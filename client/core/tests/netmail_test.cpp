#include "client/core/netmail.h"

#include "client/core/scrambler.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "platform/win/process.h"
#include "platform/win/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(RegisteredClient, QuotedProgramWithPercentOneGetsTheArgument)
{
    const auto c = SplitRegisteredCommand("\"/opt/mail/mailer.exe\" /open \"%1\"", "/default");
    EXPECT_EQ(c.Program, "/opt/mail/mailer.exe");
    EXPECT_EQ(c.Parameters, "/open \"/default\"");
}

TEST(RegisteredClient, UnquotedProgramEndsAtTheFirstBlank)
{
    const auto c = SplitRegisteredCommand("tivra.exe   /book %1  ", "/default");
    EXPECT_EQ(c.Program, "tivra.exe");
    EXPECT_EQ(c.Parameters, "/book /default");
}

TEST(RegisteredClient, WithoutPercentOneTheArgumentIsNotPassed)
{
    const auto c = SplitRegisteredCommand("\"mail.exe\" /mailurl", "/default");
    EXPECT_EQ(c.Program, "mail.exe");
    EXPECT_EQ(c.Parameters, "/mailurl");
}

TEST(RegisteredClient, BareProgramPathStartsWithoutParameters)
{
    const auto c = SplitRegisteredCommand("/usr/lib/korvo/mail.exe", "/default");
    EXPECT_EQ(c.Program, "/usr/lib/korvo/mail.exe");
    EXPECT_EQ(c.Parameters, "");
}

TEST(WebMail, UserAndPasswordGoIntoTheAddress)
{
    const std::string stored = ScrambleText("secret");
    EXPECT_EQ(WebMailAddress("http://mail.example/login?u=%U%&p=%P%", " ann ", stored),
              "http://mail.example/login?u=ann&p=secret");
}

TEST(WebMail, AddressWithoutPasswordMarkOpensNothing)
{
    EXPECT_EQ(WebMailAddress("http://mail.example/login?u=%U%", "ann", ScrambleText("secret")), "");
}

TEST(WebMail, MissingPartsOpenNothing)
{
    EXPECT_EQ(WebMailAddress("http://mail.example/?p=%P%", "ann", ScrambleText("x")), "");
    EXPECT_EQ(WebMailAddress("http://m/?u=%U%&p=%P%", "  ", ScrambleText("x")), "");
    EXPECT_EQ(WebMailAddress("http://m/?u=%U%&p=%P%", "ann", ""), "");
    EXPECT_EQ(WebMailAddress("  ", "ann", ScrambleText("x")), "");
    EXPECT_EQ(WebMailAddress("http://m/?u=%U%&p=%P%", "ann", "12--"), "");
}

TEST(RegisteredClient, LaunchStartsTheRegisteredProgramWithTheArgument)
{
    ScratchDirs dirs;
    {
        TRegistry registry(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey("\\SOFTWARE\\Clients\\Contacts\\Korvo Address Book\\shell\\open\\command", true));
        registry.WriteString("", "\"tivra.exe\" /open \"%1\"");
    }
    std::vector<process::Launch> launches;
    process::SetObserver([&](const process::Launch& launch) { launches.push_back(launch); });
    LaunchRegisteredClient("\\SOFTWARE\\Clients\\Contacts\\Korvo Address Book\\shell\\open\\command", "", "/default");
    LaunchRegisteredClient("\\SOFTWARE\\Clients\\Contacts\\Nobody\\shell\\open\\command", "", "/default");
    process::SetObserver(nullptr);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(ExtractFileName(launches[0].program), "tivra");
    EXPECT_EQ(launches[0].arguments, (std::vector<std::string> { "/open", "/default" }));
}

TEST(WebMail, ProvidersAreTheSectionsOfNetmailInf)
{
    ScratchDirs dirs;
    dirs.write("app/netmail.inf", "[Web Post]\r\nURL=http://post.example/?u=%U%&p=%P%\r\n");
    EXPECT_TRUE(IsWebMailClient("web post"));
    EXPECT_FALSE(IsWebMailClient("Korvo Mail"));
    EXPECT_EQ(WebMailUrl("Web Post"), "http://post.example/?u=%U%&p=%P%");
}
