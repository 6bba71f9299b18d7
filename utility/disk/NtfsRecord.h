#pragma once
// One MFT record being built: its header and its attributes, kept in type and name
// order inside the record's buffer (a view into the MFT buffer).
#include "utility/disk/NtfsRunList.h"

#include <cstdint>
#include <string>

class CNtfsRecord {
public:
    CNtfsRecord(uint8_t* buffer, uint32_t size) : m_buf(buffer), m_size(size) {}

    // Lays down the header of an empty record with only the end marker.
    void Format(uint32_t number, uint16_t sequence, uint16_t flags);

    void AddFlags(uint16_t flags);
    void AddLink();

    // Each returns false when the record has no room left.
    bool AddResident(uint32_t type, const std::u16string& name, const void* value, uint32_t length,
                     uint8_t residentFlags = 0);
    bool AddNonResident(uint32_t type, const std::u16string& name, const CNtfsRunList& runs, uint32_t clusterSize,
                        uint64_t dataSize, uint64_t initializedSize);

    // The value of a resident attribute, or nullptr when there is none.
    uint8_t* FindValue(uint32_t type, const std::u16string& name, uint32_t* length = nullptr);

    static uint32_t FirstAttributeOffset(uint32_t recordSize);

    uint32_t BytesInUse() const;
    uint16_t Flags() const;
    uint16_t LinkCount() const;
    uint8_t* Buffer() { return m_buf; }

private:
    bool Insert(uint32_t type, const std::u16string& name, uint8_t* attribute, uint32_t length);

    uint8_t* m_buf;
    uint32_t m_size;
};
