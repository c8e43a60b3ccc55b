#include "platform/ui/applicationforms.h"

#include "platform/ui/form.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ApplicationForms, EveryOpenFormIsFreedWithItsChildFormsAndHearsOfIt)
{
    std::vector<std::string> destroyed;
    auto* bar = new TForm("Bar");
    bar->OnDestroy = [&] { destroyed.push_back("Bar"); };
    auto* toast = new TForm("Toast");
    toast->setParent(bar, toast->windowFlags());
    auto* signon = new TForm("Signon");
    signon->OnDestroy = [&] { destroyed.push_back("Signon"); };
    const QPointer<TForm> watched[] = { bar, toast, signon };

    Application::FreeForms();

    for (const QPointer<TForm>& form : watched)
        EXPECT_TRUE(form.isNull());
    EXPECT_EQ(destroyed, (std::vector<std::string> { "Signon", "Bar" }));
    EXPECT_TRUE(Screen::Forms().empty());
}

TEST(ApplicationForms, AReleasedFormWhoseTurnNeverCameIsFreedOnce)
{
    int destroyed = 0;
    auto* signon = new TForm("Signon");
    signon->OnDestroy = [&] { ++destroyed; };
    const QPointer<TForm> watched(signon);
    signon->Release();

    Application::FreeForms();
    EXPECT_TRUE(watched.isNull());
    // The release that was queued finds nothing left to free.
    Application::ProcessMessages();
    EXPECT_EQ(destroyed, 1);
}
