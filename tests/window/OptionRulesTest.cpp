// The option controls of the main window driven as the user drives them:
// typed keys, focus moving to another control, clicks and list choices.

#include "WindowHarness.h"

#include "app/window/ClickableLabel.h"
#include "app/window/OptionRules.h"
#include "app/window/SourceListOps.h"
#include "app/window/UpDown.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QStringList videoRow(const QString &name, const QString &seconds)
{
    return {name, QStringLiteral("/media/videos"), QStringLiteral("640"), QStringLiteral("480"), seconds};
}

class OptionRulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        h = std::make_unique<WindowHarness>();
        h->window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(h->window.get())) << "focus changes need an active window";
    }

    MainControls &c() { return h->c(); }
    WindowState &state() { return h->window->state(); }
    int beeps() const { return h->dialogs.beeps; }

    // The user puts the cursor into a field, selects what it shows and types.
    void typeInto(QLineEdit *field, const QString &text)
    {
        field->setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), field);
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    // The size box keeps the focus itself and passes the keys to its line edit.
    void typeIntoSize(const QString &text)
    {
        QComboBox *box = c().CmbSize;
        box->setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), box);
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, text);
    }

    // The user leaves the field by giving another control the focus.
    void leaveField()
    {
        QWidget *before = QApplication::focusWidget();
        c().CmdDo->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), c().CmdDo);
        ASSERT_NE(before, c().CmdDo);
    }

    void clickMode(QRadioButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(button->isChecked());
    }

    void answerNext(DialogAnswer answer) { h->dialogs.answers.enqueue(answer); }

    // The user opens the list and clicks an entry.
    void pick(QComboBox *box, int index)
    {
        box->showPopup();
        QAbstractItemView *view = box->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        const QModelIndex item = view->model()->index(index, box->modelColumn());
        view->scrollTo(item);
        const QRect entry = view->visualRect(item);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry.center());
        ASSERT_FALSE(view->isVisible()) << "the click picked no entry";
    }

    // Every effect of a mode button, as the buttons leave the controls.
    void expectModeEffects(ComposeMode mode)
    {
        SCOPED_TRACE(int(mode));
        const MainControls &k = c();
        EXPECT_EQ(state().composeMode, mode);
        EXPECT_FALSE(k.ChSame->isChecked());
        EXPECT_FALSE(k.ChCut->isChecked());
        EXPECT_FALSE(k.ChAcc->isChecked());
        EXPECT_FALSE(k.ChPPT->isChecked());
        EXPECT_EQ(k.TPics->text(), QStringLiteral("1-1000"));
        EXPECT_EQ(k.ChKeepSize->checkState(), Qt::Checked);
        switch (mode) {
        case ComposeMode::VideoVideo:
            EXPECT_EQ(k.ChSame->text(), QStringLiteral("视频复用"));
            EXPECT_TRUE(k.ChSame->isEnabled());
            EXPECT_TRUE(k.MSFV->isEnabled());
            EXPECT_FALSE(k.MSFP->isEnabled());
            EXPECT_FALSE(k.TPics->isEnabled());
            EXPECT_FALSE(k.ChKeepSize->isEnabled());
            EXPECT_EQ(k.CmbSize->currentIndex(), 0);
            EXPECT_FALSE(k.CmbSize->isEnabled());
            EXPECT_EQ(state().outputWidth, 0);
            EXPECT_EQ(state().outputHeight, 0);
            EXPECT_EQ(k.CmbLen->currentIndex(), 0);
            EXPECT_TRUE(k.CmbLen->isEnabled());
            EXPECT_EQ(k.CmbEffect->currentIndex(), 0);
            EXPECT_FALSE(k.CmbEffect->isEnabled());
            EXPECT_TRUE(k.ChCut->isEnabled());
            EXPECT_TRUE(k.ChAcc->isEnabled());
            EXPECT_TRUE(k.ChPPT->isEnabled());
            break;
        case ComposeMode::PicturePicture:
            EXPECT_EQ(k.ChSame->text(), QStringLiteral("图片复用"));
            EXPECT_TRUE(k.ChSame->isEnabled());
            EXPECT_FALSE(k.MSFV->isEnabled());
            EXPECT_TRUE(k.MSFP->isEnabled());
            EXPECT_TRUE(k.TPics->isEnabled());
            EXPECT_TRUE(k.ChKeepSize->isEnabled());
            EXPECT_TRUE(k.CmbSize->isEnabled());
            EXPECT_FALSE(k.CmbLen->isEnabled());
            EXPECT_TRUE(k.CmbEffect->isEnabled());
            EXPECT_FALSE(k.ChCut->isEnabled());
            EXPECT_FALSE(k.ChAcc->isEnabled());
            EXPECT_FALSE(k.ChPPT->isEnabled());
            break;
        case ComposeMode::Mixed:
            EXPECT_EQ(k.ChSame->text(), QStringLiteral("图片复用"));
            EXPECT_FALSE(k.ChSame->isEnabled());
            EXPECT_TRUE(k.MSFV->isEnabled());
            EXPECT_TRUE(k.MSFP->isEnabled());
            EXPECT_TRUE(k.TPics->isEnabled());
            EXPECT_TRUE(k.ChKeepSize->isEnabled());
            EXPECT_EQ(k.CmbSize->currentIndex(), 3);
            EXPECT_EQ(k.CmbSize->currentText(), QStringLiteral("1920x1080"));
            EXPECT_TRUE(k.CmbSize->isEnabled());
            EXPECT_EQ(state().outputWidth, 1920);
            EXPECT_EQ(state().outputHeight, 1080);
            EXPECT_EQ(k.CmbLen->currentIndex(), 0);
            EXPECT_FALSE(k.CmbLen->isEnabled());
            EXPECT_EQ(k.CmbEffect->currentIndex(), 0);
            EXPECT_TRUE(k.CmbEffect->isEnabled());
            EXPECT_TRUE(k.ChCut->isEnabled());
            EXPECT_FALSE(k.ChAcc->isEnabled());
            EXPECT_FALSE(k.ChPPT->isEnabled());
            break;
        }
    }

    void expectAddButtons(bool enabled)
    {
        EXPECT_EQ(c().CmdAddFiles->isEnabled(), enabled);
        EXPECT_EQ(c().CmdReadFiles->isEnabled(), enabled);
    }

    std::unique_ptr<WindowHarness> h;
};

// ---- start state ------------------------------------------------------------------

