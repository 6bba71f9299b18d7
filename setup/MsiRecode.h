#pragma once
// A record fetched from a view.
#include <string>

#include "setup/MsiBase.h"

class CMsiRecode : public CMsiBase {
public:
    // The string of field `field` (1-based); empty when it cannot be read.
    std::wstring GetString(UINT field) const;

private:
    friend class CMsiView;
};
