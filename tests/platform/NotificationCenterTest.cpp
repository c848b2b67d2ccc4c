#include "platform/NotificationCenter.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using platform::Notification;
using platform::NotificationCenter;

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
