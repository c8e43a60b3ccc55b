#include "started_programs.h"

#include "platform/rtl/eventloop.h"
#include "platform/testing/automationclient.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

class SignupFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        service = std::make_unique<ServiceProcess>(std::vector<std::string> { "--db", dirs.root() + "/users.db" });
        ASSERT_TRUE(service->started()) << service->error();
        dirs.write("app/servers.ini", "[servers]\r\n0=" + service->hostPort() + "\r\n");
        dirs.write("windows/my friends/.keep", "");
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        // "larkspire.exe" starts the program folder's larkspire.
        std::filesystem::create_symlink(std::string(KORVO_BIN_DIR) + "/larkspire", dirs.appDir() + "/larkspire");
        socket = dirs.root() + "/v.sock";
    }

    void TearDown() override
    {
        // The client velmarin started is ours to end.
        KillProcessesWith("larkspire", "KORVO_AUTOMATION=" + socket);
        if (velmarin.state() != QProcess::NotRunning) {
            velmarin.kill();
            velmarin.waitForFinished(5000);
        }
    }

    void startVelmarin()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KORVO_WINDIR", QString::fromStdString(dirs.windowsDir()));
        env.insert("KORVO_APPDIR", QString::fromStdString(dirs.appDir()));
        env.insert("KORVO_AUTOMATION", QString::fromStdString(socket));
        env.insert("KORVO_STARTUP_MARKER", "1");
        env.insert("KORVO_NO_BROWSER", "1");
        env.remove("KORVO_PARENT");
        velmarin.setProcessEnvironment(env);
        // The client it starts inherits these, and must outlive velmarin's pipes.
        velmarin.setStandardOutputFile(QString::fromStdString(dirs.root() + "/velmarin.out"));
        velmarin.setStandardErrorFile(QString::fromStdString(dirs.root() + "/velmarin.err"));
        velmarin.start(QString(KORVO_BIN_DIR) + "/velmarin", {});
        ASSERT_TRUE(velmarin.waitForStarted(10000));
        wizard = std::make_unique<AutomationClient>(socket);
        ASSERT_TRUE(wizard->connect());
    }

    // Pages 2 and 4 of a new account; the registration runs on the last click.
    void typeNewAccount(const std::string& user, const std::string& password)
    {
        EXPECT_EQ(wizard->command("click\tForm1\tCreateButton"), "ok");
        EXPECT_EQ(wizard->command("set\tForm1\tFirstNameEdit\tAda"), "ok");
        EXPECT_EQ(wizard->command("set\tForm1\tLastNameEdit\tLovelace"), "ok");
        EXPECT_EQ(wizard->command("set\tForm1\tEmailEdit\tada@example.org"), "ok");
        EXPECT_EQ(wizard->command("set\tForm1\tCityEdit\tSan Jose"), "ok");
        EXPECT_EQ(wizard->command("click\tForm1\tNextButton"), "ok");
        EXPECT_EQ(wizard->command("set\tForm1\tUserNameEdit\t" + user), "ok");
        EXPECT_EQ(wizard->command("set\tForm1\tPasswordEdit\t" + password), "ok");
        EXPECT_EQ(wizard->command("set\tForm1\tPassword2Edit\t" + password), "ok");
        EXPECT_EQ(wizard->command("click\tForm1\tNextButton"), "ok");
    }

    ScratchDirs dirs;
    std::unique_ptr<ServiceProcess> service;
    std::string socket;
    QProcess velmarin;
    std::unique_ptr<AutomationClient> wizard;
};

}  // namespace

TEST_F(SignupFlow, ANewUserRegistersAndTheStartedClientSignsThatUserOn)
{
    startVelmarin();
    typeNewAccount("ada", "Secret");
    ASSERT_TRUE(wizard->waitFor("text\tForm1\tResultTitle", "ok Registration Successful", 60000));
    EXPECT_EQ(wizard->command("check\tForm1\tStartCheck\t1"), "ok");
    EXPECT_EQ(wizard->command("click\tForm1\tOkButton"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return velmarin.state() == QProcess::NotRunning; }, 20000))
        << wizard->command("boxes");

    // The client velmarin started listens beside its parent's socket, never on it.
    AutomationClient client(socket + ".larkspire");
    ASSERT_TRUE(client.connect()) << dirs.read("velmarin.err");
    ASSERT_TRUE(client.waitFor("text\tSign On\tComboBox1", "ok ada", 60000)) << client.command("boxes");
    EXPECT_EQ(client.command("set\tSign On\tEdit1\tSecret"), "ok");
    EXPECT_EQ(client.command("click\tSign On\tSpeedButton1"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return dirs.read("windows/my friends/ada/user.dat").find("Save=") != std::string::npos; }, 20000));
    EXPECT_EQ(client.command("find\tSign On").find("\t1\t"), std::string::npos);
    // The service knows the user by the typed password.
    EXPECT_EQ(HttpGet(service->port(), "/login.asp?Login=ada&Password=115-19-231-157-31-111-&IPAddress=127.0.0.1&publickey=")
                  .body,
              "success\r\n");
}