TEST_F(OptionRulesTest, StartStateMatchesTheControlTable)
{
    const MainControls &k = c();
    EXPECT_EQ(beeps(), 0);
    EXPECT_TRUE(h->dialogs.messages.isEmpty());

    EXPECT_TRUE(k.OptVV->isChecked());
    EXPECT_FALSE(k.OptPP->isChecked());
    EXPECT_FALSE(k.OptMix->isChecked());
    EXPECT_EQ(state().composeMode, ComposeMode::VideoVideo);

    EXPECT_TRUE(k.ChBat->isChecked());
    EXPECT_TRUE(k.ChBat->isEnabled());
    EXPECT_EQ(k.TMax->text(), QStringLiteral("200"));
    EXPECT_TRUE(k.TMax->isEnabled());

    EXPECT_EQ(k.TLen->text(), QStringLiteral("30"));
    EXPECT_TRUE(k.TLen->isEnabled());
    EXPECT_TRUE(k.UpDown1->isEnabled());
    EXPECT_EQ(k.CmbLen->currentIndex(), 0);
    EXPECT_TRUE(k.CmbLen->isEnabled());
    EXPECT_FALSE(k.ChRndLen->isChecked());
    EXPECT_TRUE(k.ChRndLen->isEnabled());
    EXPECT_EQ(k.TRndLen->text(), QStringLiteral("3-600"));
    EXPECT_FALSE(k.TRndLen->isEnabled());

    EXPECT_EQ(k.CmbSize->currentIndex(), 0);
    EXPECT_EQ(k.CmbSize->currentText(), QStringLiteral("自动确定"));
    EXPECT_FALSE(k.CmbSize->isEnabled());
    EXPECT_EQ(state().outputWidth, 0);
    EXPECT_EQ(state().outputHeight, 0);
    EXPECT_EQ(k.CmbOutType->currentText(), QStringLiteral("mp4"));

    EXPECT_EQ(k.CmbAudio->currentIndex(), 0);
    EXPECT_EQ(k.LNewAu->text(), QStringLiteral("固定音频文件未指定(双击此指定，或者从音频文件列表中选定)"));
    EXPECT_FALSE(k.LNewAu->isEnabled());  // the audio rule enables it only for a chosen file
    EXPECT_EQ(k.LAuLen->text(), QStringLiteral("0秒"));
    EXPECT_FALSE(k.ChAuRnd->isChecked());
    EXPECT_FALSE(k.ChAuRnd->isEnabled());
    EXPECT_FALSE(k.ChAddAudio->isChecked());
    EXPECT_FALSE(k.ChAddAudio->isEnabled());

    EXPECT_FALSE(k.ChSame->isChecked());
    EXPECT_TRUE(k.ChSame->isEnabled());
    EXPECT_EQ(k.ChSame->text(), QStringLiteral("视频复用"));
    EXPECT_TRUE(k.ChNoSpace->isChecked());
    EXPECT_FALSE(k.ChCut->isChecked());
    EXPECT_FALSE(k.ChAcc->isChecked());
    EXPECT_FALSE(k.ChPPT->isChecked());
    EXPECT_FALSE(k.ChSingle->isChecked());
    EXPECT_FALSE(k.ChSingle->isEnabled());

    EXPECT_EQ(k.TVedio->text(), QStringLiteral("20"));
    EXPECT_EQ(k.TPlay->text(), QStringLiteral("3"));
    EXPECT_EQ(k.TPics->text(), QStringLiteral("1-1000"));
    EXPECT_FALSE(k.TPics->isEnabled());
    EXPECT_EQ(k.Label11->text(), QStringLiteral("图片参数："));

    EXPECT_EQ(k.ChKeepSize->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(k.ChKeepSize->isEnabled());
    EXPECT_EQ(k.CmbEffect->currentIndex(), 0);
    EXPECT_FALSE(k.CmbEffect->isVisible());

    EXPECT_EQ(k.CmbObject->currentIndex(), 0);
    EXPECT_EQ(k.CmdPath->text(), QStringLiteral("指定视频输入目录(&P)..."));
    EXPECT_EQ(k.CmdAddFiles->text(), QStringLiteral("添加视频文件(&A)..."));
    EXPECT_EQ(k.CmdReadFiles->text(), QStringLiteral("自动加载视频文件(&L)"));
    expectAddButtons(true);

    EXPECT_EQ(state().selectedVideoRow, -1);
    EXPECT_EQ(state().selectedAudioRow, -1);
    EXPECT_EQ(state().selectedPictureRow, -1);
}

TEST_F(OptionRulesTest, CaptionsItemsAndToolTipsAreExact)
{
    const MainControls &k = c();
    EXPECT_EQ(k.OptVV->text(), QStringLiteral("视频+视频"));
    EXPECT_EQ(k.OptPP->text(), QStringLiteral("图片+图片"));
    EXPECT_EQ(k.OptMix->text(), QStringLiteral("视频图片混合"));
    EXPECT_EQ(k.ChBat->text(), QStringLiteral("批量"));
    EXPECT_EQ(k.ChRndLen->text(), QStringLiteral("随机时长"));
    EXPECT_EQ(k.ChAuRnd->text(), QStringLiteral("随机截取音频"));
    EXPECT_EQ(k.ChAddAudio->text(), QStringLiteral("补齐音频"));
    EXPECT_EQ(k.ChNoSpace->text(), QStringLiteral("无缝组合"));
    EXPECT_EQ(k.ChCut->text(), QStringLiteral("精确裁剪"));
    EXPECT_EQ(k.ChAcc->text(), QStringLiteral("精准四分屏"));
    EXPECT_EQ(k.ChPPT->text(), QStringLiteral("幻灯片"));
    EXPECT_EQ(k.ChSingle->text(), QStringLiteral("四分屏"));
    EXPECT_EQ(k.ChKeepSize->text(), QStringLiteral("图片等比缩放"));

    EXPECT_EQ(itemsOf(k.CmbLen), QStringList({QStringLiteral("所有视频固定时长(过长会截取，过短不补齐)"),
                                              QStringLiteral("以第一个视频时长为准(过长会截取，过短不补齐)"),
                                              QStringLiteral("以最短视频时长为准(过长会截取，过短不补齐)"),
                                              QStringLiteral("以最长视频时长为准(过短不补齐)")}));
    EXPECT_EQ(itemsOf(k.CmbOutType), QStringList({"mp4", "avi", "flv", "wmv"}));
    EXPECT_EQ(itemsOf(k.CmbAudio),
              QStringList({QStringLiteral("基于第一个视频的音频"), QStringLiteral("基于最长时长的视频的音频"),
                           QStringLiteral("基于音频列表的指定音频"),
                           QStringLiteral("基于音频列表中的随机音频"), QStringLiteral("基于指定的音频")}));
    EXPECT_EQ(itemsOf(k.CmbEffect), QStringList({QStringLiteral("图片无特效"), QStringLiteral("淡入淡出"),
                                                 QStringLiteral("镜头拉近")}));
    EXPECT_EQ(itemsOf(k.CmbObject), QStringList({QStringLiteral("指定视频目录、添加/加载视频操作"),
                                                 QStringLiteral("指定音频目录、添加/加载音频操作"),
                                                 QStringLiteral("指定图片目录、添加/加载图片操作"),
                                                 QStringLiteral("指定输出目录")}));
    QStringList sizes{QStringLiteral("自动确定")};
    sizes << "1280x720"
          << "640x480"
          << "1920x1080"
          << "540x960"
          << "480x480"
          << "144x204"
          << "176x112"
          << "176x144"
          << "216x360"
          << "252x360"
          << "288x432"
          << "320x240"
          << "352x240"
          << "352x288"
          << "352x480"
          << "352x576"
          << "360x504"
          << "72x104"
          << "720x480"
          << "720x576"
          << "792x1008"
          << "800x600"
          << "1024x768"
          << "1280x760"
          << "1280x768"
          << "1360x768"
          << "1366x768" << QStringLiteral("自定义");
    EXPECT_EQ(itemsOf(k.CmbSize), sizes);

    const QString randomTip = QStringLiteral(
        "3-600秒；每次随机确定待生成的视频时长，然后从源视频中截取指定时长的片段用于组合，过短忽略截取。");
    EXPECT_EQ(k.TMax->toolTip(), QStringLiteral("1-2000个"));
    EXPECT_EQ(k.TLen->toolTip(), QStringLiteral("3-600秒"));
    EXPECT_EQ(k.TRndLen->toolTip(), randomTip);
    EXPECT_EQ(k.ChRndLen->toolTip(), randomTip);
    EXPECT_EQ(k.TVedio->toolTip(), QStringLiteral("10-30个"));
    EXPECT_EQ(k.TPlay->toolTip(), QStringLiteral("1-10秒"));
    EXPECT_EQ(k.TPics->toolTip(),
              QStringLiteral("从图片列表中随机抽取指定区间的图片张数，然后将抽取的图片系列转换成视频"));
    EXPECT_EQ(k.CmbSize->toolTip(), QStringLiteral("输出影片尺寸最小128x128，最大1920x1920；某些参数组合时，"
                                                   "输出视频尺寸强行自动确定，人工指定自动失效。"));
    EXPECT_EQ(k.ChSame->toolTip(),
              QStringLiteral("四分屏的每一个视频都是相同的；或者仅由同一张图片转换成视频"));
    EXPECT_EQ(k.ChAcc->toolTip(),
              QStringLiteral("即对视频进行精确裁剪组合成四分屏，开启会耗时，视频时长限制300秒之内"));
    EXPECT_EQ(k.ChCut->toolTip(), QStringLiteral("当视频时长大于指定的时长而需要截取时，进行精确到毫秒级截取"
                                                 "，但会耗时，否则快速截取但有秒级误差"));
    EXPECT_EQ(k.ChAddAudio->toolTip(), QStringLiteral("指定的音频过短时，用源视频后面部分的音频补齐"));
    EXPECT_EQ(k.ChNoSpace->toolTip(), QStringLiteral("每个视频之间尽可能不留空隙"));
    EXPECT_EQ(k.ChAuRnd->toolTip(), QStringLiteral("否则从头截取最长时长的音频"));
    EXPECT_EQ(k.ChKeepSize->toolTip(), QStringLiteral("不等比缩放，图片会变形"));
    EXPECT_EQ(
        k.ChPPT->toolTip(),
        QStringLiteral(
            "从视频源列表中随机n个视频，再从每个抽取的视频中随机截取1帧图组合成幻灯片，每帧播放指定的秒数"));
    EXPECT_EQ(k.ChSingle->toolTip(), QStringLiteral("默认是单屏幻灯片"));
    EXPECT_EQ(k.OptVV->toolTip(), QStringLiteral("所有组合成四分屏的素材源皆视频"));
    EXPECT_EQ(k.OptPP->toolTip(),
              QStringLiteral(
                  "所有组合成四分屏的素材源皆图片，图片会自动以幻灯片形式先转换成视频，然后再组合成四分屏"));
    EXPECT_EQ(k.OptMix->toolTip(),
              QStringLiteral("所有组合成四分屏的素材源随机来自视频或图片列表；来自图片的，会将图片(系列)"
                             "先转换成视频再组合成四分屏；至少有1个素材来自视频源,1个来自图片源。"));
    EXPECT_EQ(k.CmbObject->toolTip(), QStringLiteral("指定不同的操作对象，将作用于指定的对象"));
}

TEST_F(OptionRulesTest, ReadSettingsTakesTheControlsAndGreyKeepSizeAsTicked)
{
    RunSettings start = h->window->options().readSettings();
    EXPECT_EQ(start.composeMode, ComposeMode::VideoVideo);
    EXPECT_EQ(start.maxText, QStringLiteral("200"));
    EXPECT_EQ(start.lengthText, QStringLiteral("30"));
    EXPECT_EQ(start.randomLengthRangeText, QStringLiteral("3-600"));
    EXPECT_EQ(start.sizeText, QStringLiteral("自动确定"));
    EXPECT_TRUE(start.keepPictureSize);  // grey
    EXPECT_TRUE(start.noSpace);
    EXPECT_FALSE(start.reuse);

    clickMode(c().OptMix);
    c().CmbOutType->setCurrentIndex(2);
    c().CmbAudio->setCurrentIndex(3);
    const RunSettings mixed = h->window->options().readSettings();
    EXPECT_EQ(mixed.composeMode, ComposeMode::Mixed);
    EXPECT_EQ(mixed.outputType, QStringLiteral("flv"));
    EXPECT_EQ(mixed.audioRule, AudioRule::RandomAudio);
    EXPECT_EQ(mixed.sizeIndex, 3);
    EXPECT_EQ(mixed.outputWidth, 1920);
    EXPECT_EQ(mixed.outputHeight, 1080);
    EXPECT_TRUE(mixed.keepPictureSize);
}

// ---- key filters ------------------------------------------------------------------

TEST_F(OptionRulesTest, RefusedKeysAreDroppedWithABeep)
{
    typeInto(c().TLen, QStringLiteral("1a-2"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("12"));
    EXPECT_EQ(beeps(), 2);

    typeInto(c().TMax, QStringLiteral("5x"));
    EXPECT_EQ(c().TMax->text(), QStringLiteral("5"));
    EXPECT_EQ(beeps(), 3);

    typeInto(c().TVedio, QStringLiteral(" 2"));
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("2"));
    EXPECT_EQ(beeps(), 4);

    QTest::keyClick(c().TVedio, Qt::Key_Return);
    EXPECT_EQ(beeps(), 5);
}

TEST_F(OptionRulesTest, SlideSecondsTakeDigitsAndAreBroughtIntoOneToTen)
{
    c().ChPPT->click();
    const struct {
        const char *typed;
        const char *shown;
        int beeps;
    } cases[] = {{"0", "1", 0}, {"11", "10", 0}, {"7", "7", 0},
                 {"a", "7", 1}, {"-2", "2", 1},  {"2.5", "10", 1}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.typed);
        const int before = beeps();
        typeInto(c().TPlay, QString::fromLatin1(k.typed));
        leaveField();
        EXPECT_EQ(c().TPlay->text(), QString::fromLatin1(k.shown));
        EXPECT_EQ(beeps() - before, k.beeps);
    }
}

