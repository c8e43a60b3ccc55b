#include "net/nmpop3.h"

#include "platform/rtl/exceptions.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>

namespace psock {

namespace {

bool IsOk(const std::string& reply)
{
    return TPowersock::NthWord(reply, ' ', 1).find("+OK") != std::string::npos;
}

// A line break or NUL in a login value would start a command of its own.
bool HoldsLineBreak(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::string WithoutLineEnd(const std::string& line)
{
    std::size_t end = line.size();
    if (end > 0 && line[end - 1] == '\n')
        --end;
    if (end > 0 && line[end - 1] == '\r')
        --end;
    return line.substr(0, end);
}

bool StartsCaseBlind(const std::string& line, std::string_view prefix)
{
    return line.size() >= prefix.size() && UpperCase(line.substr(0, prefix.size())) == UpperCase(prefix);
}

// A count past a 32-bit integer, or no number, reads as 0.
int CountOf(const std::string& word)
{
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < 0)
        return 0;
    return value;
}

}  // namespace

TNMPOP3::TNMPOP3()
{
    Port = 110;
}

TNMPOP3::~TNMPOP3()
{
    if (Connected())
        Abort();
}

void TNMPOP3::login()
{
    bool retried = false;
    for (;;) {
        if (HoldsLineBreak(UserID) || HoldsLineBreak(Password))
            throw Exception("Authentication failed");
        std::string reply = Transaction("USER " + UserID);
        if (IsOk(reply))
            reply = Transaction("PASS " + Password);
        if (IsOk(reply))
            return;
        if (!retried && OnAuthenticationFailed) {
            retried = true;
            bool handled = false;
            OnAuthenticationFailed(handled);
            if (handled)
                continue;
        }
        throw Exception("Authentication failed");
    }
}

void TNMPOP3::Connect()
{
    bool asked = false;
    while (UserID.empty() || Password.empty()) {
        if (!OnAuthenticationNeeded || asked)
            throw Exception("Authentication failed");
        asked = true;
        bool handled = false;
        OnAuthenticationNeeded(handled);
        if (!handled)
            throw Exception("Authentication failed");
    }
    if (HoldsLineBreak(UserID) || HoldsLineBreak(Password) || HoldsLineBreak(Host))
        throw Exception("Authentication failed");
    m_mailCount = 0;
    TPowersock::Connect();
    try {
        const std::string greeting = ReadLn();
        if (!IsOk(greeting))
            throw Exception(greeting);
        login();
        try {
            const std::string stat = Transaction("STAT");
            if (!IsOk(stat))
                throw Exception(stat);
            m_mailCount = CountOf(NthWord(Trim(stat), ' ', 2));
        } catch (...) {
            if (OnConnect)
                OnConnect(this);
            throw;
        }
        if (OnConnect)
            OnConnect(this);
    } catch (...) {
        try {
            Disconnect();
        } catch (const std::exception&) {
            // The first failure is the one the caller needs.
        }
        throw;
    }
}

void TNMPOP3::Disconnect()
{
    if (Connected()) {
        try {
            const std::string reply = Transaction("QUIT");
            if (!IsOk(reply))
                throw Exception(reply);
        } catch (...) {
            TPowersock::Disconnect();
            throw;
        }
    }
    TPowersock::Disconnect();
}

void TNMPOP3::Abort()
{
    Cancel();
    if (Connected()) {
        TPowersock::Disconnect();
        ClearInput();
    }
}

void TNMPOP3::GetSummary(int messageNumber)
{
    if (m_busy)
        return;
    m_busy = true;
    try {
        CheckConnected();
        if (OnRetrieveStart)
            OnRetrieveStart(this);
        // Each line within the reply time-out is not enough: a server that never
        // sends the closing "." would hold us for ever.
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ReplyTimeOut);
        const std::string top = Transaction("TOP " + std::to_string(messageNumber) + " 0");
        if (!IsOk(top))
            throw Exception(top);
        m_summary.Header.Clear();
        m_summary.Subject.clear();
        m_summary.From.clear();
        m_summary.MessageId.clear();
        std::size_t replyBytes = top.size();
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            const std::string line = ReadLn(static_cast<int>(std::max<long long>(left, 0)));
            replyBytes += line.size();
            if (replyBytes > MaxReplyBytes) {
                DropConnection();
                throw ESockError("Reply too long");
            }
            const std::string bare = WithoutLineEnd(line);
            if (StartsCaseBlind(line, "Subject:"))
                m_summary.Subject = bare.substr(8);
            else if (StartsCaseBlind(line, "From:"))
                m_summary.From = bare.substr(5);
            else if (StartsCaseBlind(line, "Message-ID:"))
                m_summary.MessageId = line.substr(std::min<std::size_t>(12, line.size()), 256);
            if (bare == ".")
                break;
            if (m_summary.Header.Count() < MaxHeaderLines)
                m_summary.Header.Add(bare);
        }
        const std::string list = Transaction("LIST " + std::to_string(messageNumber));
        const std::string size = Trim(NthWord(list, ' ', 3));
        const int bytes = StrToInt(size);
        if (bytes < 0)
            throw EConvertError("'" + size + "' is not a valid message size");
        m_summary.Bytes = bytes;
        StatusMessage(1, "Summary Retrieved");
        if (OnRetrieveEnd)
            OnRetrieveEnd(this);
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
}

}  // namespace psock
