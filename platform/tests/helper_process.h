#pragma once

#include "platform/win/messages.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <string>
#include <vector>

// The test helper program running as another process of the same desktop
// (it inherits the test's KORVO_WINDIR), read line by line.
class HelperProcess {
public:
    explicit HelperProcess(const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProgram(QCoreApplication::applicationDirPath() + "/korvo_win_helper");
        m_process.setArguments(arguments);
        m_process.setProcessEnvironment(environment);
        m_process.start();
    }
    ~HelperProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Waits for the helper to say line; true when it did.
    bool waitFor(const std::string& line)
    {
        return Application::ProcessMessagesUntil([&] {
            while (m_process.canReadLine())
                m_lines.push_back(m_process.readLine().trimmed().toStdString());
            for (const std::string& seen : m_lines)
                if (seen == line)
                    return true;
            return false;
        }, 10000);
    }

    // Ends the helper the hard way, leaving its files behind.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Ends the helper by closing its input; it withdraws and exits normally.
    void stop()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    std::vector<std::string> m_lines;
};