TEST_F(OptionRulesTest, RangesTakeADashAndSizesAnX)
{
    clickMode(c().OptPP);
    const int before = beeps();
    typeInto(c().TPics, QStringLiteral("3-9"));
    EXPECT_EQ(c().TPics->text(), QStringLiteral("3-9"));
    typeInto(c().TPics, QStringLiteral("3x9"));
    EXPECT_EQ(c().TPics->text(), QStringLiteral("39"));
    EXPECT_EQ(beeps(), before + 1);

    typeIntoSize(QStringLiteral("640x48-0X"));
    EXPECT_EQ(c().CmbSize->currentText(), QStringLiteral("640x480"));
    EXPECT_EQ(beeps(), before + 3);

    c().ChRndLen->click();
    typeInto(c().TRndLen, QStringLiteral("5-9."));
    EXPECT_EQ(c().TRndLen->text(), QStringLiteral("5-9"));
    EXPECT_EQ(beeps(), before + 4);
}

TEST_F(OptionRulesTest, BackspaceAndMovingKeysPassWithoutABeep)
{
    typeInto(c().TLen, QStringLiteral("123"));
    QTest::keyClick(c().TLen, Qt::Key_Backspace);
    QTest::keyClick(c().TLen, Qt::Key_Left);
    QTest::keyClick(c().TLen, Qt::Key_Delete);
    EXPECT_EQ(c().TLen->text(), QStringLiteral("1"));
    EXPECT_EQ(beeps(), 0);
}

