#pragma once

#include "platform/rtl/stringlist.h"
#include "platform/rtl/thread.h"
#include "platform/win/messages.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace psock {
class TNMPOP3;
}

// Looks into every POP3 account of mail.inf on its own thread, keeps the counts in
// status.inf and, when asked, lists senders and subjects in headers.inf.
class TMailCheck final : public TThread {
public:
    // What one account may list: its newest summaries, within a count, their
    // listed bytes and the account's whole time; past any, its check ends.
    static constexpr int kMaxSummaries = 500;
    static constexpr std::size_t kMaxSummaryBytes = 256 * 1024;
    static constexpr int kMaxAccountMs = 180000;

    explicit TMailCheck(bool manual);
    ~TMailCheck() override;

    bool Manual() const { return m_manual; }
    bool GotMail() const { return m_gotMail; }
    bool ShowHeaders() const { return m_showHeaders; }
    bool PlaySound() const { return m_sound; }
    int AccountCount() const { return m_accountCount; }
    // Every account's mailbox was reached and counted.
    bool AllChecked() const { return m_checked == m_accountCount; }
    // What the channel label showed when the check began, shown again when it learnt nothing.
    void SetChannelBefore(const QString& text) { m_channelBefore = text; }
    const QString& ChannelBefore() const { return m_channelBefore; }

    // The user's mail folder with its trailing separator; "" when the user's name
    // would lead outside "my friends".
    static std::string MailFolder(const std::string& user);
    // The sender as the alert lists it: the display name alone when there is one.
    static std::string SenderOf(const std::string& from);

    // Asks for the login of a refused account on the main thread: true with the new
    // values for Ok. Tests and scripted runs replace it.
    using LogonPrompt = std::function<bool(const std::string& caption, const std::string& server, std::string& user,
        std::string& password)>;
    static void SetLogonPrompt(LogonPrompt prompt);

    // From the main thread: ends the check as soon as its wait ends, which this
    // also ends; a cancelled check reports nothing.
    void Cancel();
    bool Cancelled() const;

protected:
    void Execute() override;

private:
    // True when the account is to be checked again with what the prompt wrote.
    bool checkAccount(int index, psock::TNMPOP3& client);
    bool prompt(int index, const std::string& host, const std::string& login, const std::string& status);
    // Lists the newest summaries of count messages, oldest first, until the deadline.
    void listNewest(psock::TNMPOP3& client, int count, std::chrono::steady_clock::time_point deadline);

    mutable std::mutex m_cancelLock;
    bool m_cancelled { false };
    // The worker's own message target: a cancel is delivered to it inside the client's waits.
    HWND m_cancelWindow { 0 };
    bool m_manual { false };
    bool m_gotMail { false };
    bool m_showHeaders { false };
    bool m_sound { false };
    int m_accountCount { 0 };
    int m_checked { 0 };
    QString m_channelBefore;
    std::string m_folder;
    TStringList m_accounts;
    TStringList m_headers;
};

// The main bar's CHECK (manual) and the timer's duty: one check at a time, only online.
void StartMailCheck(bool manual);
bool MailCheckRunning();
// Sign-off: the running check is cancelled and nothing of it reaches the next session.
void CancelMailCheck();
