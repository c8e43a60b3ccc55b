#pragma once

#include "net/powersock.h"
#include "net/summary.h"

#include <functional>
#include <string>

namespace psock {

// A POP3 client: logs in, counts the messages and reads their summaries.
class TNMPOP3 final : public TPowersock {
public:
    TNMPOP3();
    ~TNMPOP3() override;

    std::string UserID;
    std::string Password;
    bool DeleteOnRead { false };
    std::string AttachFilePath;

    // Fired once the login has succeeded, in place of the socket base's.
    TNotifyEvent OnConnect;
    THandlerEvent OnAuthenticationNeeded;
    THandlerEvent OnAuthenticationFailed;
    TNotifyEvent OnRetrieveStart;
    TNotifyEvent OnRetrieveEnd;

    // Logs in and reads the message count.
    void Connect() override;
    // QUIT when connected; the socket is closed in every case.
    void Disconnect() override;
    void Abort() override;
    // Fills Summary() with message n's header and size.
    void GetSummary(int messageNumber);

    int MailCount() const { return m_mailCount; }
    const TSummary& Summary() const { return m_summary; }
    const TMailMessage& MailMessage() const { return m_mailMessage; }
    bool Busy() const { return m_busy; }

    // Header lines kept per summary; more are read and dropped.
    static constexpr int MaxHeaderLines = 4096;
    // Bytes a summary's reply may hold; it must also end within ReplyTimeOut.
    static constexpr std::size_t MaxReplyBytes = 1024 * 1024;

private:
    void login();

    TSummary m_summary;
    TMailMessage m_mailMessage;
    TNMUUProcessor m_uuProcessor;
    int m_mailCount { 0 };
    bool m_busy { false };
};

}  // namespace psock