TEST_F(OptionRulesTest, PasteIntoANumericFieldIsRefused)
{
    typeInto(c().TLen, QStringLiteral("45"));
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    QTest::keyClick(c().TLen, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(c().TLen->text(), QStringLiteral("45"));
    EXPECT_EQ(beeps(), 1);
}

// ---- validation when a field loses the focus ---------------------------------------

TEST_F(OptionRulesTest, LengthIsBroughtIntoThreeTo600)
{
    typeInto(c().TLen, QStringLiteral("5"));
    leaveField();
    EXPECT_EQ(c().TLen->text(), QStringLiteral("5"));

    typeInto(c().TLen, QStringLiteral("2"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("2")) << "no check while typing";
    leaveField();
    EXPECT_EQ(c().TLen->text(), QStringLiteral("3"));

    typeInto(c().TLen, QStringLiteral("900"));
    leaveField();
    EXPECT_EQ(c().TLen->text(), QStringLiteral("600"));

    typeInto(c().TLen, QStringLiteral("007"));
    leaveField();
    EXPECT_EQ(c().TLen->text(), QStringLiteral("7"));
    EXPECT_EQ(beeps(), 0);
}

TEST_F(OptionRulesTest, OutputCountIsBroughtIntoOneTo2000)
{
    typeInto(c().TMax, QStringLiteral("0"));
    leaveField();
    EXPECT_EQ(c().TMax->text(), QStringLiteral("1"));
    typeInto(c().TMax, QStringLiteral("2500"));
    leaveField();
    EXPECT_EQ(c().TMax->text(), QStringLiteral("2000"));
    typeInto(c().TMax, QString());
    QTest::keyClick(c().TMax, Qt::Key_Backspace);
    leaveField();
    EXPECT_EQ(c().TMax->text(), QStringLiteral("1"));
}

TEST_F(OptionRulesTest, FocusMovingToAnotherWindowIsNoLeavingOfTheField)
{
    typeInto(c().TLen, QStringLiteral("2"));
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(c().TLen, &away);
    EXPECT_EQ(c().TLen->text(), QStringLiteral("2"));
    QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(c().TLen, &tab);
    EXPECT_EQ(c().TLen->text(), QStringLiteral("3"));
}

TEST_F(OptionRulesTest, PictureRangeIsOrderedAndBroughtIntoOneTo1000)
{
    clickMode(c().OptPP);
    typeInto(c().TPics, QStringLiteral("5"));
    leaveField();
    EXPECT_EQ(c().TPics->text(), QStringLiteral("5-5"));
    typeInto(c().TPics, QStringLiteral("0-2000"));
    leaveField();
    EXPECT_EQ(c().TPics->text(), QStringLiteral("1-1000"));
    typeInto(c().TPics, QStringLiteral("9-4"));
    leaveField();
    EXPECT_EQ(c().TPics->text(), QStringLiteral("4-9"));
    typeInto(c().TPics, QStringLiteral("1500"));
    leaveField();
    EXPECT_EQ(c().TPics->text(), QStringLiteral("1000-1000"));
}

TEST_F(OptionRulesTest, SlideShowDrawsAFixedFrameCountOfAtMost25PerSecond)
{
    c().ChPPT->click();
    typeInto(c().TPlay, QStringLiteral("2"));
    typeInto(c().TPics, QStringLiteral("3-80"));
    leaveField();
    EXPECT_EQ(c().TPics->text(), QStringLiteral("50-50"));
    typeInto(c().TPics, QStringLiteral("70"));
    leaveField();
    EXPECT_EQ(c().TPics->text(), QStringLiteral("50-50"));
    typeInto(c().TPics, QStringLiteral("30-7"));
    leaveField();
    EXPECT_EQ(c().TPics->text(), QStringLiteral("7-7"));
}

TEST_F(OptionRulesTest, RandomLengthRangeSetsTheLength)
{
    c().ChRndLen->click();
    ASSERT_TRUE(c().TRndLen->isEnabled());
    typeInto(c().TRndLen, QStringLiteral("700"));
    leaveField();
    EXPECT_EQ(c().TRndLen->text(), QStringLiteral("600-600"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("600"));

    typeInto(c().TRndLen, QStringLiteral("20-5"));
    leaveField();
    EXPECT_EQ(c().TRndLen->text(), QStringLiteral("5-20"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("5"));

    typeInto(c().TRndLen, QStringLiteral("1-"));
    leaveField();
    EXPECT_EQ(c().TRndLen->text(), QStringLiteral("3-3"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("3"));
}

TEST_F(OptionRulesTest, VideoCountRoundsDownToFourWithoutReuse)
{
    // TPlay 3: 13 videos become 12 and the length 3 x 12 / 4.
    typeInto(c().TVedio, QStringLiteral("13"));
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("13")) << "left alone while typed";
    EXPECT_EQ(c().TLen->text(), QStringLiteral("39"));
    leaveField();
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("12"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("9"));

    typeInto(c().TVedio, QStringLiteral("45"));
    leaveField();
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("28"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("21"));

    typeInto(c().TVedio, QStringLiteral("2"));
    leaveField();
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("8"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("6"));
}

TEST_F(OptionRulesTest, VideoCountWithReuseIsOnlyClamped)
{
    // Reuse is reachable in a slide show once the four-split show is ticked.
    c().ChPPT->click();
    c().ChSingle->click();
    ASSERT_TRUE(c().ChSame->isEnabled());
    c().ChSame->click();
    ASSERT_TRUE(c().ChSame->isChecked());

    typeInto(c().TVedio, QStringLiteral("45"));
    leaveField();
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("30"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("90"));

    c().ChSame->click();  // reuse off
    EXPECT_EQ(c().TLen->text(), QStringLiteral("22.5"));
    typeInto(c().TVedio, QStringLiteral("45"));
    leaveField();
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("28"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("21"));
}

TEST_F(OptionRulesTest, SizeTextIsMadeEvenAndBroughtInto128To1920)
{
    clickMode(c().OptPP);
    typeIntoSize(QStringLiteral("1281x719"));
    leaveField();
    EXPECT_EQ(c().CmbSize->currentText(), QStringLiteral("1282x720"));
    EXPECT_EQ(state().outputWidth, 1282);
    EXPECT_EQ(state().outputHeight, 720);

    typeIntoSize(QStringLiteral("100x5000"));
    leaveField();
    EXPECT_EQ(c().CmbSize->currentText(), QStringLiteral("128x1920"));
    EXPECT_EQ(state().outputWidth, 128);
    EXPECT_EQ(state().outputHeight, 1920);
    EXPECT_EQ(beeps(), 0);
}

TEST_F(OptionRulesTest, SizeTextWithoutXShowsThe1080x720ItGives)
{
    clickMode(c().OptPP);
    typeIntoSize(QStringLiteral("1280"));
    leaveField();
    EXPECT_EQ(c().CmbSize->currentText(), QStringLiteral("1080x720"));
    EXPECT_EQ(state().outputWidth, 1080);
    EXPECT_EQ(state().outputHeight, 720);
    EXPECT_EQ(beeps(), 1);
}

// ---- derived lengths --------------------------------------------------------------

TEST_F(OptionRulesTest, SlideSecondsGiveTheLength)
{
    c().ChPPT->click();
    typeInto(c().TPlay, QStringLiteral("4"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("20"));  // 4 x 20 / 4
    c().UpDown2->stepUp();
    EXPECT_EQ(c().TPlay->text(), QStringLiteral("5"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("25"));
}

TEST_F(OptionRulesTest, TurningTheVideoSpinnerLeavesItsValue)
{
    c().ChPPT->click();
    QList<QToolButton *> arrows = c().UpDown3->findChildren<QToolButton *>();
    ASSERT_EQ(arrows.size(), 2);
    QToolButton *up = arrows.at(0)->arrowType() == Qt::UpArrow ? arrows.at(0) : arrows.at(1);
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), c().UpDown3);
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("21"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("63"));
}

TEST_F(OptionRulesTest, VideoCountSetWhileAnotherControlHasTheFocusIsRounded)
{
    c().ChPPT->click();
    leaveField();
    c().UpDown3->stepUp();  // not the spinner's own click: the focus stays on the button
    EXPECT_EQ(c().TVedio->text(), QStringLiteral("20"));
    EXPECT_EQ(c().TLen->text(), QStringLiteral("15"));
}

TEST_F(OptionRulesTest, LengthRefreshesThePictureRangeWhilePicturesExist)
{
    typeInto(c().TLen, QStringLiteral("40"));
    EXPECT_EQ(c().TPics->text(), QStringLiteral("1-1000")) << "no pictures yet";

    for (int i = 0; i < 40; ++i)
        h->window->lists().AppendRow(SourceKind::Picture,
                                     {QStringLiteral("p%1.jpg").arg(i), QStringLiteral("/p"), "64", "48"});
    typeInto(c().TLen, QStringLiteral("30"));
    EXPECT_EQ(c().TPics->text(), QStringLiteral("30-60"));
    typeInto(c().TLen, QStringLiteral("45"));
    EXPECT_EQ(c().TPics->text(), QStringLiteral("40-45"));
}

// ---- mode buttons -----------------------------------------------------------------

TEST_F(OptionRulesTest, AModeButtonSetsThePictureRangeFromTheList)
{
    clickMode(c().OptPP);
    EXPECT_EQ(c().TPics->text(), QStringLiteral("1-1000")) << "no pictures yet";
    clickMode(c().OptVV);
    for (int i = 0; i < 40; ++i)
        h->window->lists().AppendRow(SourceKind::Picture,
                                     {QStringLiteral("p%1.jpg").arg(i), QStringLiteral("/p"), "64", "48"});
    for (QRadioButton *mode : {c().OptPP, c().OptMix}) {
        SCOPED_TRACE(mode->objectName().toStdString());
        c().TPics->setText(QStringLiteral("1-1000"));
        clickMode(mode);
        EXPECT_EQ(c().TLen->text(), QStringLiteral("30"));
        EXPECT_EQ(c().TPics->text(), QStringLiteral("30-60"));
    }
}

// Switching to pictures runs the sound rule as a pick would: a video's sound
// becomes the chosen file, and its companions follow.
TEST_F(OptionRulesTest, PicturePictureModeRunsTheSoundRule)
{
    const struct {
        int before;
        int after;
    } cases[] = {{0, 4}, {1, 4}, {2, 2}, {3, 3}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.before);
        clickMode(c().OptVV);
        c().CmbAudio->setCurrentIndex(k.before);
        c().CmbObject->setCurrentIndex(0);
        clickMode(c().OptPP);
        EXPECT_EQ(c().CmbAudio->currentIndex(), k.after);
        EXPECT_EQ(c().CmbObject->currentIndex(), 1);
        EXPECT_TRUE(c().ChAuRnd->isEnabled());
        EXPECT_EQ(c().LNewAu->isEnabled(), k.after == 4);
        EXPECT_TRUE(c().ChAddAudio->isChecked());
        EXPECT_TRUE(c().ChAddAudio->isEnabled());
    }
    EXPECT_EQ(beeps(), 3) << "only Video+Video's own, ticking keep size again";
}

TEST_F(OptionRulesTest, PicturePictureMode)
{
    c().CmbSize->setCurrentIndex(2);  // kept by the mode
    clickMode(c().OptPP);
    expectModeEffects(ComposeMode::PicturePicture);
    EXPECT_EQ(c().CmbSize->currentIndex(), 2);
    EXPECT_EQ(beeps(), 0);
    expectAddButtons(true);  // the sound rule pointed the target at the audio list
}

TEST_F(OptionRulesTest, MixedMode)
{
    clickMode(c().OptMix);
    expectModeEffects(ComposeMode::Mixed);
    EXPECT_EQ(beeps(), 0);
    expectAddButtons(true);
}

TEST_F(OptionRulesTest, VideoVideoModeTicksKeepSizeAgainWithABeep)
{
    clickMode(c().OptPP);
    ASSERT_EQ(beeps(), 0);
    clickMode(c().OptVV);
    expectModeEffects(ComposeMode::VideoVideo);
    EXPECT_EQ(beeps(), 1);
    expectAddButtons(true);
}

TEST_F(OptionRulesTest, SwitchingModesBackAndForth)
{
    c().ChCut->click();
    clickMode(c().OptMix);
    expectModeEffects(ComposeMode::Mixed);
    c().CmbSize->setCurrentIndex(5);
    clickMode(c().OptPP);
    expectModeEffects(ComposeMode::PicturePicture);
    EXPECT_EQ(c().CmbSize->currentIndex(), 5);
    clickMode(c().OptVV);
    expectModeEffects(ComposeMode::VideoVideo);
    clickMode(c().OptMix);
    expectModeEffects(ComposeMode::Mixed);
    clickMode(c().OptVV);
    expectModeEffects(ComposeMode::VideoVideo);
    clickMode(c().OptPP);
    expectModeEffects(ComposeMode::PicturePicture);
    EXPECT_EQ(c().CmbSize->currentIndex(), 0) << "kept from Video+Video";
    clickMode(c().OptMix);
    expectModeEffects(ComposeMode::Mixed);
    EXPECT_EQ(beeps(), 2);  // each arrival in Video+Video
}

TEST_F(OptionRulesTest, AddAndLoadButtonsFollowModeAndTarget)
{
    struct Case {
        QRadioButton *mode;
        int target;
        bool enabled;
    };
    const Case cases[] = {{c().OptVV, 0, true},  {c().OptVV, 1, true},  {c().OptVV, 2, true},
                          {c().OptVV, 3, false}, {c().OptPP, 0, false}, {c().OptPP, 1, true},
                          {c().OptPP, 2, true},  {c().OptPP, 3, false}, {c().OptMix, 0, true},
                          {c().OptMix, 1, true}, {c().OptMix, 2, true}, {c().OptMix, 3, false}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.mode->objectName().toStdString() + " target " + std::to_string(k.target));
        k.mode->click();
        c().CmbObject->setCurrentIndex(k.target);
        expectAddButtons(k.enabled);
        // The other way round: the target first, then the mode. Pictures'
        // sound rule points the target at the audio list.
        c().OptMix->click();
        c().OptVV->click();
        c().CmbObject->setCurrentIndex(k.target);
        k.mode->click();
        const bool pictures = k.mode == c().OptPP;
        EXPECT_EQ(c().CmbObject->currentIndex(), pictures ? 1 : k.target);
        expectAddButtons(pictures || k.enabled);
    }
}

TEST_F(OptionRulesTest, ModeChangeUnticksReuseAndItsRuleFollows)
{
    c().ChSame->click();  // Video+Video reuse
    ASSERT_EQ(c().CmbLen->currentIndex(), 1);
    clickMode(c().OptPP);
    expectModeEffects(ComposeMode::PicturePicture);
    // Reuse off sets the length rule back to its first entry (kept disabled here).
    EXPECT_EQ(c().CmbLen->currentIndex(), 0);
    EXPECT_TRUE(c().ChNoSpace->isEnabled());
    EXPECT_TRUE(c().ChNoSpace->isChecked());
}

TEST_F(OptionRulesTest, AfterAModeClickTheModesStatesHoldWhateverWasTickedBefore)
{
    // The slide show and the precise four-split enable their companions when
    // unticked; the mode's own states still hold at the end of the click.
    struct Case {
        const char *before;
        std::function<void()> prepare;
        QRadioButton *MainControls::*mode;
        ComposeMode expected;
    };
    const auto slideShow = [this] { c().ChPPT->click(); };
    const auto fourSplitSlideShow = [this] {
        c().ChPPT->click();
        c().ChSingle->click();
    };
    const auto preciseQuad = [this] {
        answerNext(DialogAnswer::Yes);
        c().ChAcc->click();
    };
    const auto videoReuse = [this] { c().ChSame->click(); };
    const auto pictureReuse = [this] {
        clickMode(c().OptPP);
        c().ChSame->click();
    };
    const auto mixedWithPreciseCut = [this] {
        clickMode(c().OptMix);
        c().ChCut->click();
    };
    const Case cases[] = {
        {"slide show", slideShow, &MainControls::OptMix, ComposeMode::Mixed},
        {"slide show", slideShow, &MainControls::OptPP, ComposeMode::PicturePicture},
        {"four-split slide show", fourSplitSlideShow, &MainControls::OptMix, ComposeMode::Mixed},
        {"precise four-split", preciseQuad, &MainControls::OptMix, ComposeMode::Mixed},
        {"precise four-split", preciseQuad, &MainControls::OptPP, ComposeMode::PicturePicture},
        {"video reuse", videoReuse, &MainControls::OptMix, ComposeMode::Mixed},
        {"video reuse", videoReuse, &MainControls::OptPP, ComposeMode::PicturePicture},
        {"picture reuse", pictureReuse, &MainControls::OptVV, ComposeMode::VideoVideo},
        {"picture reuse", pictureReuse, &MainControls::OptMix, ComposeMode::Mixed},
        {"mixed with precise cut", mixedWithPreciseCut, &MainControls::OptVV, ComposeMode::VideoVideo},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(std::string(k.before) + " then mode " + std::to_string(int(k.expected)));
        h = std::make_unique<WindowHarness>();
        k.prepare();
        clickMode(c().*k.mode);
        expectModeEffects(k.expected);
        // Nothing of the slide show is left.
        EXPECT_FALSE(c().ChSingle->isChecked());
        EXPECT_FALSE(c().ChSingle->isEnabled());
        EXPECT_EQ(c().Label11->text(), QStringLiteral("图片参数："));
        // Every composition places its clips by it.
        EXPECT_TRUE(c().ChNoSpace->isEnabled());
    }
}

// ---- check boxes --------------------------------------------------------------------

TEST_F(OptionRulesTest, BatchEnablesTheOutputCount)
{
    QTest::mouseClick(c().ChBat, Qt::LeftButton);
    EXPECT_FALSE(c().ChBat->isChecked());
    EXPECT_FALSE(c().TMax->isEnabled());
    QTest::mouseClick(c().ChBat, Qt::LeftButton);
    EXPECT_TRUE(c().TMax->isEnabled());
}

TEST_F(OptionRulesTest, KeepSizeCannotBeUnticked)
{
    clickMode(c().OptPP);
    ASSERT_TRUE(c().ChKeepSize->isEnabled());
    ASSERT_EQ(c().ChKeepSize->checkState(), Qt::Checked);
    QTest::mouseClick(c().ChKeepSize, Qt::LeftButton);
    EXPECT_EQ(c().ChKeepSize->checkState(), Qt::Checked);
    EXPECT_EQ(beeps(), 1);
    EXPECT_TRUE(h->window->options().readSettings().keepPictureSize);
}

TEST_F(OptionRulesTest, ReuseInVideoVideo)
{
    c().CmbAudio->setCurrentIndex(3);
    c().CmbObject->setCurrentIndex(0);
    c().ChSame->click();
    const MainControls &k = c();
    EXPECT_TRUE(k.ChNoSpace->isChecked());
    EXPECT_FALSE(k.ChNoSpace->isEnabled());
    EXPECT_EQ(k.CmbSize->currentIndex(), 0);
    EXPECT_FALSE(k.CmbSize->isEnabled());
    EXPECT_FALSE(k.UpDown1->isEnabled());
    EXPECT_FALSE(k.TLen->isEnabled());
    EXPECT_FALSE(k.ChRndLen->isChecked());
    EXPECT_FALSE(k.ChRndLen->isEnabled());
    EXPECT_EQ(k.CmbLen->currentIndex(), 1);
    EXPECT_FALSE(k.CmbLen->isEnabled());
    EXPECT_EQ(k.CmbAudio->currentIndex(), 0);
    EXPECT_EQ(k.CmbObject->currentIndex(), 1) << "the audio rule ran";
    EXPECT_FALSE(k.ChAddAudio->isChecked());
    EXPECT_FALSE(k.ChAddAudio->isEnabled());
    EXPECT_FALSE(k.TPics->isEnabled());
    EXPECT_FALSE(k.ChCut->isChecked());
    EXPECT_FALSE(k.ChCut->isEnabled());

    c().ChSame->click();
    EXPECT_TRUE(k.ChNoSpace->isChecked());
    EXPECT_TRUE(k.ChNoSpace->isEnabled());
    EXPECT_TRUE(k.CmbSize->isEnabled());
    EXPECT_TRUE(k.UpDown1->isEnabled());
    EXPECT_TRUE(k.TLen->isEnabled());
    EXPECT_TRUE(k.ChRndLen->isEnabled());
    EXPECT_FALSE(k.TPics->isEnabled());
    EXPECT_EQ(k.CmbLen->currentIndex(), 0);
    EXPECT_TRUE(k.CmbLen->isEnabled());
    EXPECT_TRUE(k.ChCut->isEnabled());
    EXPECT_EQ(beeps(), 0);
}

TEST_F(OptionRulesTest, ReuseInPicturePicture)
{
    clickMode(c().OptPP);
    c().CmbAudio->setCurrentIndex(3);
    c().CmbSize->setCurrentIndex(2);
    c().ChSame->click();
    const MainControls &k = c();
    // Reuse selects the automatic size, which this mode refuses.
    EXPECT_EQ(k.CmbSize->currentIndex(), 3);
    EXPECT_EQ(state().outputWidth, 1920);
    EXPECT_EQ(beeps(), 1);
    EXPECT_EQ(k.CmbLen->currentIndex(), 0);
    EXPECT_FALSE(k.CmbLen->isEnabled());
    EXPECT_TRUE(k.ChAddAudio->isChecked());
    EXPECT_TRUE(k.ChAddAudio->isEnabled());
    EXPECT_FALSE(k.ChCut->isEnabled());

    c().ChSame->click();
    EXPECT_TRUE(k.TPics->isEnabled());
    EXPECT_FALSE(k.CmbLen->isEnabled());
    EXPECT_TRUE(k.ChAddAudio->isChecked()) << "pictures repeat a short audio with or without reuse";
    EXPECT_FALSE(k.ChCut->isEnabled());
}

TEST_F(OptionRulesTest, ReuseDuringASlideShowOnlySetsTheLength)
{
    c().ChPPT->click();
    c().ChSingle->click();
    const bool noSpaceBefore = c().ChNoSpace->isChecked();
    c().ChSame->click();
    EXPECT_EQ(c().TLen->text(), QStringLiteral("60"));
    EXPECT_EQ(c().ChNoSpace->isChecked(), noSpaceBefore);
    c().ChSame->click();
    EXPECT_EQ(c().TLen->text(), QStringLiteral("15"));
}

TEST_F(OptionRulesTest, EffectsOtherThanTheFirstAreRefused)
{
    clickMode(c().OptPP);
    c().CmbEffect->setCurrentIndex(2);
    EXPECT_EQ(c().CmbEffect->currentIndex(), 0);
    EXPECT_EQ(beeps(), 1);
}

TEST_F(OptionRulesTest, RandomLengthTickAndUntick)
{
    QTest::mouseClick(c().ChRndLen, Qt::LeftButton);
    EXPECT_EQ(c().TRndLen->text(), QStringLiteral("10-600"));
    EXPECT_TRUE(c().TRndLen->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), c().TRndLen);
    EXPECT_FALSE(c().TLen->isEnabled());
    EXPECT_FALSE(c().UpDown1->isEnabled());
    EXPECT_EQ(c().TLen->text(), QStringLiteral("10"));

    QTest::mouseClick(c().ChRndLen, Qt::LeftButton);
    EXPECT_EQ(c().TRndLen->text(), QStringLiteral("10-600"));
    EXPECT_FALSE(c().TRndLen->isEnabled());
    EXPECT_TRUE(c().TLen->isEnabled());
    EXPECT_TRUE(c().UpDown1->isEnabled());
    EXPECT_EQ(c().TLen->text(), QStringLiteral("30"));
}

TEST_F(OptionRulesTest, LengthRuleResetsLengthsAndEnablesOnlyForTheFixedRule)
{
    typeInto(c().TLen, QStringLiteral("45"));
    c().CmbLen->setCurrentIndex(2);
    EXPECT_EQ(c().TLen->text(), QStringLiteral("30"));
    EXPECT_EQ(c().TRndLen->text(), QStringLiteral("3-600"));
    EXPECT_FALSE(c().TLen->isEnabled());
    EXPECT_FALSE(c().UpDown1->isEnabled());
    EXPECT_FALSE(c().ChRndLen->isEnabled());

    c().CmbLen->setCurrentIndex(0);
    EXPECT_TRUE(c().TLen->isEnabled());
    EXPECT_TRUE(c().UpDown1->isEnabled());
    EXPECT_TRUE(c().ChRndLen->isEnabled());

    // Unticking the random length runs its own rule after the reset.
    c().ChRndLen->click();
    c().CmbLen->setCurrentIndex(3);
    EXPECT_FALSE(c().ChRndLen->isChecked());
    EXPECT_EQ(c().TRndLen->text(), QStringLiteral("10-600"));
    EXPECT_FALSE(c().TRndLen->isEnabled());
    EXPECT_FALSE(c().TLen->isEnabled());
    EXPECT_EQ(c().TLen->text(), QStringLiteral("30"));
}

TEST_F(OptionRulesTest, AudioRuleEnablesItsCompanions)
{
    struct Case {
        int rule;
        bool randomStart;
        bool fixedLabel;
        bool pad;
    };
    // Four different videos: there is nothing to pad with (see below).
    const Case cases[] = {{1, false, false, false},
                          {2, true, false, false},
                          {3, true, false, false},
                          {4, true, true, false},
                          {0, false, false, false}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.rule);
        c().CmbObject->setCurrentIndex(0);
        c().ChAuRnd->setChecked(true);
        c().CmbAudio->setCurrentIndex(k.rule);
        EXPECT_EQ(c().CmbObject->currentIndex(), 1);
        EXPECT_EQ(c().CmdAddFiles->text(), QStringLiteral("添加音频文件(&A)..."));
        EXPECT_FALSE(c().ChAuRnd->isChecked());
        EXPECT_EQ(c().ChAuRnd->isEnabled(), k.randomStart);
        EXPECT_EQ(c().LNewAu->isEnabled(), k.fixedLabel);
        EXPECT_EQ(c().ChAddAudio->isChecked(), k.pad);
        EXPECT_EQ(c().ChAddAudio->isEnabled(), k.pad);
    }
    EXPECT_EQ(beeps(), 0);
}

