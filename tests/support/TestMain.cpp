#include <QCoreApplication>
#include <gtest/gtest.h>

// Tests run with an application object, whose thread is the main thread
// and whose event loop backs the main queue.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
