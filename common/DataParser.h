#pragma once
// Reader of messages built by CDataConverter: a cursor and the bytes that remain.
// Every read checks the remaining count first; a failed read consumes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CDataParser {
public:
    CDataParser(const void* data, size_t size, unsigned lengthWidth = sizeof(size_t));
    explicit CDataParser(const std::vector<uint8_t>& bytes, unsigned lengthWidth = sizeof(size_t));

    bool ReadInt32(int32_t& value);
    bool ReadUInt32(uint32_t& value);
    bool ReadUInt64(uint64_t& value);
    bool ReadByte(uint8_t& value);
    bool ReadChar(char16_t& value);
    bool ReadLength(uint64_t& value);
    // Fails on a byte count that is odd or larger than what remains.
    bool ReadString(std::u16string& text);
    bool ReadString(std::wstring& text);
    bool ReadBlock(std::vector<uint8_t>& bytes);

    size_t Remaining() const { return m_remaining; }
    bool AtEnd() const { return m_remaining == 0; }

private:
    bool ReadLittleEndian(uint64_t& value, unsigned width);

    const uint8_t* m_cursor;
    size_t m_remaining;
    unsigned m_lengthWidth;
};