// 补齐音频 is offered where it pads: under one reused video (with its own
// sound) and under pictures (the audio repeats); ticked when it comes to act.
TEST_F(OptionRulesTest, PaddingTheAudioIsOfferedOnlyWhereItActs)
{
    struct Case {
        const char *name;
        std::function<void()> steps;
        bool pads;
    };
    const Case cases[] = {
        {"four videos", [&] { c().CmbAudio->setCurrentIndex(4); }, false},
        {"one reused video",
         [&] {
             c().ChSame->click();
             c().CmbAudio->setCurrentIndex(3);
         },
         true},
        {"reuse off again", [&] { c().ChSame->click(); }, false},
        {"slide show", [&] { c().ChPPT->click(); }, false},
        {"pictures", [&] { clickMode(c().OptPP); }, true},
        {"reused picture", [&] { c().ChSame->click(); }, true},
        {"reuse off under pictures", [&] { c().ChSame->click(); }, true},
        {"mixed", [&] { clickMode(c().OptMix); }, false},
        {"videos, reused, then precise four-split",
         [&] {
             clickMode(c().OptVV);
             c().ChSame->click();
             c().CmbAudio->setCurrentIndex(2);
             ASSERT_TRUE(c().ChAddAudio->isEnabled());
             c().ChAcc->click();  // its question answered Yes
         },
         false},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        k.steps();
        EXPECT_EQ(c().ChAddAudio->isEnabled(), k.pads);
        EXPECT_EQ(c().ChAddAudio->isChecked(), k.pads);
    }
}

