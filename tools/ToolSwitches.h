#pragma once
// The tools program's command-line switches: "/" or "-" and a name, matched exactly and with
// regard to case. Every argument is looked at, the first one included; the first that matches
// selects its job, arguments that match nothing are ignored.
#include <string>
#include <vector>

enum EToolJob : int {
    TOOL_JOB_NONE = 0,  // pipe mode
    TOOL_JOB_DELETE_CACHE = 1,
    TOOL_JOB_DELETE_COOKIES = 2,
    TOOL_JOB_DELETE_HISTORY = 3,
    TOOL_JOB_DELETE_TYPED_URLS = 4,
};

namespace UToolSwitches {

struct CSwitch {
    const wchar_t* name;
    EToolJob job;
};
// "Del_Cache" 1, "Del_Cookie" 2, "Del_History" 3, "Del_TypedURLs" 4, then a row with job 0.
extern const CSwitch kTable[];

EToolJob FindJob(const std::vector<std::wstring>& arguments);

}  // namespace UToolSwitches
