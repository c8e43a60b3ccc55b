#pragma once

#include <QTemporaryDir>

#include <string>
#include <sys/types.h>

// A throw-away IRC server for one test: ngircd on 127.0.0.1 at a free port with
// a config of its own (nicks up to 30, a MOTD, one operator, no PAM, ident or
// DNS). Clients must give the password with PASS.
class IrcServer {
public:
    explicit IrcServer(const std::string& password);
    ~IrcServer();
    IrcServer(const IrcServer&) = delete;
    IrcServer& operator=(const IrcServer&) = delete;

    static bool Available();
    // False (with the log in error()) when it would not listen.
    bool start();
    int port() const { return m_port; }
    std::string error() const;

    // The operator's name and password ([Operator] of the config).
    static constexpr const char* kOperator = "op";
    static constexpr const char* kOperatorPassword = "oppw";

private:
    QTemporaryDir m_dir;
    std::string m_password;
    int m_port { 0 };
    pid_t m_pid { -1 };
};

// A scripted IRC client for tests (a room operator, a hostile peer's victim):
// blocking lines on its own socket.
class IrcTestClient {
public:
    IrcTestClient() = default;
    ~IrcTestClient();
    IrcTestClient(const IrcTestClient&) = delete;
    IrcTestClient& operator=(const IrcTestClient&) = delete;

    bool connect(int port);
    void line(const std::string& text);
    // The next line holding `part` (lines before it are dropped), waiting up to 10 s; "" when none.
    std::string waitFor(const std::string& part);

private:
    int m_fd { -1 };
    std::string m_input;
};