TEST_F(OptionRulesTest, AudioRuleInTheMixedModeNeverPads)
{
    clickMode(c().OptMix);
    c().CmbAudio->setCurrentIndex(4);
    EXPECT_TRUE(c().ChAuRnd->isEnabled());
    EXPECT_FALSE(c().ChAddAudio->isChecked());
    EXPECT_FALSE(c().ChAddAudio->isEnabled());
}

TEST_F(OptionRulesTest, AudioRuleShowsTheAudioListsCurrentRow)
{
    h->window->lists().AppendRow(SourceKind::Audio, {"a.mp3", "/music", "61.5"});
    h->window->lists().AppendRow(SourceKind::Audio, {"b.mp3", "/music", "12"});
    c().MSFA->setCurrentEntry(1);
    c().CmbAudio->setCurrentIndex(2);
    EXPECT_EQ(c().LNewAu->text(), SourceTable::joinPath("/music", "a.mp3"));
    EXPECT_EQ(c().LAuLen->text(), QStringLiteral("61.5秒"));
}

TEST_F(OptionRulesTest, AudioOfAVideoInPicturePictureSelectsTheChosenFile)
{
    clickMode(c().OptPP);
    c().CmbAudio->setCurrentIndex(2);
    ASSERT_EQ(beeps(), 0);
    c().CmbAudio->setCurrentIndex(0);
    EXPECT_EQ(c().CmbAudio->currentText(), QStringLiteral("基于指定的音频"));
    EXPECT_EQ(beeps(), 1);
    EXPECT_TRUE(c().LNewAu->isEnabled());
    EXPECT_TRUE(c().ChAddAudio->isChecked());
    c().CmbAudio->setCurrentIndex(1);
    EXPECT_EQ(c().CmbAudio->currentIndex(), 4);
    EXPECT_EQ(beeps(), 2);
}

