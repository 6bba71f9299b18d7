#include "utility/disk/ProcessMatch.h"

#include "utility/disk/ProcessPath.h"

#include <vector>

namespace UProcessMatch {
namespace {

template <typename Match>
bool Filter(const std::list<uint32_t>& ids, const ImagePathFn& imagePath, Match match, std::list<uint32_t>& found) {
    found.clear();
    for (uint32_t id : ids) {
        std::wstring image = imagePath(id);
        if (!image.empty() && match(image)) found.push_back(id);
    }
    return !found.empty();
}

}  // namespace

bool FilterByPath(const std::list<uint32_t>& ids, const ImagePathFn& imagePath, const std::wstring& path,
                  std::list<uint32_t>& found) {
    return Filter(
        ids, imagePath, [&](const std::wstring& image) { return UProcessPath::EqualNoCase(image, path); }, found);
}

bool FilterByFileName(const std::list<uint32_t>& ids, const ImagePathFn& imagePath, const std::wstring& fileName,
                      std::list<uint32_t>& found) {
    return Filter(
        ids, imagePath,
        [&](const std::wstring& image) { return UProcessPath::EqualNoCase(UProcessPath::FileNameOf(image), fileName); },
        found);
}

bool CollectIds(const EnumIdsFn& enumerate, std::list<uint32_t>& ids) {
    ids.clear();
    std::vector<uint32_t> buffer(1);
    uint32_t count = 0;
    for (;;) {
        count = 0;
        if (!enumerate(buffer.data(), static_cast<uint32_t>(buffer.size()), &count)) return false;
        if (count > buffer.size()) count = static_cast<uint32_t>(buffer.size());
        if (count < buffer.size() || buffer.size() >= kMaxIds) break;
        buffer.resize(buffer.size() * 2);
    }
    ids.assign(buffer.begin(), buffer.begin() + count);
    return !ids.empty();
}

}  // namespace UProcessMatch
