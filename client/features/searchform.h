#pragma once

#include "client/features/searchquery.h"
#include "platform/ui/form.h"

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class QAction;

// The search strip: a thin topmost bar across the screen just above the
// desktop's bottom, with the query box, the engines and the query memory.
class TSearchform final : public TForm {
public:
    TSearchform();
    ~TSearchform() override;

    void FormShow();
    void LoadEngines();
    void SelectEngine(const std::string& path);
    void GoClick();
    // An engine chosen in the list: select it and search with it.
    void EngineChosen(int index);
    // The query box edited or a query picked from the history.
    void QueryChanged();
    void StartDefaultBlink();
    void ClearHistoryClick();

    const std::vector<std::string>& History() const { return m_history; }
    const std::string& EnginePath() const { return m_enginePath; }
    const std::string& BuiltUrl() const { return m_url; }

    QLabel* Label1 { nullptr };
    QComboBox* ComboBox1 { nullptr };  // the query box with the history
    QComboBox* ComboBox2 { nullptr };  // the engine list
    QPushButton* Button1 { nullptr };  // "&Go"
    QLabel* Label2 { nullptr };        // directions
    QLabel* Label3 { nullptr };        // the sample query
    QLabel* Label4 { nullptr };        // the engine's display name
    QLabel* Label5 { nullptr };        // "Korvo®"
    QPushButton* SpeedButton1 { nullptr };  // close
    QPushButton* SpeedButton2 { nullptr };  // "Set As Default"
    QMenu* PopupMenu1 { nullptr };
    QAction* ClearHistory1 { nullptr };
    QAction* MakeDefault1 { nullptr };
    QTimer* Timer1 { nullptr };

private:
    void ArrangeControls();
    void BlinkTick();

    std::vector<std::string> m_engines;
    std::vector<std::string> m_history;
    TSearchEngine m_engine;
    std::string m_enginePath;
    std::string m_url;
    int m_blink { 0 };
    bool m_filling { false };
};

// The main bar's "find": the one strip, made and shown, or brought forward.
void StartSearchBar();
TSearchform* SearchBar();
// A one-shot search of the main bar through the default engine.
void SearchWeb(const std::string& query);
// A keyword from the main bar: opens its channel; false when it names none or its
// favourite is no web page (IsWebLink).
bool OpenChannel(const std::string& keyword);
