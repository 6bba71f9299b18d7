#include "tools/ToolsProgram.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "framework/LocalMemory.h"
#include "tools/SHCreateItemFromParsingNameInterface.h"
#include "tools/ToolCommandExchange.h"
#include "tools/ToolSwitches.h"
#include "tools/TypedUrlsCleaner.h"
#include "tools/UrlCacheCleaner.h"
#include "tools/UrlHistoryCleaner.h"
#include "tools/VelmoraToolCmdClient.h"

namespace UToolsProgram {
namespace {

void RunPipeMode(IToolCommandHandler& handler) {
    const HRESULT com = CoInitialize(nullptr);
    // Resolved once for the command's file operations (freed again when the system lacks it).
    CSHCreateItemFromParsingNameInterface& shell = CSHCreateItemFromParsingNameInterface::Instance();
    shell.Load();
    {
        CVelmoraToolCmdClient client;
        if (client.Open()) UToolCommandExchange::Run(client, handler);
        client.Close();
    }
    shell.Unload();
    if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace

int Main(const std::vector<std::wstring>& arguments, IToolCommandHandler& handler) {
    const EToolJob job = UToolSwitches::FindJob(arguments);
    switch (job) {
        case TOOL_JOB_DELETE_CACHE:
        case TOOL_JOB_DELETE_COOKIES:
            UUrlCacheCleaner::Run(job);
            break;
        case TOOL_JOB_DELETE_HISTORY:
            UUrlHistoryCleaner::Run();
            break;
        case TOOL_JOB_DELETE_TYPED_URLS:
            UTypedUrlsCleaner::Run();
            break;
        case TOOL_JOB_NONE:
            RunPipeMode(handler);
            break;
    }
    return kExitCode;
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    CLocalMemory<LPWSTR*> vector(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    if (vector)
        for (int i = 0; i < count; ++i) arguments.emplace_back(vector.Get()[i]);
    return arguments;
}

}  // namespace UToolsProgram
