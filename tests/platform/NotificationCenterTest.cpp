#include "platform/NotificationCenter.h"

#include <QStringList>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using platform::Notification;
using platform::NotificationCenter;

TEST(NotificationCenter, DeliversByNameAndSenderAndStopsAfterRemoval)
{
    NotificationCenter center;
    int sender = 0;
    QStringList heard;
    center.addObserver("A", &sender, [&](const Notification& n) { heard << "sender:" + n.userInfo.value("k").toString(); });
    center.addObserver({}, nullptr, [&](const Notification& n) { heard << "all:" + n.name; });
    NotificationCenter::ObserverToken self = 0;
    // Removing itself while being told is allowed.
    self = center.addObserver("A", nullptr, [&](const Notification&) {
        heard << "once";
        center.removeObserver(self);
    });
    center.post("A", &sender, {{"k", "v"}});
    center.post("A", &heard);
    center.post("B");
    EXPECT_EQ(heard, (QStringList{"sender:v", "all:A", "once", "all:A", "all:B"}));
}

TEST(NotificationCenter, PostsFromManyThreadsWhileObserversComeAndGo)
{
    NotificationCenter center;
    std::atomic<int> delivered{0};
    center.addObserver("T", nullptr, [&](const Notification&) { delivered.fetch_add(1); });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                platform::ScopedObserver passing(center, "T", nullptr, [](const Notification&) {});
                center.post("T");
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(delivered.load(), 2000);
}
