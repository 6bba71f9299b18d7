#include "tools/UrlCacheCleaner.h"

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "framework/UniqueResource.h"

namespace {

// The enumeration handle of FindFirstUrlCacheEntryW, closed with FindCloseUrlCache.
struct UrlCacheFindTraits {
    using Type = HANDLE;
    static HANDLE Empty() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr; }
    static void Release(HANDLE h) { FindCloseUrlCache(h); }
};

// One cache-entry record with its strings; grown to the size the system asks for.
class CEntryBuffer {
public:
    CEntryBuffer() { Grow(sizeof(INTERNET_CACHE_ENTRY_INFOW) + 1024); }
    void Grow(DWORD size) {
        if (size <= m_size) return;
        m_memory.reset(new uint64_t[(size + 7) / 8]);  // aligned for the record
        m_size = size;
    }
    INTERNET_CACHE_ENTRY_INFOW* Entry() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(m_memory.get()); }
    DWORD Size() const { return m_size; }

private:
    std::unique_ptr<uint64_t[]> m_memory;
    DWORD m_size = 0;
};

}  // namespace

namespace UUrlCacheCleaner {

bool Deletes(EToolJob job, uint32_t entryType) {
    if (job == TOOL_JOB_DELETE_CACHE)
        return (entryType & NORMAL_CACHE_ENTRY) && !(entryType & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY));
    if (job == TOOL_JOB_DELETE_COOKIES) return (entryType & COOKIE_CACHE_ENTRY) != 0;
    return false;
}

int Run(EToolJob job) {
    CEntryBuffer buffer;
    HANDLE found = nullptr;
    for (;;) {
        DWORD size = buffer.Size();
        found = FindFirstUrlCacheEntryW(nullptr, buffer.Entry(), &size);
        if (found || GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        buffer.Grow(size);
    }
    if (!found) return 1;
    CUniqueResource<UrlCacheFindTraits> enumeration(found);
    for (;;) {
        INTERNET_CACHE_ENTRY_INFOW* entry = buffer.Entry();
        if (Deletes(job, entry->CacheEntryType) && entry->lpszSourceUrlName)
            DeleteUrlCacheEntryW(entry->lpszSourceUrlName);
        DWORD size = buffer.Size();
        while (!FindNextUrlCacheEntryW(enumeration.Get(), buffer.Entry(), &size)) {
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 1;
            buffer.Grow(size);
            size = buffer.Size();
        }
    }
}

}  // namespace UUrlCacheCleaner
