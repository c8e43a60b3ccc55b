#pragma once

#include "client/core/features.h"
#include "net/bufferedcomponents.h"
#include "platform/ui/form.h"

#include <QElapsedTimer>

#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class TLabel;

// One file moving between two buddies over a connection of its own: the
// receiver listens and names its port on the peer line, the sender connects
// and sends the raw bytes. The receiver keeps the bytes under a temporary
// name until exactly the announced size arrived.
class TForm4 final : public TForm {
public:
    enum TTransferMode : std::uint8_t { tmReceive = 1, tmSend = 2 };

    TForm4(TTransferMode mode, const std::string& buddy, const std::string& path, std::int64_t size);
    ~TForm4() override;

    // Mode 1: listens for the buddy at the address of its peer line (the connection of
    // that serial) and tells it the port. False when nothing could be set up.
    bool StartReceiving(std::uint64_t connection);
    // Mode 2: connects to the buddy's listening port and sends the file.
    void StartSending(const std::string& address, const std::string& port);
    void CancelClick();

    const std::string& TargetPath() const { return m_target; }
    std::int64_t BytesDone() const { return m_done; }

    TLabel* Label1 { nullptr };
    QLabel* Label2 { nullptr };
    QProgressBar* ProgressBar { nullptr };
    QPushButton* Button1 { nullptr };  // "&Cancel"
    TBinaryClient FileSender;
    TBinaryServer FileReceiveServer;

    static constexpr int kSendTimeOut = 10;
    static constexpr int kBufferSize = 1 << 20;
    static constexpr int kListenTries = 10;
    // Milliseconds between two progress updates.
    static constexpr int kProgressInterval = 100;

private:
    void Progress(std::int64_t done);
    void Received(TBufferedSocketBase* socket);
    void Ended();
    void Failed(const std::string& text);
    // The message (when there is one) from the event loop, never from inside a socket's
    // event, then the window closes.
    void CloseWith(const std::string& text);
    void StopListening();
    // After a set-up step that may have run the message loop: false when the window was
    // closed meanwhile, which it then leaves.
    bool StillSettingUp();

    TTransferMode m_mode;
    std::string m_buddy;
    std::string m_path;
    std::int64_t m_size;
    std::int64_t m_done { 0 };
    int m_percent { -1 };
    QElapsedTimer m_shown;
    std::string m_target;
    std::string m_partial;
    bool m_accepted { false };
    bool m_finished { false };
    // Set-up runs lookups that let the message loop run: a close meanwhile only hides the
    // window, which goes once set-up has let go of it.
    bool m_settingUp { false };
    bool m_closed { false };
};

// The receiving window for an accepted request; the peer line (the connection of that serial) carries its port.
void OpenReceiveWindow(const std::string& buddy, const std::string& path, std::int64_t size, std::uint64_t connection);
// The sending window for a buddy's "startsendfile".
void OpenSendWindow(const peerhooks::TFileSend& send);
