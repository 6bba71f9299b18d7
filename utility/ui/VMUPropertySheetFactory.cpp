#include "utility/ui/VMUPropertySheetFactory.h"

#include "utility/ui/VMUPropertySheet.h"

CVMUPropertySheetFactory::CVMUPropertySheetFactory(CVelmoraEXManager& manager, CDiskSequencer& sequencer,
                                                   ITrayPrompt& prompt)
    : m_manager(manager), m_sequencer(sequencer), m_prompt(prompt) {}

std::unique_ptr<CPropertySheet> CVMUPropertySheetFactory::Create(CWnd* parent, const std::wstring& settingsPath,
                                                                 const std::wstring& caption) {
    if (settingsPath.empty())
        return std::unique_ptr<CPropertySheet>(new CVMUPropertySheet(m_manager, m_sequencer, m_prompt, parent));
    std::unique_ptr<CVMUPropertySheet> sheet(
        new CVMUPropertySheet(m_manager, m_sequencer, m_prompt, settingsPath, caption, parent));
    if (!sheet->HasDisk()) return nullptr;
    return std::unique_ptr<CPropertySheet>(sheet.release());
}
