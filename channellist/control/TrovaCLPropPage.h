#pragma once
// The control's one property page, "General": the control has no properties to edit yet.
#include "framework/com/PropertyPage.h"

class CTrovaCLPropPage : public CPropertyPage {
public:
    static const CClassEntry& ClassEntry();

    CTrovaCLPropPage();

protected:
    ~CTrovaCLPropPage() override = default;
};
