#include "channellist/control/TrovaCLPropPage.h"

#include "channellist/control/Resource.h"
#include "channellist/control/TrovaCLIds.h"

namespace {

const CClassEntry kPropPageEntry = [] {
    CClassEntry e;
    e.clsid = &trovacl::kPropPageClassId;
    e.create = &CreateComInstance<CTrovaCLPropPage>;
    e.progId = trovacl::kPropPageProgId;
    e.typeNameId = IDS_TROVACL_PPG;
    e.threadingModel = L"Apartment";
    return e;
}();

}  // namespace

const CClassEntry& CTrovaCLPropPage::ClassEntry() { return kPropPageEntry; }

CTrovaCLPropPage::CTrovaCLPropPage() : CPropertyPage(IDD_PROPPAGE_TROVACL, IDS_TROVACL_PPG_CAPTION) {}