TEST_F(SignupFlow, ValuesTheServiceWouldRefuseAreRefusedOnTheirPageNamingTheField)
{
    startVelmarin();
    // Each refusal keeps the wizard on its page, so the value can be put right there.
    const auto refused = [&](const std::string& control, const std::string& value, const std::string& message) {
        EXPECT_EQ(wizard->command("set\tForm1\t" + control + "\t" + value), "ok");
        EXPECT_EQ(wizard->command("click\tForm1\tNextButton"), "ok");
        EXPECT_TRUE(wizard->waitFor("lastbox", "ok 1\tSign Up!\t\\r" + message, 10000))
            << control << ": " << wizard->command("lastbox");
    };
    EXPECT_EQ(wizard->command("click\tForm1\tCreateButton"), "ok");
    EXPECT_EQ(wizard->command("set\tForm1\tFirstNameEdit\tAda"), "ok");
    EXPECT_EQ(wizard->command("set\tForm1\tLastNameEdit\tLovelace"), "ok");
    EXPECT_EQ(wizard->command("set\tForm1\tEmailEdit\tada@example.org"), "ok");
    refused("CityEdit", "San Jose" + std::string(248, 'x'),
            "The City may hold at most 255 characters. Please re-type.");
    refused("CityEdit", "San\\tJose", "The City holds characters that are not permitted. Please re-type.");
    EXPECT_EQ(wizard->command("set\tForm1\tCityEdit\tSan Jose"), "ok");
    EXPECT_EQ(wizard->command("click\tForm1\tNextButton"), "ok");

    EXPECT_EQ(wizard->command("set\tForm1\tPasswordEdit\tSecret"), "ok");
    EXPECT_EQ(wizard->command("set\tForm1\tPassword2Edit\tSecret"), "ok");
    refused("UserNameEdit", std::string(65, 'a'), "The User Name may hold at most 64 characters. Please re-type.");
    EXPECT_EQ(wizard->command("set\tForm1\tUserNameEdit\tada"), "ok");
    // A hundred letters scramble to more than the 255 characters the service keeps.
    EXPECT_EQ(wizard->command("set\tForm1\tPassword2Edit\t" + std::string(100, 'a')), "ok");
    refused("PasswordEdit", std::string(100, 'a'), "The Password is too long. Please choose a shorter one.");
    EXPECT_EQ(wizard->command("set\tForm1\tPasswordEdit\tSecret"), "ok");
    EXPECT_EQ(wizard->command("set\tForm1\tPassword2Edit\tSecret"), "ok");
    EXPECT_EQ(wizard->command("check\tForm1\tPublicKeyCheck\t1"), "ok");
    refused("PublicKeyEdit", std::string(300, 'k'), "The Public Key may hold at most 255 characters. Please re-type.");
    EXPECT_EQ(wizard->command("set\tForm1\tPublicKeyEdit\t" + std::string(255, 'k')), "ok");
    EXPECT_EQ(wizard->command("click\tForm1\tNextButton"), "ok");

    // What passes the pages, the service takes.
    ASSERT_TRUE(wizard->waitFor("text\tForm1\tResultTitle", "ok Registration Successful", 60000))
        << wizard->command("boxes");
    EXPECT_EQ(HttpGet(service->port(), "/login.asp?Login=ada&Password=115-19-231-157-31-111-&IPAddress=127.0.0.1"
                                       "&publickey=" + std::string(255, 'k'))
                  .body,
              "success\r\n");
}

TEST_F(SignupFlow, TheSameNameAgainIsADuplicate)
{
    ASSERT_EQ(HttpGet(service->port(), "/register.asp?FirstName=A&LastName=B&Address=nil&City=nil&State=&Zip=nil"
                                       "&UserName=Ada&Password=112-243-&PublicKey=&LastIPAddress=0.0.0.0&PhoneNumber=0"
                                       "&emailaddress=a%40b.c&CreditCard=0&CreditCardName=0&CreditCardExpiration=0"
                                       "&CreditCardNumber=0&LNR=0")
                  .body,
              "success\r\n");
    startVelmarin();
    typeNewAccount("ada", "pw");
    ASSERT_TRUE(wizard->waitFor("lastbox", "ok 1\tSign Up!\t\\rThe user name 'ada' already exists. Please choose another", 60000));
    EXPECT_FALSE(dirs.exists("windows/my friends/ada"));
    EXPECT_EQ(wizard->command("checked\tForm1\tStartCheck"), "ok 0");
}

TEST_F(SignupFlow, AServiceKilledMidRunIsARegistrationErrorAndNoFolder)
{
    startVelmarin();
    service->kill();
    typeNewAccount("ada", "pw");
    ASSERT_TRUE(wizard->waitFor("text\tForm1\tResultTitle", "ok Registration Error", 60000));
    EXPECT_FALSE(dirs.exists("windows/my friends/ada"));
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
}
