// Reading a junction's reparse data. The input is what the file system returned. Parse must
// stay inside those bytes; it accepts exactly when the header is whole, both names lie inside the
// bytes and have even lengths, and then each name is the bytes at its offset; a refusal leaves
// the names empty. A buffer built from the names read parses back to them.
#include "common/MountPointBuffer.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read past `size` is caught by AddressSanitizer.
    std::vector<uint8_t> bytes(data, data + size);
    UMountPointBuffer::Contents read;
    const bool accepted = UMountPointBuffer::Parse(bytes.data(), bytes.size(), read);

    bool expected = size >= 16;
    if (expected) {
        for (unsigned field : {8u, 12u}) {
            const uint64_t offset = LittleEndian(data + field, 2), length = LittleEndian(data + field + 2, 2);
            expected = expected && length % 2 == 0 && 16 + offset + length <= size;
        }
    }
    FUZZ_CHECK(accepted == expected);
    if (!accepted) {
        FUZZ_CHECK(read.tag == 0 && read.substitute.empty() && read.print.empty());
        return 0;
    }
    FUZZ_CHECK(read.tag == LittleEndian(data, 4));
    const std::u16string* names[] = {&read.substitute, &read.print};
    for (unsigned i = 0; i < 2; ++i) {
        const uint64_t offset = LittleEndian(data + 8 + 4 * i, 2), length = LittleEndian(data + 10 + 4 * i, 2);
        FUZZ_CHECK(names[i]->size() == length / 2);
        for (size_t k = 0; k < names[i]->size(); ++k)
            FUZZ_CHECK((*names[i])[k] == LittleEndian(data + 16 + offset + 2 * k, 2));
    }

    const std::vector<uint8_t> built = UMountPointBuffer::Build(read.substitute, read.print);
    if (built.empty()) {
        FUZZ_CHECK(2 * (read.substitute.size() + read.print.size()) + 12 > 0xFFFF);
        return 0;
    }
    UMountPointBuffer::Contents again;
    FUZZ_CHECK(UMountPointBuffer::Parse(built.data(), built.size(), again));
    FUZZ_CHECK(again.tag == UMountPointBuffer::kMountPointTag && again.substitute == read.substitute &&
               again.print == read.print);
    return 0;
}
