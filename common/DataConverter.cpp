#include "common/DataConverter.h"

CDataConverter::CDataConverter(unsigned lengthWidth) : m_lengthWidth(lengthWidth == 4 ? 4u : 8u) {}

void CDataConverter::AppendLittleEndian(uint64_t value, unsigned width) {
    for (unsigned i = 0; i < width; ++i) m_bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void CDataConverter::AppendInt32(int32_t value) { AppendLittleEndian(static_cast<uint32_t>(value), 4); }
void CDataConverter::AppendUInt32(uint32_t value) { AppendLittleEndian(value, 4); }
void CDataConverter::AppendUInt64(uint64_t value) { AppendLittleEndian(value, 8); }
void CDataConverter::AppendByte(uint8_t value) { m_bytes.push_back(value); }
void CDataConverter::AppendChar(char16_t value) { AppendLittleEndian(value, 2); }
void CDataConverter::AppendLength(uint64_t value) { AppendLittleEndian(value, m_lengthWidth); }

void CDataConverter::AppendString(const std::wstring& text) { AppendString(ToUtf16(text)); }

void CDataConverter::AppendString(const std::u16string& text) {
    AppendLength(static_cast<uint64_t>(text.size()) * 2);
    m_bytes.reserve(m_bytes.size() + text.size() * 2);
    for (char16_t unit : text) AppendLittleEndian(unit, 2);
}

void CDataConverter::AppendBlock(const void* bytes, size_t length) {
    AppendLength(length);
    const auto* p = static_cast<const uint8_t*>(bytes);
    m_bytes.insert(m_bytes.end(), p, p + length);
}

std::u16string ToUtf16(const std::wstring& text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        uint32_t cp = static_cast<uint32_t>(c);
        if (sizeof(wchar_t) > 2 && cp > 0xFFFF && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp > 0xFFFF ? 0xFFFD : cp));
        }
    }
    return out;
}

std::wstring FromUtf16(const std::u16string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (sizeof(wchar_t) > 2 && unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            uint32_t cp = 0x10000 + ((static_cast<uint32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            out.push_back(static_cast<wchar_t>(cp));
            ++i;
        } else {
            out.push_back(static_cast<wchar_t>(unit));
        }
    }
    return out;
}
