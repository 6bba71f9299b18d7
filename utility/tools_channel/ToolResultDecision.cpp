#include "utility/tools_channel/ToolResultDecision.h"

#include "utility/core/MessageText.h"

namespace UToolResultDecision {
namespace {

constexpr int32_t kMethodShell = 1;      // SHFileOperationW
constexpr int32_t kMethodOperation = 2;  // IFileOperation
constexpr int32_t kAccessDeniedHr1 = static_cast<int32_t>(0x80270021);
constexpr int32_t kAccessDeniedHr2 = static_cast<int32_t>(0x80270022);
constexpr int32_t kInUseHr = static_cast<int32_t>(0x80270027);
constexpr int32_t kSharingViolation = 32;
constexpr int32_t kAccessDenied = 5;

enum : unsigned {
    kTextNoCopy = 6052,
    kTextNoBackup = 6053,
    kTextNoJunction = 6054,
    kTextCopyLeft = 6055,
    kTextBackupLeft = 6056,
    kTextNoRemove = 6057,
    kTextFolderInUse = 6060,
};

bool InUse(int32_t method, int32_t hresult, int32_t shResult) {
    return (method == kMethodOperation && hresult == kInUseHr) ||
           (method == kMethodShell && shResult == kSharingViolation);
}
// The step result in the method's own field.
uint32_t StepValue(int32_t method, int32_t hresult, int32_t shResult) {
    return static_cast<uint32_t>(method == kMethodShell ? shResult : hresult);
}
CDecision Act(EAction action) { return CDecision{action, {}}; }

CDecision DecideCreate(const CCreateLinkRecord& r, const CDecisionContext& context) {
    if (r.linked) return Act(EAction::Done);
    if (context.vistaOrLater && !context.elevationAsked && r.method == kMethodOperation &&
        (r.hresult == kAccessDeniedHr1 || r.hresult == kAccessDeniedHr2))
        return Act(EAction::AskElevation);
    if (InUse(r.method, r.hresult, r.shResult)) return Act(EAction::AskDefer);

    CDecision decision = Act(EAction::ShowError);
    const uint32_t step = StepValue(r.method, r.hresult, r.shResult);
    if (!r.copied)
        decision.parts.push_back({kTextNoCopy, step, {}});
    else if (!r.renamed)
        decision.parts.push_back({kTextNoBackup, step, {}});
    else if (!r.junctioned)
        decision.parts.push_back({kTextNoJunction, static_cast<uint32_t>(r.junctionError), {}});
    const uint32_t rollback = StepValue(r.method, r.rollbackHresult, r.rollbackShResult);
    if (r.copied && !r.copyDeleted) decision.parts.push_back({kTextCopyLeft, rollback, {}});
    if (r.renamed && !r.backupRestored) decision.parts.push_back({kTextBackupLeft, rollback, {}});
    return decision;
}

CDecision DecideRemove(const CRemoveLinkRecord& r, const CDecisionContext& context) {
    if (r.junctionRemoved) return Act(EAction::Done);
    if (context.vistaOrLater && !context.elevationAsked && r.ramFolderFree && r.junctionError == kAccessDenied)
        return Act(EAction::AskElevation);
    CDecision decision = Act(EAction::ShowError);
    if (!r.ramFolderFree) {
        if (InUse(r.method, r.hresult, r.shResult) && context.drive != 0)
            decision.parts.push_back({kTextFolderInUse, 0, std::wstring(1, context.drive) + L":" + context.ramFolder});
        else
            decision.parts.push_back({kTextNoRemove, StepValue(r.method, r.hresult, r.shResult), {}});
    }
    if (decision.parts.empty()) decision.parts.push_back({kTextNoRemove, static_cast<uint32_t>(r.junctionError), {}});
    return decision;
}

CDecision DecideRelink(const CRelinkRecord& r, const CDecisionContext& context) {
    if (r.junctionInPlace) return Act(EAction::Done);
    if (context.vistaOrLater && !context.elevationAsked && r.junctionError == kAccessDenied)
        return Act(EAction::AskElevation);
    return Act(EAction::Silent);
}

}  // namespace

CDecision Decide(EToolCommand command, const std::vector<uint8_t>& result, const CDecisionContext& context) {
    switch (command) {
        case TOOL_CREATE_LINK: {
            CCreateLinkRecord record;
            return UToolResultRecords::Decode(result, record) ? DecideCreate(record, context) : Act(EAction::NoResult);
        }
        case TOOL_REMOVE_LINK: {
            CRemoveLinkRecord record;
            return UToolResultRecords::Decode(result, record) ? DecideRemove(record, context) : Act(EAction::NoResult);
        }
        case TOOL_RELINK: {
            CRelinkRecord record;
            return UToolResultRecords::Decode(result, record) ? DecideRelink(record, context) : Act(EAction::NoResult);
        }
    }
    return Act(EAction::NoResult);
}

std::wstring Compose(const std::vector<CTextPart>& parts, const std::function<std::wstring(unsigned)>& load) {
    std::wstring text;
    for (const CTextPart& part : parts) {
        if (!text.empty()) text += L"\r\n";
        // Each text has one placeholder: "%s" takes the part's text, "%X" its value.
        text += UMessageText::Fill(
            load(part.id), {part.text.empty() ? UMessageText::Insert(part.value) : UMessageText::Insert(part.text)});
    }
    return text;
}

}  // namespace UToolResultDecision
