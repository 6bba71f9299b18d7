#include "common/ToolChannel.h"

#include <gtest/gtest.h>

#include "common/DataConverter.h"
#include "common/ToolResultRecords.h"

using UToolChannel::ServerAction;

namespace {
std::vector<uint8_t> Ints(std::initializer_list<int32_t> values, std::vector<uint8_t> tail = {}) {
    CDataConverter message;
    for (int32_t v : values) message.AppendInt32(v);
    std::vector<uint8_t> bytes = message.Bytes();
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}
}  // namespace

TEST(ToolChannel, WhatTheUtilityDoesWithEachMessage) {
    const struct {
        const char* what;
        std::vector<uint8_t> message;
        ServerAction action;
        std::vector<uint8_t> record;  // the result afterwards (starts as {9})
    } rows[] = {
        {"request", Ints({1}), ServerAction::SendCommand, {9}},
        {"request with one byte more", Ints({1}, {0}), ServerAction::SendNoCommand, {9}},
        {"request with a second int", Ints({1, 1}), ServerAction::SendNoCommand, {9}},
        {"kind 0", Ints({0}), ServerAction::SendNoCommand, {9}},
        {"kind 3", Ints({3}), ServerAction::SendNoCommand, {9}},
        {"kind -1", Ints({-1}), ServerAction::SendNoCommand, {9}},
        {"two bytes", {1, 0}, ServerAction::SendNoCommand, {9}},
        {"empty", {}, ServerAction::SendNoCommand, {9}},
        {"result with record", Ints({2, 0}, {1, 2, 3}), ServerAction::TakeResult, {1, 2, 3}},
        {"result status 0 without record", Ints({2, 0}), ServerAction::DropResult, {}},
        {"result status 1", Ints({2, 1}), ServerAction::DropResult, {}},
        {"result status 1 with bytes", Ints({2, 1}, {1, 2, 3, 4}), ServerAction::DropResult, {}},
        {"result without status", Ints({2}), ServerAction::DropResult, {}},
    };
    for (const auto& row : rows) {
        std::vector<uint8_t> record{9};
        EXPECT_EQ(UToolChannel::Classify(row.message, record), row.action) << row.what;
        EXPECT_EQ(record, row.record) << row.what;
    }
}

TEST(ToolResultRecords, FieldsInOrderLittleEndianAndExactSizes) {
    CCreateLinkRecord create;
    create.linked = 1;
    create.hresult = static_cast<int32_t>(0x80270027);
    create.rollbackShResult = 0x1234;
    const std::vector<uint8_t> bytes = UToolResultRecords::Encode(create);
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[7 * 4 + 3], 0x80);
    EXPECT_EQ(bytes[7 * 4], 0x27);
    EXPECT_EQ(bytes[11 * 4 + 1], 0x12);
    CCreateLinkRecord back;
    ASSERT_TRUE(UToolResultRecords::Decode(bytes, back));
    EXPECT_EQ(UToolResultRecords::Encode(back), bytes);

    CRemoveLinkRecord remove;
    remove.junctionRemoved = 1;
    EXPECT_EQ(UToolResultRecords::Encode(remove)[5 * 4], 1) << "junction removed is field 5";
    for (size_t size : {0, 15, 17, 31, 33, 47, 49}) {
        CCreateLinkRecord c;
        CRemoveLinkRecord r;
        CRelinkRecord l;
        c.linked = r.method = l.junctionInPlace = 7;
        const std::vector<uint8_t> wrong(size, 1);
        EXPECT_FALSE(UToolResultRecords::Decode(wrong, c) || UToolResultRecords::Decode(wrong, r) ||
                     UToolResultRecords::Decode(wrong, l))
            << size;
        EXPECT_EQ(c.linked + r.method + l.junctionInPlace, 21) << "a refused record is left alone";
    }
}
