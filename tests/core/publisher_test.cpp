#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "util/publisher.h"

namespace kestra {
namespace {

TEST(Publisher, SubscriptionsEndWithTheirOwner) {
    Publisher<int> p;
    std::vector<int> seen;
    {
        auto sub = p.subscribe([&](const int& v) { seen.push_back(v); });
        p.publish(1);
        EXPECT_EQ(p.subscriber_count(), 1u);
    }
    p.publish(2);
    EXPECT_EQ(seen, std::vector<int>{1});
    EXPECT_EQ(p.subscriber_count(), 0u);
}

TEST(Publisher, CallbacksMayEndOrAddSubscriptionsWhilePublishing) {
    Publisher<int> p;
    std::vector<std::string> calls;
    std::optional<Publisher<int>::Subscription> second;
    std::optional<Publisher<int>::Subscription> late;
    auto first = p.subscribe([&](const int& v) {
        calls.push_back("first " + std::to_string(v));
        second.reset();  // ends the next subscriber before it is called
        if (!late) {
            late = p.subscribe([&](const int& w) { calls.push_back("late " + std::to_string(w)); });
        }
    });
    second = p.subscribe([&](const int& v) { calls.push_back("second " + std::to_string(v)); });
    p.publish(1);
    p.publish(2);
    EXPECT_EQ(calls, (std::vector<std::string>{"first 1", "first 2", "late 2"}));
}

TEST(Publisher, ASubscriptionOutlivingItsPublisherIsHarmless) {
    std::optional<Publisher<int>::Subscription> sub;
    {
        Publisher<int> p;
        sub = p.subscribe([](const int&) {});
    }
    sub.reset();
    SUCCEED();  // under ASan a dangling owner would have been reported here
}

}  // namespace
}  // namespace kestra
