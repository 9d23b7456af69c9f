// Qt's own dialog texts read in Chinese once the translation is installed.

#include "app/window/QtChineseTranslation.h"

#include <QApplication>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

TEST(QtChineseTranslationTest, FileDialogAndStandardButtonsReadChinese)
{
    // The Debian package of Qt's translations provides them (install-deps).
    ASSERT_TRUE(QtChineseTranslation::install(*QCoreApplication::instance(), QStringLiteral(ZARV_PROGRAM_DIR)));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    // The other tests of this program keep Qt's own texts.
    for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>())
        QCoreApplication::removeTranslator(t);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

}  // namespace
