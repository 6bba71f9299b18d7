#include "tools/VelmoraToolCmdClient.h"

#include "common/ToolChannel.h"

CVelmoraToolCmdClient::CVelmoraToolCmdClient() : CPipeCommandClient(UToolChannel::kPipeName) {}
