// The entry point of every test executable. A suite gets the application object
// its code needs for the whole run, chosen when the executable is built (kv_test's
// APP option): none (KV_TEST_APP_NONE), a QCoreApplication for the event loop,
// sockets and SQL (KV_TEST_APP_CORE), or a QApplication for widgets
// (KV_TEST_APP_WIDGETS), without a display unless the caller chose a platform.
#if defined(KV_TEST_APP_WIDGETS)
#include <QApplication>
#elif defined(KV_TEST_APP_CORE)
#include <QCoreApplication>
#endif

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
#if defined(KV_TEST_APP_WIDGETS)
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || *platform == '\0') setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
#elif defined(KV_TEST_APP_CORE)
    QCoreApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
