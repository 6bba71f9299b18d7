#include "utility/disk/FormatObject.h"

#include "framework/Exception.h"

namespace {
CFormatObject* Self(void* context) { return static_cast<CFormatObject*>(context); }

bool IoOpen(void* context) { return Self(context)->Open(); }
void IoClose(void* context) { Self(context)->Close(); }
int64_t IoWriteAt(void* context, const void* buffer, uint64_t offset, uint64_t length) {
    return Self(context)->WriteAt(buffer, offset, length);
}
int64_t IoWrite(void* context, const void* buffer, uint64_t length) { return Self(context)->Write(buffer, length); }
int64_t IoSeek(void* context, int64_t offset, int origin) { return Self(context)->Seek(offset, origin); }
}  // namespace

CFormatObject::CFormatObject() : m_io{IoOpen, IoClose, IoWriteAt, IoWrite, IoSeek} { m_params.context = this; }

CFormatObject::~CFormatObject() {
    if (m_caught) m_caught->Delete();
}

int64_t CFormatObject::Write(const void* buffer, uint64_t length) {
    int64_t written = WriteAt(buffer, m_params.position, length);
    if (written > 0) m_params.position += static_cast<uint64_t>(written);
    return written;
}

int64_t CFormatObject::Seek(int64_t offset, int origin) {
    int64_t base;
    switch (origin) {
        case 0:
            base = 0;
            break;
        case 1:
            base = static_cast<int64_t>(m_params.position);
            break;
        case 2:
            if (offset > 0) return -1;
            base = static_cast<int64_t>(m_params.size);
            break;
        default:
            return -1;
    }
    int64_t target = base + offset;
    if (target < 0 || static_cast<uint64_t>(target) > m_params.size) return -1;
    m_params.position = static_cast<uint64_t>(target);
    return target;
}

CException* CFormatObject::TakeCaughtException() {
    CException* e = m_caught;
    m_caught = nullptr;
    return e;
}

void CFormatObject::KeepCaughtException(CException* e) {
    if (m_caught && m_caught != e) m_caught->Delete();
    m_caught = e;
}
