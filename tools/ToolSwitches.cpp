#include "tools/ToolSwitches.h"

namespace UToolSwitches {

const CSwitch kTable[] = {
    {L"Del_Cache", TOOL_JOB_DELETE_CACHE},
    {L"Del_Cookie", TOOL_JOB_DELETE_COOKIES},
    {L"Del_History", TOOL_JOB_DELETE_HISTORY},
    {L"Del_TypedURLs", TOOL_JOB_DELETE_TYPED_URLS},
    {nullptr, TOOL_JOB_NONE},
};

EToolJob FindJob(const std::vector<std::wstring>& arguments) {
    for (const std::wstring& argument : arguments) {
        if (argument.empty() || (argument[0] != L'/' && argument[0] != L'-')) continue;
        const std::wstring name = argument.substr(1);
        for (const CSwitch* row = kTable; row->job != TOOL_JOB_NONE; ++row)
            if (name == row->name) return row->job;
    }
    return TOOL_JOB_NONE;
}

}  // namespace UToolSwitches
