#pragma once
// Makes the settings sheets of the utility's RAM disks over the manager, the sequencer and the
// prompt it was given.
#include "utility/ui/PropertySheetFactory.h"

class CDiskSequencer;
class CVelmoraEXManager;
class ITrayPrompt;

class CVMUPropertySheetFactory : public IPropertySheetFactory {
public:
    CVMUPropertySheetFactory(CVelmoraEXManager& manager, CDiskSequencer& sequencer, ITrayPrompt& prompt);

    // A CVMUPropertySheet; null for a settings path the manager does not know.
    std::unique_ptr<CPropertySheet> Create(CWnd* parent, const std::wstring& settingsPath,
                                           const std::wstring& caption) override;

private:
    CVelmoraEXManager& m_manager;
    CDiskSequencer& m_sequencer;
    ITrayPrompt& m_prompt;
};
