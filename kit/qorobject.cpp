#include "kit/qorobject.h"

void TQORObject::Change()
{
    if (m_updateLock != 1 && OnChange)
        OnChange(this);
}

void TQORObject::EndUpdate(bool notify)
{
    m_updateLock = 0;
    if (notify)
        Change();
}

void TQORComponent::EndUpdate(bool doChange)
{
    m_updateLock = 0;
    if (doChange)
        Change();
}

void TQORComponent::Change()
{
    if (m_updateLock != 1 && OnChange)
        OnChange(this);
}
