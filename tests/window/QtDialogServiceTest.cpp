// The real message boxes, answered by a key press or by closing the box.

#include "app/window/QtDialogService.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

enum class Dismiss { Escape, Close, Enter };

// Shows the box and, once it is up, dismisses it without pressing a button.
DialogAnswer dismissed(const MessageRequest &request, Dismiss how)
{
    QtDialogService dialogs;
    bool seen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen = true;
        watch.stop();
        if (how == Dismiss::Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else if (how == Dismiss::Enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            box->close();
    });
    watch.start(10);
    // A box that does not go away fails here instead of hanging.
    bool forced = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            forced = true;
            box->done(QDialog::Rejected);
        }
    });
    guard.start(10000);
    const DialogAnswer answer = dialogs.showMessage(request);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(forced) << "the box stayed up";
    return answer;
}

// Escape and the close button withdraw (Cancel, else No, else OK); Enter
// takes the default button, whichever it is.
TEST(QtDialogServiceTest, EscapeOrClosingWithdrawsAndEnterTakesTheDefault)
{
    struct Case {
        MessageButtons buttons;
        DialogAnswer defaultAnswer;
        DialogAnswer withdrawn;
    };
    const Case cases[] = {{MessageButtons::YesNo, DialogAnswer::Yes, DialogAnswer::No},
                          {MessageButtons::YesNo, DialogAnswer::No, DialogAnswer::No},
                          {MessageButtons::YesNoCancel, DialogAnswer::Yes, DialogAnswer::Cancel},
                          {MessageButtons::YesNoCancel, DialogAnswer::No, DialogAnswer::Cancel},
                          {MessageButtons::OkCancel, DialogAnswer::Ok, DialogAnswer::Cancel},
                          {MessageButtons::OkCancel, DialogAnswer::Cancel, DialogAnswer::Cancel},
                          {MessageButtons::RetryCancel, DialogAnswer::Retry, DialogAnswer::Cancel},
                          {MessageButtons::Ok, DialogAnswer::Ok, DialogAnswer::Ok}};
    for (const Case &k : cases) {
        for (Dismiss how : {Dismiss::Escape, Dismiss::Close, Dismiss::Enter}) {
            SCOPED_TRACE(int(k.buttons) * 100 + int(k.defaultAnswer) * 10 + int(how));
            const MessageRequest request{QStringLiteral("输出数量过多，要减少吗？"), MessageIcon::Question,
                                         k.buttons, k.defaultAnswer};
            EXPECT_EQ(dismissed(request, how), how == Dismiss::Enter ? k.defaultAnswer : k.withdrawn);
        }
    }
}

}  // namespace
