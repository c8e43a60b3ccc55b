#include "client/features/ambro.h"

#include "client/core/download.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/features/ambrosite.h"
#include "client/features/chatwindow.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/graphics.h"

#include <QPointer>

#include <vector>

namespace {

bool g_running = false;

std::vector<QPointer<TForm14>>& SiteWindows()
{
    static std::vector<QPointer<TForm14>> windows;
    return windows;
}

void AmbroFinished(TAmbro& run)
{
    g_running = false;
    DeleteFile(AppPath() + "site.htm");
    if (Form1)
        Form1->UpdateStatusBar();
    int state = run.State();
    if (state == 1) {
        const TAmbroSite site = ReadAmbroSite(AppPath() + "ambro.inf");
        if (FindSiteWindow(site.Sitename) || !Trim(site.Server).empty())
            OpenSiteWindow(site.Sitename);
        else
            state = 0;
    }
    if (state == -1) {
        MessageDlg("\rThis feature requires that you are on a site displaying the Korvo Ambro\xAE logo.", mtInformation, mbOK, 0);
    } else if (state == 0) {
        DeleteFile(AppPath() + "ambro.inf");
        MessageDlg("\rThis site " + (run.Url().size() > 6 ? run.Url().substr(6) : std::string())
                       + " does not appear to support this feature.",
                   mtWarning, mbOK, 0);
    }
}

}  // namespace

TAmbro::TAmbro() : TThread(false)
{
    FreeOnTerminate = true;
    OnTerminate = [](TThread* sender) { AmbroFinished(*static_cast<TAmbro*>(sender)); };
}

TAmbro::~TAmbro()
{
    Terminate();
}

void TAmbro::Execute()
{
    std::string answer;
    Synchronize([&answer] { answer = GetBrowserWindowInfo(); });
    m_state = 0;
    m_url = AmbroSiteUrl(answer);
    if (Trim(m_url).empty()) {
        m_state = -1;
        return;
    }
    DeleteFile(AppPath() + "ambro.inf");
    try {
        DownloadToFile(m_url + "ambro/ambro.inf", AppPath() + "ambro.inf");
    } catch (const std::exception&) {
        // A site without the file is told so by the result step.
    }
    m_state = 1;
}

bool AmbroRunning() { return g_running; }

TForm14* FindSiteWindow(const std::string& sitename)
{
    std::erase_if(SiteWindows(), [](const QPointer<TForm14>& window) { return window.isNull(); });
    for (const QPointer<TForm14>& window : SiteWindows())
        if (SameText(window->Key(), sitename))
            return window.data();
    return nullptr;
}

void OpenSiteWindow(const std::string& sitename)
{
    if (TForm14* open = FindSiteWindow(sitename)) {
        if (open->WindowState() == wsMinimized)
            open->SetWindowState(wsNormal);
        open->Activate();
        return;
    }
    auto* window = new TForm14(sitename, kSiteMarker);
    SiteWindows().emplace_back(window);
    window->ShowChat();
}

void StartAmbro()
{
    if (g_running)
        return;
    g_running = true;
    new TAmbro();
    if (Form1)
        Form1->SetStatusText("One Moment", clBlue);
}
