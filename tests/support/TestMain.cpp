// One main for every test binary. PELLWICK_TEST_APP picks the application class, so that
// the tests of the layers without widgets link no Qt Widgets either.
#include <gtest/gtest.h>

#if PELLWICK_TEST_APP == 2
#include <QApplication>
using TestApplication = QApplication;
#elif PELLWICK_TEST_APP == 1
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