TEST_F(OptionRulesTest, PickingTheShownEntryRunsTheRuleAndAChangedPickRunsItOnce)
{
    // Pictures cannot have a video's sound: the mode's own run of the sound
    // rule chose the file, and a pick of a video's sound moves to it again.
    clickMode(c().OptPP);
    ASSERT_EQ(c().CmbAudio->currentIndex(), 4);
    ASSERT_EQ(beeps(), 0);
    pick(c().CmbAudio, 0);
    EXPECT_EQ(c().CmbAudio->currentIndex(), 4);
    EXPECT_EQ(beeps(), 1);
    // A pick that changes the entry runs the rule once: one beep for a size
    // without an "x".
    pick(c().CmbSize, c().CmbSize->count() - 1);
    EXPECT_EQ(c().CmbSize->currentText(), QStringLiteral("1080x720"));
    EXPECT_EQ(beeps(), 2);

    // The fixed-length rule picked again resets the typed length.
    clickMode(c().OptVV);
    typeInto(c().TLen, QStringLiteral("45"));
    leaveField();
    pick(c().CmbLen, 0);
    EXPECT_EQ(c().TLen->text(), QStringLiteral("30"));

    // A rule's own selections are no picks: the target box is left alone
    // when nothing is picked, and follows a pick of the shown audio entry.
    c().CmbObject->setCurrentIndex(0);
    QApplication::processEvents();
    pick(c().CmbAudio, c().CmbAudio->currentIndex());
    EXPECT_EQ(c().CmbObject->currentIndex(), 1);
}

TEST_F(OptionRulesTest, SlideShowTick)
{
    c().CmbObject->setCurrentIndex(2);
    c().ChSame->click();
    c().ChSame->click();  // reuse off again; leaves the size box enabled
    c().CmbLen->setCurrentIndex(2);
    const int before = beeps();
    QTest::mouseClick(c().ChPPT, Qt::LeftButton);
    const MainControls &k = c();
    ASSERT_TRUE(k.ChPPT->isChecked());
    EXPECT_FALSE(k.ChSingle->isChecked());
    EXPECT_TRUE(k.ChSingle->isEnabled());
    EXPECT_EQ(k.TPlay->text(), QStringLiteral("3"));
    EXPECT_TRUE(k.TPlay->isEnabled());
    EXPECT_TRUE(k.UpDown2->isEnabled());
    EXPECT_EQ(k.CmbAudio->currentIndex(), 4);
    EXPECT_EQ(k.CmbObject->currentIndex(), 1) << "the audio rule ran";
    EXPECT_FALSE(k.ChAddAudio->isChecked()) << "a slide show has no sound to pad with";
    for (QCheckBox *box : {k.ChNoSpace, k.ChSame, k.ChAcc, k.ChCut}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(box->isEnabled());
    }
    EXPECT_EQ(k.CmbSize->currentIndex(), 1);
    EXPECT_TRUE(k.CmbSize->isEnabled());
    EXPECT_EQ(state().outputWidth, 1280);
    EXPECT_EQ(state().outputHeight, 720);
    EXPECT_EQ(k.TLen->text(), QStringLiteral("9"));
    EXPECT_TRUE(k.TLen->isEnabled());
    EXPECT_TRUE(k.UpDown1->isEnabled());
    EXPECT_FALSE(k.ChRndLen->isChecked());
    EXPECT_FALSE(k.ChRndLen->isEnabled());
    EXPECT_EQ(k.CmbLen->currentIndex(), 0);
    EXPECT_FALSE(k.CmbLen->isEnabled());
    EXPECT_TRUE(k.TPics->isEnabled());
    EXPECT_EQ(k.Label11->text(), QStringLiteral("抽取帧数："));
    EXPECT_EQ(k.TPics->text(), QStringLiteral("1-1"));
    EXPECT_EQ(k.TVedio->text(), QStringLiteral("20"));
    EXPECT_TRUE(k.TVedio->isEnabled());
    EXPECT_TRUE(k.UpDown3->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), k.TVedio);
    EXPECT_EQ(beeps(), before);
}

TEST_F(OptionRulesTest, SlideShowUntick)
{
    c().ChPPT->click();
    c().ChSingle->click();
    typeInto(c().TPlay, QStringLiteral("2"));
    QTest::mouseClick(c().ChPPT, Qt::LeftButton);
    const MainControls &k = c();
    ASSERT_FALSE(k.ChPPT->isChecked());
    EXPECT_FALSE(k.ChSingle->isChecked());
    EXPECT_FALSE(k.ChSingle->isEnabled());
    EXPECT_EQ(k.TPlay->text(), QStringLiteral("3"));
    EXPECT_EQ(k.TLen->text(), QStringLiteral("15")) << "3 x 20 / 4 from the slide seconds";
    EXPECT_FALSE(k.TPlay->isEnabled());
    EXPECT_FALSE(k.UpDown2->isEnabled());
    for (QCheckBox *box : {k.ChRndLen, k.ChNoSpace, k.ChSame, k.ChAcc})
        EXPECT_TRUE(box->isEnabled()) << box->objectName().toStdString();
    EXPECT_EQ(k.ChSame->text(), QStringLiteral("视频复用"));
    EXPECT_FALSE(k.ChCut->isEnabled()) << "no rule enables it here";
    EXPECT_FALSE(k.TVedio->isEnabled());
    EXPECT_FALSE(k.UpDown3->isEnabled());
    EXPECT_EQ(k.Label11->text(), QStringLiteral("图片参数："));
    EXPECT_EQ(k.TPics->text(), QStringLiteral("1-1000"));
    EXPECT_TRUE(k.CmbLen->isEnabled());
    EXPECT_TRUE(k.TLen->isEnabled());
    EXPECT_TRUE(k.UpDown1->isEnabled());
    EXPECT_EQ(k.CmbSize->currentIndex(), 0);
    EXPECT_EQ(state().outputWidth, 0);
    EXPECT_EQ(beeps(), 0);
}

