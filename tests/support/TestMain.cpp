// Test entry point shared by every test program: a QApplication on the
// offscreen platform (set unless the caller chose one), so window tests and
// image code both work.
#include "platform/Utf8Locale.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureUtf8CharacterLocale();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
