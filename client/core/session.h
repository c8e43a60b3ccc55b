#pragma once

#include <cstdint>
#include <string>

// The signed-on user's profile, the settings loaded at sign-on and the state of
// the running session: one record for the whole client, filled by the sign-on
// window and the settings loader, started afresh at every sign-on.
struct TSession {
    // Who is signed on.
    std::string userId;             // the trimmed user name chosen at sign-on
    std::string scrambledPassword;  // what every service page receives, at most 255 characters
    std::string userName { "Unknown" };  // the user's first name
    std::string userEmail;
    std::string userPublicKey;
    std::string userPhoneNumber;

    // The service's hosts.
    std::string defaultHost;   // servers.ini
    std::string regsServer;    // registration
    std::string ilsServer;     // presence directory
    std::string notesServer;   // Nivlet notes

    // Channels.ini [Settings] and friends.
    std::uint8_t animSpeed { 0 };
    bool sound { false };
    bool periodicLogOn { false };  // [Settings] Hint
    bool pushNewsManual { true };
    std::uint8_t hintInterval { 5 };
    bool updateTime { true };
    bool background { true };
    bool hideNewsAlerts { true };
    bool quickTips { true };
    std::string lastNewsUpdate;
    std::uint8_t connectionSpeed { 1 };
    bool aolConnection { false };
    bool notifyState { false };
    std::string favoritesFolder;
    std::string programsFolder;

    // larkspire.ini.
    std::string version { "Unknown" };
    std::string awayMessage { "(no message)" };
    bool useExistingMail { false };
    std::uint16_t mailCheckInterval { 10 };
    bool autoMailCheck { false };
    std::string mailClient { "Korvo Mail" };
    std::string addressBook { "Korvo Address Book" };
    std::uint16_t keepAliveInterval { 60 };
    std::string partner;

    // The running session, as ResetSession starts it.
    bool away { false };
    bool online { false };
    bool loggedOn { false };
    bool logOnInProgress { false };
    bool logOnRunning { false };
    // Set when the program starts and on going offline; the next log-on starts the update check.
    bool firstLogOn { true };
    std::string localAddress { "127.0.0.1" };
    std::string lastQuickTip { "nil" };
    int currentBuddy { -1 };  // none
    int lastBuddyIndex { -1 };
    bool mailCheckRunning { false };
    bool nivletReadRunning { false };
    bool newsThreadRunning { false };
    int adRotation { 0 };
    int buddyScroll { 0 };
    std::uint32_t buddyHighlight { 0xFFFF00 };

    // The one-second timer's tick counters.
    std::uint32_t mailSeconds { 0 };
    std::uint16_t pingSeconds { 0 };
    std::uint32_t refreshSeconds { 0 };
    std::uint16_t relogOnSeconds { 0 };

    // Where the main bar docks: its left edge, and the top and height it returns to.
    int dockedLeft { 0 };
    int barTop { 0 };
    int barHeight { 0 };
};

// The client's one session record.
TSession& Session();
