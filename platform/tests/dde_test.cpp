#include "platform/win/dde.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(Dde, NoProgramAnswersByDefault)
{
    dde::SetResponder(nullptr);
    unsetenv("KORVO_BROWSER_PAGE");
    EXPECT_EQ(dde::Request("IExplore", "WWW_GetWindowInfo", "-1"), "");
}

TEST(Dde, TheEnvironmentsBrowserPageAnswersTheBrowserQuestionOnly)
{
    dde::SetResponder(nullptr);
    setenv("KORVO_BROWSER_PAGE", "\"http://site.org/a\",\"A site\"", 1);
    EXPECT_EQ(dde::Request("IExplore", "WWW_GetWindowInfo", "-1"), "\"http://site.org/a\",\"A site\"");
    EXPECT_EQ(dde::Request("IExplore", "WWW_Other", "-1"), "");
    dde::SetResponder([](const std::string&, const std::string&, const std::string&) { return std::string("double"); });
    EXPECT_EQ(dde::Request("IExplore", "WWW_GetWindowInfo", "-1"), "double");
    dde::SetResponder(nullptr);
    unsetenv("KORVO_BROWSER_PAGE");
}

TEST(Dde, AStandInServerAnswersWhatItIsAsked)
{
    dde::SetResponder([](const std::string& service, const std::string& topic, const std::string& item) {
        return service + "/" + topic + "/" + item;
    });
    EXPECT_EQ(dde::Request("netscape", "WWW_GetWindowInfo", "0xFFFFFFFF"), "netscape/WWW_GetWindowInfo/0xFFFFFFFF");
    dde::SetResponder(nullptr);
    EXPECT_EQ(dde::Request("netscape", "WWW_GetWindowInfo", "0xFFFFFFFF"), "");
}
