#include "utility/ui/BrowsingDataJobs.h"

#include "utility/disk/OSVersion.h"
#include "utility/tools_channel/UserContextLaunch.h"
#include "utility/tools_channel/VelmoraToolCmdServer.h"
#include "utility/ui/resource.h"

CToolsJobLauncher::CToolsJobLauncher() : m_tools(CVelmoraToolCmdServer::DefaultToolsPath()) {
    COSVersion version;
    version.Read();
    m_vistaOrLater = version.IsVistaOrLater();
    m_windows8OrLater = version.IsWindows8OrLater();
}

void CToolsJobLauncher::Run(EToolContext context, const std::wstring& switchName) {
    const std::wstring commandLine = UUserContextLaunch::CommandLine(switchName);
    // A run that does not start is passed over: the next one goes on.
    switch (context) {
        case EToolContext::Plain:
            UUserContextLaunch::Plain(m_tools, commandLine);
            break;
        case EToolContext::LowIntegrity:
            UUserContextLaunch::LowIntegrity(m_tools, commandLine, m_vistaOrLater);
            break;
        case EToolContext::AppContainer:
            UUserContextLaunch::AppContainer(m_tools, commandLine, m_windows8OrLater);
            break;
    }
}

namespace UBrowsingDataJobs {

std::vector<CBrowsingDataRun> Runs(const CVelmoraIEDeleteSettingData& choice) {
    using C = EToolContext;
    std::vector<CBrowsingDataRun> runs;
    auto add = [&runs](unsigned text, const wchar_t* name, std::initializer_list<C> contexts) {
        for (C context : contexts) runs.push_back({text, name, context});
    };
    if (choice.Cache) add(IDS_4210, L"Del_Cache", {C::Plain, C::LowIntegrity, C::AppContainer});
    if (choice.Cookie) add(IDS_4211, L"Del_Cookie", {C::Plain, C::LowIntegrity, C::AppContainer});
    if (choice.History) add(IDS_4212, L"Del_History", {C::Plain, C::LowIntegrity});
    if (choice.TypedUrls) add(IDS_4213, L"Del_TypedURLs", {C::Plain});
    return runs;
}

}  // namespace UBrowsingDataJobs
