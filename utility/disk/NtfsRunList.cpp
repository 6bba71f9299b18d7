#include "utility/disk/NtfsRunList.h"

namespace {

// Bytes needed to hold v as a signed little-endian number.
int SignedWidth(int64_t v) {
    int n = 1;
    while (n < 8) {
        const int64_t low = -(int64_t{1} << (8 * n - 1));
        const int64_t high = (int64_t{1} << (8 * n - 1)) - 1;
        if (v >= low && v <= high) break;
        ++n;
    }
    return n;
}

void PutSigned(std::vector<uint8_t>& out, int64_t v, int width) {
    const uint64_t u = static_cast<uint64_t>(v);
    for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

}  // namespace

void CNtfsRunList::Append(uint64_t lcn, uint64_t length) {
    if (length == 0) return;
    if (!m_runs.empty()) {
        NtfsRun& last = m_runs.back();
        if (last.lcn != kSparse && static_cast<uint64_t>(last.lcn) + last.length == lcn) {
            last.length += length;
            return;
        }
    }
    m_runs.push_back({static_cast<int64_t>(lcn), length});
}

void CNtfsRunList::AppendSparse(uint64_t length) {
    if (length == 0) return;
    if (!m_runs.empty() && m_runs.back().lcn == kSparse) {
        m_runs.back().length += length;
        return;
    }
    m_runs.push_back({kSparse, length});
}

uint64_t CNtfsRunList::Clusters() const {
    uint64_t n = 0;
    for (const NtfsRun& run : m_runs) n += run.length;
    return n;
}

std::vector<uint8_t> CNtfsRunList::Encode() const {
    std::vector<uint8_t> out;
    int64_t previous = 0;
    for (const NtfsRun& run : m_runs) {
        const int64_t length = static_cast<int64_t>(run.length);
        const int lengthWidth = SignedWidth(length);
        if (run.lcn == kSparse) {
            out.push_back(static_cast<uint8_t>(lengthWidth));
            PutSigned(out, length, lengthWidth);
            continue;
        }
        const int64_t delta = run.lcn - previous;
        const int offsetWidth = SignedWidth(delta);
        out.push_back(static_cast<uint8_t>((offsetWidth << 4) | lengthWidth));
        PutSigned(out, length, lengthWidth);
        PutSigned(out, delta, offsetWidth);
        previous = run.lcn;
    }
    out.push_back(0);
    return out;
}
