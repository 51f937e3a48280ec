#include "channellist/control/TrovaCLPropPage.h"

#include "channellist/control/Resource.h"
#include "channellist/control/TrovaCLIds.h"

#include <new>

namespace {

const CClassEntry kPropPageEntry = [] {
    CClassEntry e;
    e.clsid = &trovacl::kPropPageClassId;
    e.create = &CTrovaCLPropPage::Create;
    e.progId = trovacl::kPropPageProgId;
    e.typeNameId = IDS_TROVACL_PPG;
    e.threadingModel = L"Apartment";
    return e;
}();

}  // namespace

const CClassEntry& CTrovaCLPropPage::ClassEntry() { return kPropPageEntry; }

HRESULT CTrovaCLPropPage::Create(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    auto* page = new (std::nothrow) CTrovaCLPropPage();
    if (!page) return E_OUTOFMEMORY;
    const HRESULT hr = page->QueryInterface(riid, object);
    page->Release();
    return hr;
}

CTrovaCLPropPage::CTrovaCLPropPage() : CPropertyPage(IDD_PROPPAGE_TROVACL, IDS_TROVACL_PPG_CAPTION) {}
