// main() of the GoogleTest executables: a QApplication on the offscreen platform first, since
// Qt SQL and the painting code need one.
#include "support/TestSupport.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testsupport::usePrivateRuntimeFolder();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
