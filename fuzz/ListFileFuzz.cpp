// The piece arithmetic of the backup image set. The input gives a set size, a piece size, a
// byte range and a piece index (64 bits each). The pieces must cover the set exactly (every one
// full but the last, which holds the rest); a range inside the set, cut into runs the way
// ReadList and WriteList cut it, must be covered run after run with no gap, each run inside one
// piece and within that piece's length, and the run lengths must add up to the range.
#include <algorithm>

#include "fuzz/FuzzCheck.h"
#include "utility/disk/ListFile.h"

namespace {
// Longest walk per input; longer ranges are shortened to this many pieces.
const uint64_t kMaxRuns = 4096;
using Wide = unsigned __int128;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint64_t total = in.U64(), piece = in.U64(), offset = in.U64(), length = in.U64(), index = in.U64();

    const uint64_t count = CListFile::PieceCount(total, piece);
    if (piece == 0 || total == 0) {
        FUZZ_CHECK(count == 0 && CListFile::PieceLength(total, piece, index) == 0);
        return 0;
    }
    // Enough pieces for the set, and not one more.
    FUZZ_CHECK(Wide(count) * piece >= total && Wide(count - 1) * piece < total);
    const uint64_t last = CListFile::PieceLength(total, piece, count - 1);
    FUZZ_CHECK(last >= 1 && last <= piece && Wide(count - 1) * piece + last == total);
    FUZZ_CHECK(CListFile::PieceLength(total, piece, count) == 0);
    const uint64_t probed = CListFile::PieceLength(total, piece, index);
    FUZZ_CHECK(probed == (index < count - 1 ? piece : index == count - 1 ? last : 0));

    if (offset >= total) return 0;
    uint64_t left = std::min(length, total - offset);  // as ReadList shortens it at the end of the set
    if (left / piece > kMaxRuns) left = piece * kMaxRuns;
    const uint64_t range = left;
    uint64_t at = offset, sum = 0, previous = 0;
    bool first = true;
    while (left > 0) {
        const CListFile::PieceRun run = CListFile::RunAt(piece, at, left);
        FUZZ_CHECK(run.length >= 1 && run.length <= left);
        FUZZ_CHECK(run.within < piece && run.length <= piece - run.within);
        FUZZ_CHECK(Wide(run.index) * piece + run.within == at);
        FUZZ_CHECK(first || (run.index == previous + 1 && run.within == 0));
        FUZZ_CHECK(run.length == left || run.within + run.length == piece);
        FUZZ_CHECK(run.index < count && run.within + run.length <= CListFile::PieceLength(total, piece, run.index));
        previous = run.index;
        first = false;
        at += run.length;
        left -= run.length;
        sum += run.length;
    }
    FUZZ_CHECK(sum == range);
    return 0;
}
