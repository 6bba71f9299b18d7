#pragma once
// Whether this process runs under WOW64 (a 32-bit program on 64-bit Windows); tests answer both.
class IWow64Query {
public:
    virtual ~IWow64Query() = default;
    virtual bool IsWow64() = 0;
};

// IsWow64Process for this process, looked up in kernel32 at run time; absent means not WOW64.
class CProcessWow64Query : public IWow64Query {
public:
    bool IsWow64() override;
};
