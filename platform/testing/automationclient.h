#pragma once

#include "platform/rtl/eventloop.h"

#include <QByteArray>
#include <QLocalSocket>
#include <QString>

#include <memory>
#include <string>

// One connection to a program's automation socket (tests/e2e/README.md has its
// commands), asked a command at a time.
class AutomationClient {
public:
    explicit AutomationClient(std::string path) : m_path(std::move(path)) {}

    // Waits until the program listens: one started by another program comes up a
    // while after its parent asked for it.
    bool connect(int timeoutMs = 20000)
    {
        return Application::ProcessMessagesUntil(
            [this] {
                m_socket = std::make_unique<QLocalSocket>();
                m_socket->connectToServer(QString::fromStdString(m_path));
                return m_socket->waitForConnected(200);
            },
            timeoutMs);
    }

    // One command (fields joined by tabs); the reply line without its end. The
    // first command connects when connect() was not called.
    std::string command(const std::string& line)
    {
        if (!m_socket && !connect())
            return "error not connected";
        if (m_socket->state() != QLocalSocket::ConnectedState)
            return "error not connected";
        m_socket->write(QByteArray::fromStdString(line + "\n"));
        m_socket->flush();
        QByteArray reply;
        Application::ProcessMessagesUntil(
            [&] {
                reply += m_socket->readAll();
                return reply.contains('\n') || m_socket->state() != QLocalSocket::ConnectedState;
            },
            60000);
        return reply.left(reply.indexOf('\n')).toStdString();
    }

    // What a control shows, without the reply's "ok "; an error reply as it came.
    std::string text(const std::string& window, const std::string& control)
    {
        const std::string reply = command("text\t" + window + "\t" + control);
        return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : reply;
    }

    // Asks until the reply is `expected`.
    bool waitFor(const std::string& line, const std::string& expected, int timeoutMs = 20000)
    {
        return Application::ProcessMessagesUntil([&] { return command(line) == expected; }, timeoutMs);
    }

    bool waitForText(const std::string& window, const std::string& control, const std::string& wanted, int timeoutMs = 20000)
    {
        return Application::ProcessMessagesUntil([&] { return text(window, control) == wanted; }, timeoutMs);
    }

private:
    std::string m_path;
    std::unique_ptr<QLocalSocket> m_socket;
};
