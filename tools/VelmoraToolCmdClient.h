#pragma once
// The tools program's end of the tools channel's pipe.
#include "common/PipeCommandClient.h"

class CVelmoraToolCmdClient : public CPipeCommandClient {
public:
    CVelmoraToolCmdClient();
};
