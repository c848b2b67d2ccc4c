#include "platform/NotificationCenter.h"

#include <QStringList>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using platform::Notification;
using platform::NotificationCenter;

TEST(NotificationCenter, DeliversByNameAndSender)
{
    NotificationCenter center;
    int sender = 0, other = 0;
    QStringList heard;
    center.addObserver("A", nullptr, [&](const Notification& n) { heard << "any-sender:" + n.name; });
    center.addObserver("A", &sender, [&](const Notification& n) { heard << "sender:" + n.userInfo.value("k").toString(); });
    center.addObserver({}, nullptr, [&](const Notification& n) { heard << "all:" + n.name; });

    center.post("A", &sender, {{"k", "v"}});
    center.post("A", &other);
    center.post("B");
    EXPECT_EQ(heard, (QStringList{"any-sender:A", "sender:v", "all:A", "any-sender:A", "all:A", "all:B"}));
}

TEST(NotificationCenter, RemovedObserversHearNothingMore)
{
    NotificationCenter center;
    int calls = 0;
    NotificationCenter::ObserverToken self = 0;
    // Removing itself while being told, and adding another, is allowed.
    self = center.addObserver("N", nullptr, [&](const Notification&) {
        ++calls;
        center.removeObserver(self);
        center.addObserver("N", nullptr, [&](const Notification&) { calls += 10; });
    });
    center.post("N");
    EXPECT_EQ(calls, 1);
    center.post("N");
    EXPECT_EQ(calls, 11);
    {
        platform::ScopedObserver scoped(center, "S", nullptr, [&](const Notification&) { calls += 100; });
        center.post("S");
    }
    center.post("S");
    EXPECT_EQ(calls, 111);
}

TEST(NotificationCenter, PostsFromManyThreadsWhileObserversComeAndGo)
{
    NotificationCenter center;
    std::atomic<int> delivered{0};
    center.addObserver("T", nullptr, [&](const Notification&) { delivered.fetch_add(1); });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                const auto token = center.addObserver("U", nullptr, [](const Notification&) {});
                center.post("T");
                center.removeObserver(token);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(delivered.load(), 2000);
}
