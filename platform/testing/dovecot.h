#pragma once

#include <QTemporaryDir>

#include <string>
#include <sys/types.h>

// A throw-away POP3 server for one test: dovecot in a scratch folder, listening on
// 127.0.0.1 at a free port, with its own passwd file and maildirs. No system
// service is touched. Skips the test (GTEST_SKIP in the caller) when dovecot is missing.
class DovecotServer {
public:
    DovecotServer();
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    static bool Available();

    // Adds a user before Start.
    void addUser(const std::string& user, const std::string& password);
    // False (with the log in error()) when it would not listen.
    bool start();
    void stop();

    // Puts a message into the user's mailbox; the text's lines may end in LF.
    void deliver(const std::string& user, const std::string& message);
    int port() const { return m_port; }
    std::string error() const { return m_error; }

private:
    std::string path(const std::string& relative) const;

    QTemporaryDir m_dir;
    std::string m_users;
    std::string m_error;
    int m_port { 0 };
    pid_t m_pid { -1 };
    int m_delivered { 0 };
};
