#pragma once
// What the utility makes of a virtual-link command's result record: success, one elevation
// question, the in-use question of a new link, an error text, or silence. Also the text of an
// error from its message-table parts.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/ToolResultRecords.h"

namespace UToolResultDecision {

enum class EAction {
    NoResult,      // empty or wrong-sized record: failed, nothing shown
    Done,          // linked, removed, re-linked
    AskElevation,  // message 6050 with the shield, then a retry with administrator rights
    AskDefer,      // message 6051: yes keeps the link for the next enable of the disk
    ShowError,     // the parts' text with MB_ICONERROR (when not empty)
    Silent,        // failed without a message
};

// One message-table text with its insert: "%X" takes value, "%s" takes text.
struct CTextPart {
    unsigned id = 0;
    uint32_t value = 0;
    std::wstring text;
    bool operator==(const CTextPart& other) const {
        return id == other.id && value == other.value && text == other.text;
    }
};

struct CDecision {
    EAction action = EAction::NoResult;
    std::vector<CTextPart> parts;  // ShowError only; joined by "\r\n"
};

struct CDecisionContext {
    bool vistaOrLater = true;
    bool elevationAsked = false;  // the question has been asked in this operation
    wchar_t drive = 0;            // the RAM disk's drive letter (0 when unknown)
    std::wstring ramFolder;       // the link's RAM-disk folder, without drive
};

CDecision Decide(EToolCommand command, const std::vector<uint8_t>& result, const CDecisionContext& context);

// The parts' texts, each loaded by id and filled in, joined by "\r\n".
std::wstring Compose(const std::vector<CTextPart>& parts, const std::function<std::wstring(unsigned)>& load);

}  // namespace UToolResultDecision
