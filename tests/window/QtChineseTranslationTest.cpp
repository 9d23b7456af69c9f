// Qt's own dialog texts read in Chinese once the translation is installed.

#include "app/window/QtChineseTranslation.h"

#include <QApplication>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

TEST(QtChineseTranslationTest, FileDialogAndStandardButtonsReadChinese)
{
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    ASSERT_EQ(lookIn, QStringLiteral("Look in:"));

    // The Debian package of Qt's translations provides them (install-deps).
    ASSERT_TRUE(QtChineseTranslation::install(*QCoreApplication::instance(), QStringLiteral(ZARV_PROGRAM_DIR)));
    const QString translatedLookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    const QString translatedCancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    EXPECT_EQ(translatedCancel, QStringLiteral("取消"));
    EXPECT_EQ(translatedLookIn, QStringLiteral("查找范围："));

    // Leave the other tests of this program with Qt's own texts.
    for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>())
        QCoreApplication::removeTranslator(t);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
}

}  // namespace
