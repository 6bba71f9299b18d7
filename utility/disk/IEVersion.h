#pragma once
// Internet Explorer's version text from the registry.
#include <string>

class CIEVersion {
public:
    void Read();

    bool m_valid = false;
    std::string m_version;  // 8-bit text, e.g. "9.11.19041.0"

    // Internet Explorer 10 and later report "9.10" or more in the first four characters.
    bool IsVersion10() const { return m_valid && m_version.compare(0, 4, "9.10") == 0; }
};
