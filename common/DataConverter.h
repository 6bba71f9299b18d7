#pragma once
// Append-only builder of command and pipe messages: little-endian fields, no padding.
// Lengths use the build's size type (8 bytes in 64-bit builds, 4 in 32-bit builds) unless
// another width is asked for; strings are a byte count followed by UTF-16LE code units.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CDataConverter {
public:
    explicit CDataConverter(unsigned lengthWidth = sizeof(size_t));

    void AppendInt32(int32_t value);
    void AppendUInt32(uint32_t value);
    void AppendUInt64(uint64_t value);
    void AppendByte(uint8_t value);
    void AppendChar(char16_t value);
    void AppendLength(uint64_t value);
    void AppendString(const std::wstring& text);
    void AppendString(const std::u16string& text);
    void AppendBlock(const void* bytes, size_t length);

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    const uint8_t* Data() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }
    unsigned LengthWidth() const { return m_lengthWidth; }

private:
    void AppendLittleEndian(uint64_t value, unsigned width);

    unsigned m_lengthWidth;
    std::vector<uint8_t> m_bytes;
};

// UTF-16 code units of a wide string (wchar_t is 32 bits outside Windows).
std::u16string ToUtf16(const std::wstring& text);
std::wstring FromUtf16(const std::u16string& text);
