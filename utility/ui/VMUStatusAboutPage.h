#pragma once
// The status sheet's version page: icon, version text and banner.
#include "framework/PropertyPage.h"

class CVMUStatusAboutPage : public CPropertyPage {
public:
    CVMUStatusAboutPage();

protected:
    BOOL OnInitDialog() override;
};
