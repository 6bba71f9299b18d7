#pragma once
#include <memory>

#include "tools/ShellFileOperations.h"
#include "tools/ToolCommandHandler.h"

// Carries a decoded virtual-link command out with the link procedures, each with its own shell
// file operations, and answers with the record the procedure filled.
class CLinkCommandDispatch : public IToolCommandHandler {
public:
    // Where a command's file operations come from: by default the method the system offers.
    using FileOperationsFactory = std::unique_ptr<UVelmoraVlink::IShellFileOperations> (*)();

    explicit CLinkCommandDispatch(FileOperationsFactory factory = UVelmoraVlink::CreateShellFileOperations)
        : m_factory(factory) {}

    std::vector<uint8_t> Carry(const UToolCommandDecoder::CCommand& command) override;

private:
    FileOperationsFactory m_factory;
};
