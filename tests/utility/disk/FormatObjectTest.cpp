#include "utility/disk/FormatObject.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/Exception.h"

namespace {
// Records writes into memory; fails every write past failAfter bytes.
class MemoryTarget : public CFormatObject {
public:
    explicit MemoryTarget(uint64_t size) {
        m_params.size = size;
        data.resize(size);
    }
    bool Open() override { return true; }
    void Close() override {}
    int64_t WriteAt(const void* buffer, uint64_t offset, uint64_t length) override {
        if (offset + length > data.size()) {
            KeepCaughtException(new CException);
            return -1;
        }
        std::copy_n(static_cast<const uint8_t*>(buffer), length, data.begin() + offset);
        return static_cast<int64_t>(length);
    }
    std::vector<uint8_t> data;
};
}  // namespace

TEST(FormatObject, PlainFunctionsReachTheObjectThroughTheContext) {
    MemoryTarget target(16);
    const FormatIo* io = target.Io();
    void* ctx = target.Params().context;
    ASSERT_EQ(ctx, &target);
    const uint8_t bytes[] = {1, 2, 3, 4};
    EXPECT_EQ(io->Write(ctx, bytes, 4), 4);
    EXPECT_EQ(io->Write(ctx, bytes, 2), 2);
    EXPECT_EQ(target.Params().position, 6u);
    EXPECT_EQ(target.data[4], 1);
    EXPECT_EQ(target.data[5], 2);
    EXPECT_EQ(io->WriteAt(ctx, bytes, 12, 4), 4);
    EXPECT_EQ(target.Params().position, 6u) << "WriteAt must not move the position";
}

TEST(FormatObject, SeekStaysWithinTheVolume) {
    MemoryTarget target(100);
    EXPECT_EQ(target.Seek(40, 0), 40);
    EXPECT_EQ(target.Seek(10, 1), 50);
    EXPECT_EQ(target.Seek(-60, 1), -1);
    EXPECT_EQ(target.Params().position, 50u) << "a refused seek leaves the position";
    EXPECT_EQ(target.Seek(0, 2), 100);
    EXPECT_EQ(target.Seek(-100, 2), 0);
    EXPECT_EQ(target.Seek(1, 2), -1) << "origin end takes only zero or negative offsets";
    EXPECT_EQ(target.Seek(101, 0), -1);
    EXPECT_EQ(target.Seek(0, 3), -1);
}

TEST(FormatObject, FailedWriteKeepsTheCaughtExceptionForTheCaller) {
    MemoryTarget target(8);
    uint8_t bytes[16] = {};
    EXPECT_EQ(target.Write(bytes, 16), -1);
    EXPECT_EQ(target.Params().position, 0u);
    ASSERT_TRUE(target.HasCaughtException());
    CException* e = target.TakeCaughtException();
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(target.HasCaughtException());
    e->Delete();
}
