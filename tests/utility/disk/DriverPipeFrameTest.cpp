#include "utility/disk/DriverPipeFrame.h"

#include <gtest/gtest.h>

#include <random>

using namespace UDriverPipeFrame;

TEST(DriverPipeFrame, RequestAndReplyRoundTrip) {
    Request request;
    request.controlCode = 0x22600C;
    request.replySize = 63;
    request.lengthWidth = 4;
    request.input = {1, 2, 3};
    Request back;
    std::string reason;
    ASSERT_TRUE(DecodeRequest(EncodeRequest(request), back, reason)) << reason;
    EXPECT_EQ(back.controlCode, request.controlCode);
    EXPECT_EQ(back.replySize, 63u);
    EXPECT_EQ(back.lengthWidth, 4);
    EXPECT_EQ(back.input, request.input);

    Reply reply;
    reply.succeeded = false;
    reply.error = 1;
    reply.output = {7, 7};
    Reply replyBack;
    ASSERT_TRUE(DecodeReply(EncodeReply(reply), 8, replyBack, reason)) << reason;
    EXPECT_FALSE(replyBack.succeeded);
    EXPECT_EQ(replyBack.error, 1u);
    EXPECT_EQ(replyBack.output, reply.output);
}

TEST(DriverPipeFrame, MalformedFramesAreRefusedWithAReason) {
    Request request;
    request.controlCode = 0x226004;
    request.replySize = 63;
    request.input = {1, 2, 3, 4};
    auto good = EncodeRequest(request);
    Request out;
    std::string reason;

    for (size_t cut = 0; cut < good.size(); ++cut) {
        std::vector<uint8_t> shorter(good.begin(), good.begin() + cut);
        EXPECT_FALSE(DecodeRequest(shorter, out, reason)) << "cut at " << cut;
        EXPECT_FALSE(reason.empty());
    }
    auto longer = good;
    longer.push_back(0);
    EXPECT_FALSE(DecodeRequest(longer, out, reason));

    auto badWidth = good;
    badWidth[12] = 5;
    EXPECT_FALSE(DecodeRequest(badWidth, out, reason));
    EXPECT_EQ(reason, "length width must be 4 or 8");

    request.replySize = kMaxReply + 1;
    EXPECT_FALSE(DecodeRequest(EncodeRequest(request), out, reason));

    Reply tooLong, decoded;
    tooLong.output.resize(64);
    EXPECT_FALSE(DecodeReply(EncodeReply(tooLong), 63, decoded, reason)) << "a reply longer than the caller's buffer";
}

TEST(DriverPipeFrame, RandomFramesNeverCrashTheDecoders) {
    std::mt19937 random(99);
    Request request;
    request.input.resize(10);
    auto seed = EncodeRequest(request);
    int accepted = 0;
    for (int round = 0; round < 50000; ++round) {
        std::vector<uint8_t> frame = seed;
        int flips = 1 + random() % 4;
        for (int i = 0; i < flips; ++i) frame[random() % frame.size()] = static_cast<uint8_t>(random());
        if (random() % 3 == 0) frame.resize(random() % (frame.size() + 1));
        Request out;
        Reply reply;
        std::string reason;
        if (DecodeRequest(frame, out, reason)) {
            ++accepted;
            ASSERT_LE(out.input.size(), kMaxInput);
            ASSERT_TRUE(out.lengthWidth == 4 || out.lengthWidth == 8);
        }
        DecodeReply(frame, 63, reply, reason);
    }
    EXPECT_GT(accepted, 0) << "some mutations leave a valid frame";
}
