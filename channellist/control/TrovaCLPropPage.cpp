#include "channellist/control/TrovaCLPropPage.h"

#include "channellist/control/Resource.h"
#include "channellist/control/TrovaCLIds.h"

namespace {

const CClassEntry kPropPageEntry = ClassEntryOf(TrovaCLIds::kPropPageClassId, &CreateComInstance<CTrovaCLPropPage>,
                                                TrovaCLIds::kPropPageProgId, IDS_TROVACL_PPG);

}  // namespace

const CClassEntry& CTrovaCLPropPage::ClassEntry() { return kPropPageEntry; }

CTrovaCLPropPage::CTrovaCLPropPage() : CPropertyPage(IDD_PROPPAGE_TROVACL, IDS_TROVACL_PPG_CAPTION) {}
