#pragma once

#include "net/bufferedsocket.h"

#include <functional>
#include <string>

using TLineSocketOptions = unsigned;
inline constexpr TLineSocketOptions lsoAddLineChars = 1;
inline constexpr TLineSocketOptions lsoAutoFlushAfterWrite = 2;
inline constexpr TLineSocketOptions lsoReturnLineChars = 4;
inline constexpr TLineSocketOptions lsoLineReceivedEvents = 8;
inline constexpr TLineSocketOptions kDefaultLineOptions = lsoAddLineChars | lsoAutoFlushAfterWrite | lsoLineReceivedEvents;

enum TLineSocketType { lstCR, lstLF, lstCRLF };

class TLineSocketBase;
using TLineReceivedEvent = std::function<void(TLineSocketBase* Socket, const std::string& Line, bool Complete)>;

// The terminator bytes of a line type.
std::string LineTerminator(TLineSocketType type);

// A buffered socket that cuts what it receives into lines and writes whole lines.
class TLineSocketBase : public TBufferedSocketBase {
public:
    static constexpr const char* ClassName = "TLineSocketBase";
    explicit TLineSocketBase(TSockCtrl* component);

    void DoReadBufferFull() override;
    bool WriteString(const std::string& text, const std::string& terminator) override;
    bool WritePChar(const char* text, const char* terminator) override;
    void FillReadBuffer() override;
    virtual void DoLineReceived(const std::string& line, bool complete);

    // Delivers one buffered line; true when there was one.
    bool ReadLine();
    // Writes text and the terminator (with lsoAddLineChars); false, writing nothing, when it does not fit.
    bool WriteLine(const std::string& text);

    TLineSocketOptions LineOptions { kDefaultLineOptions };
    TLineSocketType LineType { lstCRLF };
    TLineReceivedEvent OnLineReceived;
};

// The class the system opens and listens with for its line connections.
class TLineSocket : public TLineSocketBase {
public:
    static constexpr const char* ClassName = "TLineSocket";
    using TLineSocketBase::TLineSocketBase;
};
