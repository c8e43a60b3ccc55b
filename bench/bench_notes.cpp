// How much a user's stored notes and reminders add to a sign-on: larkspire signs
// on a user holding 2,000 notes and 500 reminders and one holding none, in turns,
// timed from the sign-on click to the main bar.

#include "tests/e2e/larkspire_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kNotes = 2000;
constexpr int kReminders = 500;
constexpr int kRuns = 3;

void Write(const QString& path, const std::string& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A Windows directory with one user, holding the notes and reminders asked for.
void MakeUser(const QString& windows, const std::string& user, int notes, int reminders)
{
    const QString folder = windows + "/my friends/" + QString::fromStdString(user);
    Write(folder + "/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
    Write(windows + "/larkspire.ini", "[MAIN]\r\nuserLoginName=" + user + "\r\n");
    for (int i = 0; i < notes; ++i)
        Write(folder + QString("/messages/buddy%1_129202680507%2.txt").arg(i % 40).arg(i),
              "[nivlet]\r\nfrom=buddy" + std::to_string(i % 40) + "\r\nDate=12/9/2026 8:05:07 PM\r\nmessage=note number "
                  + std::to_string(i) + " with a few words in it\r\nLink=x\xB6" "12/9/2026 8:00:00 PM\r\n");
    // Set for a day to come, so none shows at sign-on.
    for (int i = 0; i < reminders; ++i)
        Write(folder + QString("/tasks/task%1.tsk").arg(i),
              "[Task]\r\nTaskID=task" + std::to_string(i) + "\r\nDate=12/31/2099\r\nTime=10:30 AM\r\nLastDisplayed=1/1/1900 "
                  "12:00:00 PM\r\nRepeat=0\r\nText=reminder " + std::to_string(i) + "\r\nCompleted=0\r\n");
}

double SignOnMs(const QString& windows, const QString& appDir, const std::string& socket)
{
    LarkspireProcess larkspire(windows.toStdString(), appDir.toStdString(), socket);
    if (!larkspire.waitForSignOn() || larkspire.command("set\tSign On\tEdit1\tpw") != "ok")
        return -1;
    QElapsedTimer clock;
    clock.start();
    if (larkspire.command("click\tSign On\tSpeedButton1") != "ok")
        return -1;
    const bool shown = Application::ProcessMessagesUntil(
        [&] { return larkspire.command("find\tForm1").rfind("ok Form1\t1", 0) == 0; }, 60000);
    return shown ? static_cast<double>(clock.nsecsElapsed()) / 1e6 : -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString heavy = scratch.path() + "/heavy";
    const QString light = scratch.path() + "/light";
    MakeUser(heavy, "heavy", kNotes, kReminders);
    MakeUser(light, "light", 0, 0);
    QDir().mkpath(scratch.path() + "/app");
    QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", scratch.path() + "/app/sigonlogo.gif");
    std::vector<double> heavyMs;
    std::vector<double> lightMs;
    for (int run = 0; run < kRuns; ++run) {
        lightMs.push_back(SignOnMs(light, scratch.path() + "/app", scratch.path().toStdString() + "/l.sock"));
        heavyMs.push_back(SignOnMs(heavy, scratch.path() + "/app", scratch.path().toStdString() + "/h.sock"));
    }
    const double withNotes = Median(heavyMs);
    const double without = Median(lightMs);
    if (withNotes < 0 || without < 0) {
        std::printf("sign-on failed\n");
        return 1;
    }
    std::printf("sign-on with %d notes and %d reminders: %.0f ms\n", kNotes, kReminders, withNotes);
    std::printf("sign-on with none: %.0f ms\n", without);
    std::printf("difference: %.0f ms\n", withNotes - without);
    return 0;
}
