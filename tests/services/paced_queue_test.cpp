#include "net/paced_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestra {
namespace {

Datagram keyed(std::string payload, std::string key) {
    Datagram d;
    d.payload = std::move(payload);
    d.coalesce_key = std::move(key);
    return d;
}

Datagram piece(std::string payload, std::chrono::milliseconds gap = Datagram::kFrameGap) {
    Datagram d;
    d.payload = std::move(payload);
    d.gap = gap;
    return d;
}

std::vector<std::string> drain(PacedQueue& q) {
    std::vector<std::string> out;
    while (auto d = q.pop()) {
        out.push_back(d->payload);
    }
    return out;
}

TEST(PacedQueue, NewerKeyedDatagramTakesThePlaceOfTheWaitingOne) {
    PacedQueue q;
    EXPECT_FALSE(q.push(keyed("A1", "A:01")));
    EXPECT_FALSE(q.push(piece("P")));
    EXPECT_TRUE(q.push(keyed("A2", "A:01")));
    EXPECT_TRUE(q.push(keyed("A3", "A:01")));
    EXPECT_EQ(q.size(), 2u);
    EXPECT_EQ(drain(q), (std::vector<std::string>{"A3", "P"}));
}

TEST(PacedQueue, ReplacementCarriesItsOwnGap) {
    PacedQueue q;
    q.push(keyed("A1", "k"));
    Datagram late = keyed("A2", "k");
    late.gap = std::chrono::milliseconds(40);
    q.push(late);
    const auto d = q.pop();
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(*d, late);
}

TEST(PacedQueue, ReplacementKeepsTheLongerPauseOfItsSlot) {
    PacedQueue q;
    Datagram bulk = keyed("A1", "k");
    bulk.gap = std::chrono::milliseconds(30);  // a command of a transfer with its pause
    q.push(bulk);
    q.push(keyed("A2", "k"));  // the operator's newer value, frame gap only
    const auto d = q.pop();
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->payload, "A2");
    EXPECT_EQ(d->gap, std::chrono::milliseconds(30));
}

TEST(PacedQueue, PiecesAreNeverReplaced) {
    PacedQueue q;
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(q.push(piece("same")));
    }
    EXPECT_EQ(drain(q), (std::vector<std::string>(4, "same")));
}

TEST(PacedQueue, DifferentKeysStayApart) {
    PacedQueue q;
    q.push(keyed("A1", "A:01"));
    q.push(keyed("B1", "A:02"));
    q.push(keyed("A2", "A:01"));
    EXPECT_EQ(drain(q), (std::vector<std::string>{"A2", "B1"}));
}

TEST(PacedQueue, KeySentAlreadyQueuesAgainAtTheBack) {
    PacedQueue q;
    q.push(keyed("A1", "k"));
    q.push(piece("P1"));
    ASSERT_EQ(q.pop()->payload, "A1");
    EXPECT_FALSE(q.push(keyed("A2", "k")));
    q.push(piece("P2"));
    EXPECT_TRUE(q.push(keyed("A3", "k")));
    EXPECT_EQ(drain(q), (std::vector<std::string>{"P1", "A3", "P2"}));
}

TEST(PacedQueue, ClearForgetsKeysAndPositions) {
    PacedQueue q;
    q.push(piece("P"));
    q.push(keyed("A1", "k"));
    q.clear();
    EXPECT_TRUE(q.empty());
    EXPECT_FALSE(q.pop().has_value());
    EXPECT_FALSE(q.push(keyed("A2", "k")));
    q.push(piece("Q"));
    EXPECT_TRUE(q.push(keyed("A3", "k")));
    EXPECT_EQ(drain(q), (std::vector<std::string>{"A3", "Q"}));
}

}  // namespace
}  // namespace kestra
