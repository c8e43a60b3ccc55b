#pragma once

#include "platform/testing/automationclient.h"
#include "platform/testing/loopback.h"
#include "platform/win/messages.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>

// One larkspire (or another of the programs, with its arguments) started for a
// scenario, on the offscreen platform, with the Windows directory given and an
// automation socket of its own.
class LarkspireProcess {
public:
    // The program is a simulated host at localAddress, or else at an address of its own
    // in the test's block, so its listening port never meets another test's.
    LarkspireProcess(const std::string& windowsDir, const std::string& appDir, const std::string& socketPath,
                     const std::string& localAddress = "", const QString& program = "larkspire",
                     const QStringList& arguments = {})
        : m_socketPath(QString::fromStdString(socketPath))
        , m_automation(socketPath)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KORVO_WINDIR", QString::fromStdString(windowsDir));
        env.insert("KORVO_APPDIR", QString::fromStdString(appDir));
        env.insert("KORVO_AUTOMATION", m_socketPath);
        env.insert("KORVO_STARTUP_MARKER", "1");
        // A test may have named a file to list what would have opened.
        if (!env.contains("KORVO_NO_BROWSER"))
            env.insert("KORVO_NO_BROWSER", "1");
        static int started = 0;
        const std::string address = localAddress.empty() ? LoopbackHost(200 + started++ % 50) : localAddress;
        env.insert("KORVO_LOCAL_ADDRESS", QString::fromStdString(address));
        m_process.setProcessEnvironment(env);
        QObject::connect(&m_process, &QProcess::readyReadStandardError,
                         [this] { m_stderr += m_process.readAllStandardError(); });
        m_process.start(QString(KORVO_BIN_DIR) + "/" + program, arguments);
    }

    ~LarkspireProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool waitForSignOn(int timeoutMs = 20000)
    {
        return Application::ProcessMessagesUntil([this] { return errors().find("[larkspire] sign-on shown") != std::string::npos; },
                                                 timeoutMs);
    }

    bool waitForEnd(int timeoutMs = 20000)
    {
        return Application::ProcessMessagesUntil([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    }

    // Types the password into the sign-on window and signs on; true once the main bar shows.
    bool signOn(const std::string& password = "pw")
    {
        if (!waitForSignOn() || command("set\tSign On\tEdit1\t" + password) != "ok"
            || command("click\tSign On\tSpeedButton1") != "ok")
            return false;
        return Application::ProcessMessagesUntil([this] { return command("find\tForm1").rfind("ok Form1\t1", 0) == 0; },
                                                 20000);
    }

    bool running() const { return m_process.state() != QProcess::NotRunning; }
    int exitCode() const { return m_process.exitCode(); }
    std::string errors()
    {
        m_stderr += m_process.readAllStandardError();
        return m_stderr.toStdString();
    }

    // One automation command (fields joined by tabs); the reply line without its end.
    std::string command(const std::string& line) { return m_automation.command(line); }
    AutomationClient& automation() { return m_automation; }

private:
    QString m_socketPath;
    QProcess m_process;
    QByteArray m_stderr;
    AutomationClient m_automation;
};
