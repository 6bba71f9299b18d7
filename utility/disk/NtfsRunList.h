#pragma once
// The clusters of a non-resident stream as a list of runs, and their encoding as
// mapping pairs.
#include <cstdint>
#include <vector>

struct NtfsRun {
    int64_t lcn;      // kSparse for a run without clusters
    uint64_t length;  // in clusters
};

class CNtfsRunList {
public:
    static constexpr int64_t kSparse = -1;

    // Adds clusters lcn..lcn+length-1; extends the last run when they follow it.
    void Append(uint64_t lcn, uint64_t length);
    // Adds a run that has no clusters on disk.
    void AppendSparse(uint64_t length);

    const std::vector<NtfsRun>& Runs() const { return m_runs; }
    uint64_t Clusters() const;
    // The first cluster, for streams of a single run.
    uint64_t FirstLcn() const { return m_runs.empty() ? 0 : static_cast<uint64_t>(m_runs[0].lcn); }

    // Mapping pairs: per run a header byte (offset width << 4 | length width), the length,
    // the LCN as a signed delta to the previous run's (absent for sparse runs); a 0 byte ends.
    std::vector<uint8_t> Encode() const;

private:
    std::vector<NtfsRun> m_runs;
};
