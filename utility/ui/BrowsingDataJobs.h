#pragma once
// The runs of the tools program that delete the chosen kinds of Internet Explorer browsing data,
// in their order: each kind with its status text, its switch, and the security contexts it runs
// in (the data the browser keeps apart for its protected modes is reached only from there).
#include <functional>
#include <string>
#include <vector>

#include "utility/core/VelmoraIEDeleteSettingData.h"

enum class EToolContext { Plain, LowIntegrity, AppContainer };

struct CBrowsingDataRun {
    unsigned statusText;  // message-table id shown while the kind is deleted
    std::wstring switchName;
    EToolContext context;
};

// Starts the tools program with "/" + switch in a context and waits for it to end.
class IToolsJobLauncher {
public:
    virtual ~IToolsJobLauncher() = default;
    virtual void Run(EToolContext context, const std::wstring& switchName) = 0;
};

// The system's launches of the tools program beside the utility; a context the system is too
// old for starts nothing.
class CToolsJobLauncher : public IToolsJobLauncher {
public:
    CToolsJobLauncher();
    void Run(EToolContext context, const std::wstring& switchName) override;

private:
    std::wstring m_tools;
    bool m_vistaOrLater;
    bool m_windows8OrLater;
};

namespace UBrowsingDataJobs {

// The runs for the chosen kinds, in the order they are carried out.
std::vector<CBrowsingDataRun> Runs(const CVelmoraIEDeleteSettingData& choice);

}  // namespace UBrowsingDataJobs
