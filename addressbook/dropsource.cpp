#include "addressbook/dropsource.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QWidget>

#include <algorithm>

HRESULT TInterfacedComponent::QueryInterface(const std::string& iid) const
{
    const std::vector<std::string> table = Interfaces();
    return std::find(table.begin(), table.end(), iid) != table.end() ? S_OK : E_NOINTERFACE;
}

int TInterfacedComponent::Release()
{
    if (--m_refCount > 0)
        return m_refCount;
    delete this;
    return 0;
}

TDropSource::TDropSource()
{
    // The drag's own references come and go; this one keeps the source alive for its owner.
    AddRef();
}

void TDropSource::AddFormat(const FORMATETC& format)
{
    if (static_cast<int>(m_formats.size()) < kMaxFormats)
        m_formats.push_back(format);
}

TDragResult TDropSource::MapResult(HRESULT outcome, DWORD effect, TDragTypes dragTypes)
{
    if (outcome == E_OUTOFMEMORY)
        return drOutMemory;
    if (outcome == DRAGDROP_S_DROP) {
        if ((effect & dragTypes) == 0)
            return drCancel;
        if (effect & DROPEFFECT_COPY & dragTypes)
            return drCopy;
        if (effect & DROPEFFECT_MOVE & dragTypes)
            return drMove;
        return drLink;
    }
    if (outcome == DRAGDROP_S_CANCEL)
        return drCancel;
    return drUnknown;
}

TDragResult TDropSource::Execute()
{
    QMimeData* data = MimeData();
    if (!data)
        return drUnknown;
    Qt::DropActions allowed;
    if (Dragtypes & dtCopy)
        allowed |= Qt::CopyAction;
    if (Dragtypes & dtMove)
        allowed |= Qt::MoveAction;
    if (Dragtypes & dtLink)
        allowed |= Qt::LinkAction;
    QWidget* from = QApplication::activeWindow();
    QDrag drag(from ? static_cast<QObject*>(from) : static_cast<QObject*>(qApp));
    drag.setMimeData(data);
    const Qt::DropAction action = drag.exec(allowed, Qt::CopyAction);
    DWORD effect = DROPEFFECT_NONE;
    if (action == Qt::CopyAction)
        effect = DROPEFFECT_COPY;
    else if (action == Qt::MoveAction || action == Qt::TargetMoveAction)
        effect = DROPEFFECT_MOVE;
    else if (action == Qt::LinkAction)
        effect = DROPEFFECT_LINK;
    GiveFeedback(effect);
    return MapResult(effect == DROPEFFECT_NONE ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP, effect, Dragtypes);
}

HRESULT TDropSource::QueryContinueDrag(bool escapePressed, DWORD keyState)
{
    if (escapePressed)
        return DRAGDROP_S_CANCEL;
    if (keyState & (MK_LBUTTON | MK_RBUTTON))
        return S_OK;
    TDragResult kind = drCancel;
    if (m_lastEffect & DROPEFFECT_COPY)
        kind = drCopy;
    else if (m_lastEffect & DROPEFFECT_MOVE)
        kind = drMove;
    else if (m_lastEffect & DROPEFFECT_LINK)
        kind = drLink;
    if (kind == drCancel)
        return DRAGDROP_S_CANCEL;
    bool doContinue = true;
    if ((Dragtypes & (1u << kind)) && OnDrop)
        OnDrop(this, kind, doContinue);
    return doContinue ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
}

HRESULT TDropSource::GiveFeedback(DWORD effect)
{
    m_lastEffect = effect;
    if (OnFeedback)
        OnFeedback(this, effect);
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

HRESULT TDropSource::GetData(const FORMATETC&, STGMEDIUM&) { return DV_E_FORMATETC; }

HRESULT TDropSource::GetDataHere(const FORMATETC&, STGMEDIUM&) { return DV_E_FORMATETC; }

HRESULT TDropSource::QueryGetData(const FORMATETC& format) const
{
    for (const FORMATETC& offered : m_formats) {
        if (offered.cfFormat == format.cfFormat && offered.dwAspect == format.dwAspect && (offered.tymed & format.tymed))
            return S_OK;
    }
    return E_INVALIDARG;
}

HRESULT TDropSource::EnumFormatEtc(DWORD direction, TEnumFormatEtc** enumerator)
{
    if (direction == DATADIR_GET) {
        *enumerator = new TEnumFormatEtc(&m_formats);
        (*enumerator)->AddRef();
        return S_OK;
    }
    return direction == DATADIR_SET ? E_NOTIMPL : E_INVALIDARG;
}

HRESULT TDropSource::GetCanonicalFormatEtc(const FORMATETC&, FORMATETC&) const { return DATA_S_SAMEFORMATETC; }

HRESULT TDropSource::SetData(const FORMATETC&, const STGMEDIUM&, bool) { return E_NOTIMPL; }

HRESULT TDropSource::DAdvise() { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT TDropSource::DUnadvise() { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT TDropSource::EnumDAdvise(void** enumerator)
{
    if (enumerator)
        *enumerator = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

TEnumFormatEtc::TEnumFormatEtc(const std::vector<FORMATETC>* formats, std::size_t index)
    : m_formats(formats)
    , m_index(index)
{
}

HRESULT TEnumFormatEtc::Next(std::size_t count, FORMATETC* out, std::size_t* fetched)
{
    std::size_t copied = 0;
    while (copied < count && m_index < m_formats->size())
        out[copied++] = (*m_formats)[m_index++];
    if (fetched)
        *fetched = copied;
    return copied < count ? S_FALSE : S_OK;
}

HRESULT TEnumFormatEtc::Skip(std::size_t count)
{
    const std::size_t left = m_formats->size() - std::min(m_index, m_formats->size());
    if (left < count) {
        m_index = m_formats->size();
        return S_FALSE;
    }
    m_index += count;
    return S_OK;
}

HRESULT TEnumFormatEtc::Reset()
{
    m_index = 0;
    return S_OK;
}

HRESULT TEnumFormatEtc::Clone(TEnumFormatEtc** copy) const
{
    *copy = new TEnumFormatEtc(m_formats, m_index);
    (*copy)->AddRef();
    return S_OK;
}
