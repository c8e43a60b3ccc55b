#pragma once

#include "net/psockerror.h"
#include "net/threadtimer.h"
#include "platform/win/messages.h"
#include "platform/win/winsock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace psock {

// Lets a handler ask for another try.
using THandlerEvent = std::function<void(bool& Handled)>;

// The socket base of the POP3 client: one TCP socket with its own hidden window and
// its own Winsock start-up, whose calls wait for their answer on the creating
// thread's messages. It belongs wholly to the thread that creates it.
class TPowersock {
public:
    using TNotifyEvent = std::function<void(TPowersock* Sender)>;
    using TStatusEvent = std::function<void(TPowersock* Sender, const std::string& Status)>;

    TPowersock();
    virtual ~TPowersock();
    TPowersock(const TPowersock&) = delete;
    TPowersock& operator=(const TPowersock&) = delete;

    std::string Host;
    std::uint16_t Port { 0 };
    // Milliseconds allowed for the host lookup and for the connect.
    int TimeOut { 0 };
    // Milliseconds a reply or a send may take once connected; a stalled server
    // must not hold the caller for ever. Past it the connection is dropped.
    int ReplyTimeOut { 60000 };
    // Status texts of this level or lower reach OnStatus.
    int ReportLevel { 0 };

    TNotifyEvent OnDisconnect;
    // FD_CONNECT; the POP3 client publishes its own, fired after the login.
    TNotifyEvent OnConnect;
    TNotifyEvent OnConnectionFailed;
    TNotifyEvent OnHostResolved;
    TNotifyEvent OnConnectionRequired;
    TNotifyEvent OnPacketRecvd;
    THandlerEvent OnInvalidHost;
    TStatusEvent OnStatus;

    virtual void Connect();
    virtual void Disconnect();
    // Cancels the wait in progress and, when connected, disconnects. The timer calls it.
    virtual void Abort();
    void Cancel();
    // Raises "Not Connected" after OnConnectionRequired when not connected.
    void CheckConnected();

    // At most 16385 bytes of text.
    void Write(const std::string& text);
    void Writeln(const std::string& text);
    // count 0: up to the first NUL.
    void SendBuffer(const char* buffer, int count);
    // The next line up to and with its LF, within ReplyTimeOut.
    std::string ReadLn();
    // The same within timeoutMs.
    std::string ReadLn(int timeoutMs);
    // Sends command, reads the reply line and takes its leading number.
    std::string Transaction(const std::string& command);
    void StatusMessage(int level, const std::string& text);
    // The n-th field (from 1) of text split at every separator; empty past the last.
    static std::string NthWord(const std::string& text, char separator, int n);

    bool Connected() const { return m_connected; }
    const std::string& Status() const { return m_status; }
    const std::string& LastReply() const { return m_lastReply; }
    std::uint16_t ReplyNumber() const { return m_replyNumber; }
    int LastErrorNo() const { return m_lastError; }
    long long BytesRecvd() const { return m_bytesRecvd; }
    // The Winsock start-up lines of the first instance of the process.
    static std::vector<std::string> WinsockInfo();
    static int InstanceCount();

    // Longest line a reply may hold; past it the reply is refused.
    static constexpr std::size_t MaxLineLength = 64 * 1024;

protected:
    bool Destroying() const { return m_destroying; }
    void ClearInput();
    // Closes without a word to the server: its dialogue is out of step.
    void DropConnection();

private:
    static constexpr int kPieceSize = 16383;
    static constexpr int kTextBufferSize = 16385;

    void wndProc(TMessage& message);
    void handleSelect(WPARAM socket, LPARAM info);
    void readToStream();
    void writeFromStream();
    void receiveRest();
    void newSocket();
    void closeSocket();
    void checkError(int result);
    winsock::u_long resolveHost();
    void startTimer();
    void stopTimer();
    void timerExpired();
    // Runs this thread's messages until done() holds or timeoutMs passes.
    bool waitFor(const std::function<bool()>& done, int timeoutMs);
    std::size_t pendingInput() const { return m_input.size() - m_inputPos; }

    bool m_queueReady { false };
    HWND m_window { 0 };
    winsock::SOCKET m_socket { winsock::INVALID_SOCKET };
    TThreadTimer m_timer;
    std::vector<char> m_lookupBuffer;
    std::string m_input;
    std::size_t m_inputPos { 0 };
    std::string m_output;
    std::string m_status;
    std::string m_lastReply;
    std::uint16_t m_replyNumber { 0 };
    int m_lastError { 0 };
    long long m_bytesRecvd { 0 };
    bool m_canceled { false };
    bool m_timedOut { false };
    bool m_connected { false };
    bool m_lastNotifyOk { true };
    bool m_lookupDone { false };
    bool m_sent { false };
    bool m_reading { false };
    bool m_writing { false };
    bool m_readHeld { false };
    bool m_peerClosed { false };
    bool m_destroying { false };
};

}  // namespace psock
