#pragma once
// Drive letters a new RAM disk may take: C to Z, less those in use.
#include <list>
#include <string>

class CDriveLetter {
public:
    // Fills the list from the system's logical drives.
    bool Query();

    // Fills the list from a GetLogicalDriveStrings-style buffer: root strings ("C:\") each
    // ended by a zero, the whole ended by an empty string.
    void FromRootStrings(const wchar_t* roots, size_t length);

    const std::list<wchar_t>& Letters() const { return m_letters; }

private:
    std::list<wchar_t> m_letters;
};
