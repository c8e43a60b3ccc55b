#pragma once

#include "platform/win/wintypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QMimeData;

// The drag-and-drop result codes and records the drag source speaks, with the
// values the desktop's drag protocol gives them.
using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);
inline constexpr HRESULT DATA_S_SAMEFORMATETC = 0x00040130;
inline constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
inline constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
inline constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;

inline constexpr std::uint16_t CF_HDROP = 15;
inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD DVASPECT_ICON = 4;
inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD DATADIR_GET = 1;
inline constexpr DWORD DATADIR_SET = 2;
inline constexpr DWORD MK_LBUTTON = 0x0001;
inline constexpr DWORD MK_RBUTTON = 0x0002;

inline constexpr DWORD DROPEFFECT_NONE = 0;
inline constexpr DWORD DROPEFFECT_COPY = 1;
inline constexpr DWORD DROPEFFECT_MOVE = 2;
inline constexpr DWORD DROPEFFECT_LINK = 4;

struct FORMATETC {
    std::uint16_t cfFormat { 0 };
    const void* ptd { nullptr };
    DWORD dwAspect { 0 };
    LONG lindex { -1 };
    DWORD tymed { 0 };
};

// A block of data handed over in a drag: its medium type and its bytes.
struct STGMEDIUM {
    DWORD tymed { 0 };
    std::vector<std::uint8_t> hGlobal;
    bool hasGlobal { false };
    void* pUnkForRelease { nullptr };
};

enum TDragType : unsigned { dtCopy = 1, dtMove = 2, dtLink = 4 };
using TDragTypes = unsigned;
// What a drag ended in.
enum TDragResult { drCopy = 0, drMove = 1, drLink = 2, drCancel = 3, drOutMemory = 4, drUnknown = 5 };

// A component that counts its own references; the last Release frees it.
class TInterfacedComponent {
public:
    TInterfacedComponent() = default;
    virtual ~TInterfacedComponent() = default;
    TInterfacedComponent(const TInterfacedComponent&) = delete;
    TInterfacedComponent& operator=(const TInterfacedComponent&) = delete;

    // S_OK for an interface the class lists, else E_NOINTERFACE.
    HRESULT QueryInterface(const std::string& iid) const;
    int AddRef() { return ++m_refCount; }
    // Frees the object and answers 0 when the count reaches 0.
    int Release();
    int RefCount() const { return m_refCount; }

protected:
    virtual std::vector<std::string> Interfaces() const { return { "IUnknown" }; }

private:
    int m_refCount { 0 };
};

class TEnumFormatEtc;

// Offers data in a table of formats and answers the drag's questions; the
// owner frees it, the references the drag takes and gives back never do.
class TDropSource : public TInterfacedComponent {
public:
    static constexpr int kMaxFormats = 20;

    TDropSource();

    TDragTypes Dragtypes { dtCopy };
    std::function<void(TDropSource* sender, TDragResult dragType, bool& doContinue)> OnDrop;
    std::function<void(TDropSource* sender, DWORD effect)> OnFeedback;

    // Runs the drag with Dragtypes as the allowed effects and maps its outcome.
    TDragResult Execute();
    // The mapping alone: a drop counts only with an effect among Dragtypes.
    static TDragResult MapResult(HRESULT outcome, DWORD effect, TDragTypes dragTypes);

    // IDropSource.
    HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState);
    HRESULT GiveFeedback(DWORD effect);

    // IDataObject.
    virtual HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium);
    virtual HRESULT GetDataHere(const FORMATETC& format, STGMEDIUM& medium);
    virtual HRESULT QueryGetData(const FORMATETC& format) const;
    // A new enumerator for DATADIR_GET, which the caller releases.
    virtual HRESULT EnumFormatEtc(DWORD direction, TEnumFormatEtc** enumerator);
    virtual void CopyToClipboard() {}
    HRESULT GetCanonicalFormatEtc(const FORMATETC& in, FORMATETC& out) const;
    HRESULT SetData(const FORMATETC& format, const STGMEDIUM& medium, bool release);
    HRESULT DAdvise();
    HRESULT DUnadvise();
    HRESULT EnumDAdvise(void** enumerator);

    const std::vector<FORMATETC>& Formats() const { return m_formats; }
    DWORD LastEffect() const { return m_lastEffect; }

protected:
    std::vector<std::string> Interfaces() const override { return { "IUnknown", "IDropSource", "IDataObject" }; }
    void AddFormat(const FORMATETC& format);
    // What the desktop's drag carries; the base offers nothing.
    virtual QMimeData* MimeData() const { return nullptr; }

private:
    std::vector<FORMATETC> m_formats;
    DWORD m_lastEffect { DROPEFFECT_NONE };
};

// Steps through a drop source's format table (shared, not copied).
class TEnumFormatEtc final : public TInterfacedComponent {
public:
    TEnumFormatEtc(const std::vector<FORMATETC>* formats, std::size_t index = 0);

    HRESULT Next(std::size_t count, FORMATETC* out, std::size_t* fetched);
    HRESULT Skip(std::size_t count);
    HRESULT Reset();
    HRESULT Clone(TEnumFormatEtc** copy) const;

protected:
    std::vector<std::string> Interfaces() const override { return { "IUnknown", "IEnumFORMATETC" }; }

private:
    const std::vector<FORMATETC>* m_formats;
    std::size_t m_index;
};