TEST_F(OptionRulesTest, SlideShowAfterPreciseQuadLeavesAllFourDisabled)
{
    answerNext(DialogAnswer::Yes);
    c().ChAcc->click();
    c().ChPPT->click();
    for (QCheckBox *box : {c().ChNoSpace, c().ChSame, c().ChAcc, c().ChCut}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(box->isEnabled());
    }
}

TEST_F(OptionRulesTest, FourSplitSlideShowRenamesReuse)
{
    c().ChPPT->click();
    ASSERT_FALSE(c().ChSame->isEnabled());
    c().ChSingle->click();
    EXPECT_EQ(c().ChSame->text(), QStringLiteral("帧图复用"));
    EXPECT_FALSE(c().ChSame->isChecked());
    EXPECT_TRUE(c().ChSame->isEnabled());
    c().ChSingle->click();
    EXPECT_EQ(c().ChSame->text(), QStringLiteral("视频复用"));
    EXPECT_FALSE(c().ChSame->isEnabled());
}

TEST_F(OptionRulesTest, PreciseQuadYesRemovesLongVideos)
{
    SourceListOps &lists = h->window->lists();
    lists.AppendRow(SourceKind::Video, videoRow("a.mp4", "100"));
    lists.AppendRow(SourceKind::Video, videoRow("b.mp4", "301"));
    lists.AppendRow(SourceKind::Video, videoRow("c.mp4", "300"));
    lists.AppendRow(SourceKind::Video, videoRow("d.mp4", "500.5"));
    lists.AppendRow(SourceKind::Video, videoRow("e.mp4", "20"));
    c().ChSame->click();
    c().ChCut->setEnabled(true);
    c().ChCut->click();
    answerNext(DialogAnswer::Yes);

    QTest::mouseClick(c().ChAcc, Qt::LeftButton);

    ASSERT_EQ(h->dialogs.messages.size(), 1);
    const MessageRequest &question = h->dialogs.messages.first();
    EXPECT_EQ(question.text, QStringLiteral("确定启用精准四分屏模式？启用则会删除时长超过300秒的列表记录。"));
    EXPECT_EQ(question.icon, MessageIcon::Information);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_TRUE(c().ChAcc->isChecked());
    ASSERT_EQ(c().MSFV->entryCount(), 3);
    EXPECT_EQ(c().MSFV->entryCells(1).value(0), QStringLiteral("a.mp4"));
    EXPECT_EQ(c().MSFV->entryCells(2).value(0), QStringLiteral("c.mp4"));
    EXPECT_EQ(c().MSFV->entryCells(3).value(0), QStringLiteral("e.mp4"));
    EXPECT_EQ(c().LVideoNum->text(), QStringLiteral("视频文件列表：3"));
    for (QCheckBox *box : {c().ChSame, c().ChNoSpace, c().ChCut}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(box->isEnabled());
    }

    QTest::mouseClick(c().ChAcc, Qt::LeftButton);
    EXPECT_EQ(h->dialogs.messages.size(), 1) << "no question when unticked";
    EXPECT_TRUE(c().ChSame->isEnabled());
    EXPECT_TRUE(c().ChNoSpace->isEnabled());
    EXPECT_TRUE(c().ChCut->isEnabled());
    EXPECT_EQ(c().MSFV->entryCount(), 3);
}

TEST_F(OptionRulesTest, PreciseQuadNoUnticksTheBoxAndKeepsTheList)
{
    h->window->lists().AppendRow(SourceKind::Video, videoRow("long.mp4", "900"));
    answerNext(DialogAnswer::No);
    QTest::mouseClick(c().ChAcc, Qt::LeftButton);
    EXPECT_EQ(h->dialogs.messages.size(), 1);
    EXPECT_FALSE(c().ChAcc->isChecked());
    EXPECT_EQ(c().MSFV->entryCount(), 1);
    EXPECT_EQ(c().LVideoNum->text(), QStringLiteral("视频文件列表：1"));
    EXPECT_TRUE(c().ChSame->isEnabled());
    EXPECT_TRUE(c().ChNoSpace->isEnabled());
    EXPECT_TRUE(c().ChNoSpace->isChecked());
    EXPECT_TRUE(c().ChCut->isEnabled());
}

// ---- size box ------------------------------------------------------------------------

TEST_F(OptionRulesTest, AutomaticSizeInPicturePictureSelects1920x1080)
{
    clickMode(c().OptPP);
    c().CmbSize->setCurrentIndex(2);
    EXPECT_EQ(state().outputWidth, 640);
    EXPECT_EQ(state().outputHeight, 480);
    ASSERT_EQ(beeps(), 0);

    // The user steps up the list to its first entry with the keyboard.
    c().CmbSize->setFocus();
    QTest::keyClick(c().CmbSize, Qt::Key_Up);
    QTest::keyClick(c().CmbSize, Qt::Key_Up);
    EXPECT_EQ(c().CmbSize->currentIndex(), 3);
    EXPECT_EQ(c().CmbSize->currentText(), QStringLiteral("1920x1080"));
    EXPECT_EQ(state().outputWidth, 1920);
    EXPECT_EQ(state().outputHeight, 1080);
    EXPECT_EQ(beeps(), 1);
}

TEST_F(OptionRulesTest, AutomaticSizeInASlideShowSelects1280x720)
{
    c().ChPPT->click();
    c().CmbSize->setCurrentIndex(2);
    c().CmbSize->setCurrentIndex(0);
    EXPECT_EQ(c().CmbSize->currentIndex(), 1);
    EXPECT_EQ(state().outputWidth, 1280);
    EXPECT_EQ(state().outputHeight, 720);
    EXPECT_EQ(beeps(), 1);
}

TEST_F(OptionRulesTest, CustomSizeEntryHasNoXAndFallsBackTo1080x720)
{
    clickMode(c().OptMix);
    c().CmbSize->setCurrentIndex(c().CmbSize->count() - 1);
    EXPECT_EQ(c().CmbSize->currentText(), QStringLiteral("1080x720")) << "the size it gives";
    EXPECT_EQ(state().outputWidth, 1080);
    EXPECT_EQ(state().outputHeight, 720);
    EXPECT_EQ(beeps(), 1);
}

// ---- target box ------------------------------------------------------------------------

TEST_F(OptionRulesTest, TargetSetsTheButtonCaptions)
{
    const MainControls &k = c();
    c().CmbObject->setCurrentIndex(1);
    EXPECT_EQ(k.CmdPath->text(), QStringLiteral("指定音频输入目录(&P)..."));
    EXPECT_EQ(k.CmdAddFiles->text(), QStringLiteral("添加音频文件(&A)..."));
    EXPECT_EQ(k.CmdReadFiles->text(), QStringLiteral("自动加载音频文件(&L)"));
    c().CmbObject->setCurrentIndex(2);
    EXPECT_EQ(k.CmdPath->text(), QStringLiteral("指定图片输入目录(&P)..."));
    EXPECT_EQ(k.CmdAddFiles->text(), QStringLiteral("添图片文件(&A)..."));
    EXPECT_EQ(k.CmdReadFiles->text(), QStringLiteral("自动加载图片文件(&L)"));
    c().CmbObject->setCurrentIndex(3);
    EXPECT_EQ(k.CmdPath->text(), QStringLiteral("指定输出目录(&P)..."));
    EXPECT_EQ(k.CmdAddFiles->text(), QStringLiteral("添图片文件(&A)...")) << "unchanged";
    EXPECT_EQ(k.CmdReadFiles->text(), QStringLiteral("自动加载图片文件(&L)")) << "unchanged";
    expectAddButtons(false);
    c().CmbObject->setCurrentIndex(0);
    EXPECT_EQ(k.CmdPath->text(), QStringLiteral("指定视频输入目录(&P)..."));
    EXPECT_EQ(k.CmdAddFiles->text(), QStringLiteral("添加视频文件(&A)..."));
    EXPECT_EQ(k.CmdReadFiles->text(), QStringLiteral("自动加载视频文件(&L)"));
    expectAddButtons(true);
}

}  // namespace
