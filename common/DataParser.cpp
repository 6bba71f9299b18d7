#include "common/DataParser.h"

#include "common/DataConverter.h"

CDataParser::CDataParser(const void* data, size_t size, unsigned lengthWidth)
    : m_cursor(static_cast<const uint8_t*>(data)),
      m_remaining(data ? size : 0),
      m_lengthWidth(lengthWidth == 4 ? 4u : 8u) {}

CDataParser::CDataParser(const std::vector<uint8_t>& bytes, unsigned lengthWidth)
    : CDataParser(bytes.data(), bytes.size(), lengthWidth) {}

bool CDataParser::ReadLittleEndian(uint64_t& value, unsigned width) {
    if (m_remaining < width) return false;
    uint64_t v = 0;
    for (unsigned i = 0; i < width; ++i) v |= static_cast<uint64_t>(m_cursor[i]) << (8 * i);
    m_cursor += width;
    m_remaining -= width;
    value = v;
    return true;
}

bool CDataParser::ReadInt32(int32_t& value) {
    uint64_t v;
    if (!ReadLittleEndian(v, 4)) return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
}

bool CDataParser::ReadUInt32(uint32_t& value) {
    uint64_t v;
    if (!ReadLittleEndian(v, 4)) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool CDataParser::ReadUInt64(uint64_t& value) { return ReadLittleEndian(value, 8); }

bool CDataParser::ReadByte(uint8_t& value) {
    uint64_t v;
    if (!ReadLittleEndian(v, 1)) return false;
    value = static_cast<uint8_t>(v);
    return true;
}

bool CDataParser::ReadChar(char16_t& value) {
    uint64_t v;
    if (!ReadLittleEndian(v, 2)) return false;
    value = static_cast<char16_t>(v);
    return true;
}

bool CDataParser::ReadLength(uint64_t& value) { return ReadLittleEndian(value, m_lengthWidth); }

bool CDataParser::ReadString(std::u16string& text) {
    const uint8_t* start = m_cursor;
    size_t before = m_remaining;
    uint64_t bytes;
    if (!ReadLength(bytes)) return false;
    if (bytes % 2 != 0 || bytes > m_remaining) {
        m_cursor = start;
        m_remaining = before;
        return false;
    }
    std::u16string out(static_cast<size_t>(bytes / 2), u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(m_cursor[2 * i] | (m_cursor[2 * i + 1] << 8));
    m_cursor += bytes;
    m_remaining -= static_cast<size_t>(bytes);
    text.swap(out);
    return true;
}

bool CDataParser::ReadString(std::wstring& text) {
    std::u16string units;
    if (!ReadString(units)) return false;
    text = FromUtf16(units);
    return true;
}

bool CDataParser::ReadBlock(std::vector<uint8_t>& bytes) {
    const uint8_t* start = m_cursor;
    size_t before = m_remaining;
    uint64_t length;
    if (!ReadLength(length)) return false;
    if (length > m_remaining) {
        m_cursor = start;
        m_remaining = before;
        return false;
    }
    bytes.assign(m_cursor, m_cursor + length);
    m_cursor += length;
    m_remaining -= static_cast<size_t>(length);
    return true;
}
