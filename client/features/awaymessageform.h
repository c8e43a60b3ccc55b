#pragma once

#include "platform/ui/form.h"

#include <string>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// "Away Message": the user goes away with a message buddies see, and comes back.
class TAwayMessageFrm final : public TForm {
public:
    TAwayMessageFrm();
    ~TAwayMessageFrm() override;

    QPlainTextEdit* Memo1 { nullptr };
    QPushButton* Button5 { nullptr };  // "I'm &Back"
    QPushButton* Button4 { nullptr };  // "&Apply"
    QMenu* Presets { nullptr };
    QAction* EditMessages { nullptr };
    QAction* Refresh { nullptr };

    // Stores the memo's message and tells every connected buddy.
    void Apply();
    // Clears the away state and tells every connected buddy; the window only hides.
    void Back();
    // Shows the window with the stored message and applies it.
    void ShowAway();
    // The presets of messages.inf, sorted, behind the three fixed items.
    void LoadPresets();
    // What choosing a preset does.
    void ChoosePreset(const std::string& line);
    std::string MemoText() const;

private:
    bool m_applying { false };
};

extern TAwayMessageFrm* AwayMessageFrm;

// A preset's menu caption: its first 60 characters, "..." after a longer line.
std::string PresetCaption(const std::string& line);
