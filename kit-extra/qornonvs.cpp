#include "kit-extra/qornonvs.h"

#include "kit/qorapplication.h"
#include "kit/qoroneinsterror.h"
#include "kit/qorprocs.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/win/windowlist.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::uint8_t g_liveInstances = 0;

bool PreviousInstanceRuns()
{
    const TQORApplication* application = QORApplication();
    return application && application->PrevInstance();
}

}  // namespace

TQOROneInstance::TQOROneInstance(TForm* owner) : m_owner(owner)
{
    ++g_liveInstances;
    if (g_liveInstances > 1) {
        --g_liveInstances;
        throw QOREOneInstError("TQOROneInstance", 1);
    }
}

TQOROneInstance::~TQOROneInstance() { --g_liveInstances; }

std::uint8_t TQOROneInstance::InstanceCount() { return g_liveInstances; }

void TQOROneInstance::Loaded()
{
    TQORComponent::Loaded();
    if (!Enabled || !PreviousInstanceRuns())
        return;
    switch (Mode) {
    case oiActivateOnly:
        ActivatePrevInstance();
        break;
    case oiDefaultMessage:
        MessageBox(m_owner, "\"" + Application::Title() + "\" " + qorprocs::ResText("was already started..."),
            Application::Title(), MB_OK | MB_ICONINFORMATION);
        ActivatePrevInstance();
        break;
    case oiCustom:
        if (OnCustom)
            OnCustom(this);
        else
            ActivatePrevInstance();
        break;
    }
    Application::Terminate();
    // Ends here and now: the owner is still being built on its caller's stack and is
    // never unwound, so no exit handler may walk what it holds.
    std::fflush(nullptr);
    std::_Exit(0);
}

void ActivatePrevInstance()
{
    if (!PreviousInstanceRuns())
        return;
    const std::string title = Application::Title();
    // Our own windows must not answer the search; this copy is about to end anyway.
    for (TForm* form : Screen::Forms()) {
        if (form->Caption() == title)
            form->SetCaption("");
    }
    // The earlier copy's activation handler restores a minimised window and raises any other.
    windowlist::BringToFront(title);
}
