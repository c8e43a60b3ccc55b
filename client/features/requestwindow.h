#pragma once

#include "client/core/features.h"
#include "platform/ui/form.h"

#include <cstdint>
#include <string>

class QLabel;
class QPushButton;
class TLabel;
class QTimer;

// "Incoming Request...": asks the user whether to take what a buddy asked for
// (a file, a plug-in game, a chat, a conference, a place on the buddy list),
// ringing until answered. The answer goes back on the line the request came on.
class TForm7 final : public TForm {
public:
    static constexpr int kRingInterval = 4000;
    static constexpr int kRings = 9;

    explicit TForm7(const peerhooks::TRequest& request);
    ~TForm7() override;

    // Plays the request sound, fills the prompt and answers at once for buddies set to.
    void ShowRequest();
    // One tick of the ring timer.
    void Timer1Timer();
    void Accept();
    void Refuse();

    peerhooks::RequestKind Kind() const { return m_request.kind; }
    const std::string& Sender() const { return m_request.requester; }
    int Rings() const { return m_rings; }
    // The prompt's text as shown.
    std::string PromptText() const;

    QLabel* Image1 { nullptr };
    TLabel* Label1 { nullptr };
    QPushButton* Button1 { nullptr };  // "&Accept"
    QPushButton* Button2 { nullptr };  // "&Reject"
    QTimer* Timer1 { nullptr };

private:
    void Finish();
    void LoadIcon(const std::string& path);

    peerhooks::TRequest m_request;
    std::string m_prompt;
    std::string m_program;      // plug-in
    int m_rings { 0 };
    bool m_answered { false };
};

// The refusal a chat or conference request gets: shown in the requester's window.
std::string RefusalText(const std::string& me);

// Opens the prompt for a request the peer guard let through.
void OpenRequestPrompt(const peerhooks::TRequest& request);
