#pragma once
// Makes the settings sheet of one RAM disk for the status page, which runs it modally.
#include <memory>
#include <string>

class CPropertySheet;
class CWnd;

class IPropertySheetFactory {
public:
    virtual ~IPropertySheetFactory() = default;
    // settingsPath empty: a sheet for a new disk (its own caption); otherwise the sheet of that
    // disk with caption. Null when the sheet cannot be made.
    virtual std::unique_ptr<CPropertySheet> Create(CWnd* parent, const std::wstring& settingsPath,
                                                   const std::wstring& caption) = 0;
};
