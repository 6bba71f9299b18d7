#include "tools/SHCreateItemFromParsingNameInterface.h"

CSHCreateItemFromParsingNameInterface& CSHCreateItemFromParsingNameInterface::Instance() {
    static CSHCreateItemFromParsingNameInterface instance;
    return instance;
}

bool CSHCreateItemFromParsingNameInterface::Resolve() {
    m_function = Lookup<Function>("SHCreateItemFromParsingName");
    return m_function != nullptr;
}

void CSHCreateItemFromParsingNameInterface::Forget() { m_function = nullptr; }
