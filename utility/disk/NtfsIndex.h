#pragma once
// An index being built: its entries in collation order, put out as the value of an
// $INDEX_ROOT attribute and, for a large index, as one index block.
#include <cstddef>
#include <cstdint>
#include <vector>

class CNtfsIndex {
public:
    // indexedType is AT_FILE_NAME for directories, 0 for view indexes; collation one of
    // UNtfsTypes::COLLATION_*. File-name collation needs the volume's upper-case table.
    CNtfsIndex(uint32_t indexedType, uint32_t collation, const uint16_t* upCase = nullptr);

    // A directory entry; fileName is the $FILE_NAME value of the file referred to.
    void AddFileName(uint64_t fileReference, const std::vector<uint8_t>& fileName);
    // A view entry: a key and the data it maps to. tail goes into the alignment padding
    // after the data without being counted in it.
    void AddView(const std::vector<uint8_t>& key, const std::vector<uint8_t>& data,
                 const std::vector<uint8_t>& tail = {});

    size_t Count() const { return m_entries.size(); }

    // The $INDEX_ROOT value holding every entry.
    std::vector<uint8_t> SmallRoot(uint32_t blockSize, uint8_t blockClusters) const;
    // The $INDEX_ROOT value of a large index: only an end entry pointing at block VCN 0.
    std::vector<uint8_t> LargeRoot(uint32_t blockSize, uint8_t blockClusters) const;
    // The unprotected "INDX" block at vcn holding every entry; empty when they do not fit.
    std::vector<uint8_t> Block(uint64_t vcn, uint32_t blockSize) const;

    // Compares two keys under this index's collation.
    int CompareKeys(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) const;

private:
    struct Entry {
        std::vector<uint8_t> key;
        std::vector<uint8_t> bytes;  // the whole entry
    };

    std::vector<const Entry*> Sorted() const;
    std::vector<uint8_t> Root(uint32_t blockSize, uint8_t blockClusters, bool large) const;

    uint32_t m_indexedType;
    uint32_t m_collation;
    const uint16_t* m_upCase;
    std::vector<Entry> m_entries;
};
