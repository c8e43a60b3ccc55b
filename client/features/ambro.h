#pragma once

#include "platform/rtl/thread.h"

#include <string>

class TForm14;

// AMBRO on the main bar: asks the browser for its page, fetches the site's
// ambro.inf and opens the site chat; one run at a time.
class TAmbro final : public TThread {
public:
    TAmbro();
    ~TAmbro() override;

    // 1 fetched, 0 no such site, -1 no page.
    int State() const { return m_state; }
    const std::string& Url() const { return m_url; }

protected:
    void Execute() override;

private:
    int m_state { 0 };
    std::string m_url;
};

void StartAmbro();
// True while a run is under way.
bool AmbroRunning();

// The open site window of a site, nullptr when there is none. Site windows are
// kept apart from the conversations: a site named like a buddy is no buddy.
TForm14* FindSiteWindow(const std::string& sitename);
// Opens (or raises) the chat window of a site in site mode.
void OpenSiteWindow(const std::string& sitename);
