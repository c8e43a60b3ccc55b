#include "kit/qorchangelink.h"

#include "kit/qorcont.h"

#include <algorithm>

TQORChangeLink::~TQORChangeLink()
{
    if (Sender)
        Sender->UnRegisterChanges(this);
}

TQORBaseContainer::~TQORBaseContainer()
{
    // Each control drops its reference; a handler may unregister others meanwhile.
    while (!m_links.empty()) {
        TQORChangeLink* link = m_links.back();
        m_links.pop_back();
        link->Sender = nullptr;
        if (link->OnFree)
            link->OnFree(this);
    }
}

void TQORBaseContainer::RegisterChanges(TQORChangeLink* link)
{
    if (!link || std::find(m_links.begin(), m_links.end(), link) != m_links.end())
        return;
    if (link->Sender && link->Sender != this)
        link->Sender->UnRegisterChanges(link);
    link->Sender = this;
    m_links.push_back(link);
}

void TQORBaseContainer::UnRegisterChanges(TQORChangeLink* link)
{
    const auto found = std::find(m_links.begin(), m_links.end(), link);
    if (found == m_links.end())
        return;
    m_links.erase(found);
    link->Sender = nullptr;
}

void TQORBaseContainer::NotifyLinks()
{
    if (m_updateLock == 1)
        return;
    // Copied: a handler may register or unregister links.
    const std::vector<TQORChangeLink*> links = m_links;
    for (TQORChangeLink* link : links) {
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            link->Change();
    }
}

void TQORBaseContainer::Change()
{
    NotifyLinks();
    TQORComponent::Change();
}
