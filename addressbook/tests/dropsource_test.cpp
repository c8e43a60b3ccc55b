#include "addressbook/dropsource.h"

#include <gtest/gtest.h>

namespace {

// A source offering one text format, to see the table's rules without files.
class TextSource final : public TDropSource {
public:
    TextSource()
    {
        AddFormat({ 1, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL });
        AddFormat({ 2, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL });
        AddFormat({ 3, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL });
    }
};

}  // namespace

TEST(DropSource, DropWithAnAllowedEffectGivesItsKind)
{
    EXPECT_EQ(TDropSource::MapResult(DRAGDROP_S_DROP, DROPEFFECT_COPY, dtCopy), drCopy);
    EXPECT_EQ(TDropSource::MapResult(DRAGDROP_S_DROP, DROPEFFECT_MOVE, dtCopy | dtMove), drMove);
    EXPECT_EQ(TDropSource::MapResult(DRAGDROP_S_DROP, DROPEFFECT_LINK, dtLink), drLink);
    EXPECT_EQ(TDropSource::MapResult(DRAGDROP_S_DROP, DROPEFFECT_COPY | DROPEFFECT_MOVE, dtMove), drMove);
}

TEST(DropSource, DropWithAnEffectOutsideDragtypesIsCancelled)
{
    EXPECT_EQ(TDropSource::MapResult(DRAGDROP_S_DROP, DROPEFFECT_MOVE, dtCopy), drCancel);
    EXPECT_EQ(TDropSource::MapResult(DRAGDROP_S_DROP, DROPEFFECT_NONE, dtCopy), drCancel);
}

TEST(DropSource, CancelMemoryAndOtherOutcomesMapToTheirKinds)
{
    EXPECT_EQ(TDropSource::MapResult(DRAGDROP_S_CANCEL, DROPEFFECT_COPY, dtCopy), drCancel);
    EXPECT_EQ(TDropSource::MapResult(E_OUTOFMEMORY, DROPEFFECT_COPY, dtCopy), drOutMemory);
    EXPECT_EQ(TDropSource::MapResult(E_UNEXPECTED, DROPEFFECT_COPY, dtCopy), drUnknown);
}

TEST(DropSource, EscapeCancelsAndAHeldButtonGoesOn)
{
    TextSource source;
    source.GiveFeedback(DROPEFFECT_COPY);
    EXPECT_EQ(source.QueryContinueDrag(true, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source.QueryContinueDrag(false, MK_LBUTTON), S_OK);
    EXPECT_EQ(source.QueryContinueDrag(false, MK_RBUTTON), S_OK);
}

TEST(DropSource, ReleaseOverATargetWithoutEffectCancels)
{
    TextSource source;
    EXPECT_EQ(source.GiveFeedback(DROPEFFECT_NONE), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_EQ(source.QueryContinueDrag(false, 0), DRAGDROP_S_CANCEL);
}

TEST(DropSource, ReleaseAsksOnDropWhichMayRefuse)
{
    TextSource source;
    TDragResult seen = drUnknown;
    DWORD feedback = 99;
    source.OnFeedback = [&](TDropSource*, DWORD effect) { feedback = effect; };
    source.OnDrop = [&](TDropSource*, TDragResult kind, bool& doContinue) {
        seen = kind;
        doContinue = false;
    };
    source.GiveFeedback(DROPEFFECT_COPY);
    EXPECT_EQ(feedback, DROPEFFECT_COPY);
    EXPECT_EQ(source.QueryContinueDrag(false, 0), DRAGDROP_S_CANCEL);
    EXPECT_EQ(seen, drCopy);
    source.OnDrop = nullptr;
    EXPECT_EQ(source.QueryContinueDrag(false, 0), DRAGDROP_S_DROP);
}

TEST(DropSource, QueryGetDataWantsFormatAspectAndASharedMedium)
{
    TextSource source;
    EXPECT_EQ(source.QueryGetData({ 1, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | 4 }), S_OK);
    EXPECT_EQ(source.QueryGetData({ 1, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL }), E_INVALIDARG);
    EXPECT_EQ(source.QueryGetData({ 1, nullptr, DVASPECT_CONTENT, -1, 4 }), E_INVALIDARG);
    EXPECT_EQ(source.QueryGetData({ 9, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL }), E_INVALIDARG);
}

TEST(DropSource, BaseAnswersNoDataAndNoAdvice)
{
    TextSource source;
    STGMEDIUM medium;
    EXPECT_EQ(source.GetData({ 1, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL }, medium), DV_E_FORMATETC);
    EXPECT_EQ(source.GetDataHere({ 1, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL }, medium), DV_E_FORMATETC);
    FORMATETC out;
    EXPECT_EQ(source.GetCanonicalFormatEtc({}, out), DATA_S_SAMEFORMATETC);
    EXPECT_EQ(source.SetData({}, medium, false), E_NOTIMPL);
    EXPECT_EQ(source.DAdvise(), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(source.DUnadvise(), OLE_E_ADVISENOTSUPPORTED);
    int dummy = 0;
    void* enumerator = &dummy;
    EXPECT_EQ(source.EnumDAdvise(&enumerator), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(enumerator, nullptr);
}

TEST(DropSource, EnumeratorForGetOnlyStepsThroughTheTable)
{
    TextSource source;
    TEnumFormatEtc* enumerator = nullptr;
    EXPECT_EQ(source.EnumFormatEtc(DATADIR_SET, &enumerator), E_NOTIMPL);
    EXPECT_EQ(source.EnumFormatEtc(7, &enumerator), E_INVALIDARG);
    ASSERT_EQ(source.EnumFormatEtc(DATADIR_GET, &enumerator), S_OK);

    FORMATETC got[4];
    std::size_t fetched = 0;
    EXPECT_EQ(enumerator->Next(2, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].cfFormat, 1);
    EXPECT_EQ(got[1].cfFormat, 2);
    EXPECT_EQ(enumerator->Next(4, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].cfFormat, 3);

    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(1), S_OK);
    TEnumFormatEtc* copy = nullptr;
    ASSERT_EQ(enumerator->Clone(&copy), S_OK);
    EXPECT_EQ(copy->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, 2);
    EXPECT_EQ(enumerator->Skip(5), S_FALSE);
    EXPECT_EQ(enumerator->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(copy->Release(), 0);
    EXPECT_EQ(enumerator->Release(), 0);
}

TEST(DropSource, TheDragsReferencesNeverFreeTheSource)
{
    TextSource source;
    EXPECT_EQ(source.QueryInterface("IDataObject"), S_OK);
    EXPECT_EQ(source.QueryInterface("IDropSource"), S_OK);
    EXPECT_EQ(source.QueryInterface("IStream"), E_NOINTERFACE);
    EXPECT_EQ(source.AddRef(), 2);
    EXPECT_EQ(source.Release(), 1);
    EXPECT_EQ(source.RefCount(), 1);
}
