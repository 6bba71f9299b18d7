#pragma once
// Selecting processes by image path or image file name, and the growing-buffer loop
// that collects process ids from an enumerator that cannot say how many there are.
#include <cstdint>
#include <functional>
#include <list>
#include <string>

namespace UProcessMatch {

// Image path of one process id; empty when it cannot be read.
using ImagePathFn = std::function<std::wstring(uint32_t)>;

// found receives (after being emptied) the ids whose image path equals path, ignoring
// case. An unreadable (empty) image path matches nothing. True when any matched.
bool FilterByPath(const std::list<uint32_t>& ids, const ImagePathFn& imagePath, const std::wstring& path,
                  std::list<uint32_t>& found);

// As FilterByPath, comparing the image's base name and extension with fileName.
bool FilterByFileName(const std::list<uint32_t>& ids, const ImagePathFn& imagePath, const std::wstring& fileName,
                      std::list<uint32_t>& found);

// Fills ids into a buffer of capacity entries; sets *count to the entries written.
// False when the enumeration failed.
using EnumIdsFn = std::function<bool(uint32_t* buffer, uint32_t capacity, uint32_t* count)>;

// Asks with room for one id, doubling while the answer fills the buffer. ids is emptied
// first; false when the enumeration failed or gave nothing. The buffer stops growing at
// kMaxIds entries; what fits then is kept.
constexpr uint32_t kMaxIds = 1u << 20;
bool CollectIds(const EnumIdsFn& enumerate, std::list<uint32_t>& ids);

}  // namespace UProcessMatch
