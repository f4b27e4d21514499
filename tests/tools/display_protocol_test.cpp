#include "display_protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pds::display {
namespace {

using Bytes = std::vector<std::uint8_t>;

ImageBytes pattern(std::uint8_t start) {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(start + 3 * i);
    return image;
}

// Feeds bytes one millisecond apart and gathers every reply byte and what else happened.
struct Host {
    explicit Host(Behaviour behaviour = {}, ImageBytes memory = pattern(1))
        : display(behaviour, memory) {}

    Host& send(const Bytes& bytes) {
        for (auto byte : bytes) {
            Step step = display.receive(byte, now += 1);
            replies.insert(replies.end(), step.reply.begin(), step.reply.end());
            if (!step.reply.empty())
                delays.push_back(step.reply_delay_ms);
            stores += step.stored ? 1 : 0;
            hang_ups += step.hang_up ? 1 : 0;
            check_answers += step.check_answer ? 1 : 0;
        }
        return *this;
    }
    Bytes take() { return std::exchange(replies, {}); }

    DisplayProtocol display;
    std::int64_t now = 0;
    Bytes replies;
    std::vector<int> delays;
    int stores = 0;
    int hang_ups = 0;
    int check_answers = 0; // steps that answer a write request, where --stall-at-check holds
};

Bytes write_request() {
    return {0x1B, 0xEF, 2, 0, 2, 6, 1, 2, 0, 6};
} // dated 2026-12-06

Bytes configuration(const ImageBytes& image) {
    Bytes bytes(image.size() + 1, 0xAA);
    std::copy(image.begin(), image.end(), bytes.begin() + 1);
    return bytes;
}

TEST(DisplayProtocol, CheckByteOfTheWorkedDates) {
    struct Case {
        std::uint8_t digits[8];
        std::uint8_t check;
    };
    const Case cases[] = {
        {{2, 0, 2, 6, 1, 2, 0, 6}, 0x8A},
        {{2, 0, 2, 5, 0, 3, 1, 5}, 0x18},
        {{2, 0, 2, 9, 0, 1, 2, 0}, 0x0B},
        {{2, 0, 0, 0, 1, 2, 3, 1}, 0xD1},
        {{2, 0, 3, 1, 1, 1, 0, 9}, 0xA7},
        // A negative product is not capped: (10 - 18) * 12 = -96, less 4 gives -100.
        {{1, 0, 9, 9, 1, 2, 0, 4}, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(check_byte_for(c.digits), c.check);
}

TEST(DisplayProtocol, WriteStoresTheConfigurationAfterTheCheckByte) {
    Host host;
    EXPECT_EQ(host.send(write_request()).take(), Bytes{0x8A});
    const ImageBytes written = pattern(0x40);
    host.send(configuration(written));
    EXPECT_TRUE(host.take().empty()) << "nothing answers the configuration";
    EXPECT_EQ(host.stores, 1);
    EXPECT_EQ(host.display.memory(), written);

    // And the read gives it back behind the mark.
    EXPECT_EQ(host.send({0x1B, 0xEE}).take(), configuration(written));
    EXPECT_EQ(host.check_answers, 1) << "only the write's answer is its check byte";
}

TEST(DisplayProtocol, RefusedCheckByteStoresNothing) {
    Host host;
    host.send(write_request()).send({0x55});
    // Bytes after the refusal are no configuration: only a new request counts.
    host.send(configuration(pattern(0x40)));
    EXPECT_EQ(host.stores, 0);
    EXPECT_EQ(host.display.memory(), pattern(1));
}

TEST(DisplayProtocol, NoiseAndBrokenRequestsAreNotTakenForRequests) {
    Host host;
    host.send({0x00, 0xEE, 0x1B, 0x42, 0xEE, 0x1B, 0x1B, 0xEE});
    EXPECT_EQ(host.take(), configuration(pattern(1))) << "only the last 1B EE is a request";
}

TEST(DisplayProtocol, HostThatGaveUpWaitingStartsOver) {
    Behaviour late;
    late.late_ms = 2500;
    Host host(late);
    host.send(write_request());
    EXPECT_EQ(host.delays, std::vector<int>{2500});
    // The host has given up on the answer and asks for a read instead.
    host.take();
    EXPECT_EQ(host.send({0x1B, 0xEE}).take(), configuration(pattern(1)));
}

TEST(DisplayProtocol, HalfSentConfigurationIsAbandonedAfterAPause) {
    Host host;
    host.send(write_request()).send({0xAA, 1, 2, 3});
    host.take();
    host.now += abandon_after_ms + 1;
    EXPECT_EQ(host.send({0x1B, 0xEE}).take(), configuration(pattern(1)));
    EXPECT_EQ(host.stores, 0);
}

TEST(DisplayProtocol, MisbehavioursShapeTheAnswers) {
    struct Case {
        const char* name;
        Behaviour behaviour;
        Bytes write_answer;
        std::size_t read_size;
        std::uint8_t read_mark;
        int delay_ms;
    };
    const Case cases[] = {
        {"as built", {}, {0x8A}, 127, 0xAA, 0},
        {"silent", {.silent = true}, {}, 0, 0, 0},
        {"wrong check byte", {.wrong_check = true}, {0x8B}, 127, 0xAA, 0},
        {"three answer bytes", {.answer_bytes = 3}, {0x8A, 0x8B, 0x8C}, 127, 0xAA, 0},
        {"short reply", {.short_reply = 60}, {0x8A}, 60, 0xAA, 0},
        {"wrong mark", {.wrong_mark = true}, {0x8A}, 127, 0x00, 0},
        {"extra bytes", {.extra_bytes = 3}, {0x8A}, 130, 0xAA, 0},
        {"late", {.answer_delay_ms = 20, .late_ms = 300}, {0x8A}, 127, 0xAA, 320},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Host host(c.behaviour);
        EXPECT_EQ(host.send(write_request()).take(), c.write_answer);
        host.send({0x55});
        const Bytes reply = host.send({0x1B, 0xEE}).take();
        ASSERT_EQ(reply.size(), c.read_size);
        if (!reply.empty()) {
            EXPECT_EQ(reply[0], c.read_mark);
            const std::size_t image_part = std::min<std::size_t>(reply.size(), 127) - 1;
            EXPECT_TRUE(
                std::equal(reply.begin() + 1, reply.begin() + 1 + image_part, pattern(1).begin()));
            EXPECT_TRUE(std::all_of(reply.begin() + 1 + image_part, reply.end(),
                                    [](std::uint8_t b) { return b == 0; }));
        }
        for (int delay : host.delays)
            EXPECT_EQ(delay, c.delay_ms);
        EXPECT_EQ(host.stores, 0);
        EXPECT_EQ(host.hang_ups, 0);
    }
}

TEST(DisplayProtocol, TrailingNoiseFollowsEveryAnswer) {
    Host host({.trailing = 6});
    const Bytes noise = {0xAA, 0x55, 0x00, 0xFF, 0xAA, 0x55};
    Bytes answer = {0x8A};
    answer.insert(answer.end(), noise.begin(), noise.end());
    EXPECT_EQ(host.send(write_request()).take(), answer);
    host.send({0x55});
    Bytes reply = configuration(pattern(1));
    reply.insert(reply.end(), noise.begin(), noise.end());
    EXPECT_EQ(host.send({0x1B, 0xEE}).take(), reply);

    Host silent({.silent = true, .trailing = 6});
    EXPECT_TRUE(silent.send(write_request()).send({0x1B, 0xEE}).take().empty());
}

TEST(DisplayProtocol, HangUpCutsTheReplyOnceThenTheLineWorksAgain) {
    Host host({.hang_up_after = 60});
    const Bytes cut = host.send({0x1B, 0xEE}).take();
    EXPECT_EQ(cut.size(), 58u) << "60 bytes on the line: 2 of the request, 58 of the reply";
    EXPECT_EQ(host.hang_ups, 1);
    EXPECT_EQ(host.send({0x1B, 0xEE}).take(), configuration(pattern(1)));
    EXPECT_EQ(host.hang_ups, 1);
}

TEST(DisplayProtocol, HangUpInsideTheConfigurationStoresNothing) {
    Host host({.hang_up_after = 20});
    host.send(write_request()).send(configuration(pattern(0x40)));
    EXPECT_EQ(host.hang_ups, 1);
    EXPECT_EQ(host.stores, 0);
    EXPECT_EQ(host.display.memory(), pattern(1));

    // The host's next write, on the fresh line, is stored.
    host.take();
    EXPECT_EQ(host.send(write_request()).take(), Bytes{0x8A});
    host.send(configuration(pattern(0x40)));
    EXPECT_EQ(host.stores, 1);
    EXPECT_EQ(host.display.memory(), pattern(0x40));
}

TEST(DisplayProtocol, StoreOtherChangesOneStoredByte) {
    Host host({.store_other = true});
    host.send(write_request()).send(configuration(pattern(0x40)));
    ImageBytes expected = pattern(0x40);
    expected.back() ^= 0xFF;
    EXPECT_EQ(host.stores, 1);
    EXPECT_EQ(host.display.memory(), expected);
}

} // namespace
} // namespace pds::display
