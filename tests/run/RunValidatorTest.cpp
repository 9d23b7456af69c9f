#include "app/run/RunValidator.h"

#include "ScriptedDialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString Br = QStringLiteral("\r\n");

const QString NoVideos = QStringLiteral("请先载入视频文件列表！");
const QString NoPictures = QStringLiteral("请先载入图片文件列表！");
const QString NoAudios = QStringLiteral("请先载入音频文件列表！");
const QString RangeTooLarge = QStringLiteral("图片数量区间最大值过大!");
const QString MixedFewVideos = QStringLiteral("视频源不能少于4个！请再添加视频源！");
const QString MixedFewPictures = QStringLiteral("图片源不能少于4个！请再添加图片源！");
const QString MixedNoPictures = QStringLiteral("请先图片音频文件列表！");
const QString FewPictures = QStringLiteral("图片文件列表数过少，至少4张，请再加添图片文件列表！");
const QString NoDubbing = QStringLiteral("请先指定配音文件！");
const QString NoAudioFile = QStringLiteral("请先指定音频文件！");
const QString NoAudioSource = QStringLiteral("请指定音频来源！");
const QString LengthMismatch =
    QStringLiteral("生成的视频时长与每帧播放时长、抽取帧数、随机抽取视频源数相互之间不匹配，请修正！");
const QString NotMultipleOfFour = QStringLiteral("随机选取视频数必须是4的倍数！");
const QString Hint = QStringLiteral("固定音频文件未指定(双击此指定，或者从音频文件列表中选定)");

QString videoCombination(const QString &max)
{
    return QStringLiteral("视频文件列表数过少，无法生成") + max
           + QStringLiteral("个视频！请再添加视频文件列表，或者减小生成个数.") + Br
           + QStringLiteral("是——重新指定或者添加视频文件数") + Br + QStringLiteral("否——自动修改生成总个数");
}

QString pictureCombination(const QString &max)
{
    return QStringLiteral("图片文件列表数过少，无法生成") + max
           + QStringLiteral("个视频！请再添加图片文件列表，或者减小生成个数.") + Br
           + QStringLiteral("是——重新指定或者添加视频文件数") + Br + QStringLiteral("否——自动修改生成总个数");
}

QString mixedCombination(const QString &max)
{
    return QStringLiteral("图片、视频文件列表数过少，无法生成") + max
           + QStringLiteral("个视频！请再添加图片、视频文件列表，或者减小生成个数。") + Br
           + QStringLiteral("是——更改生成总个数") + Br + QStringLiteral("否——自动修改生成总个数");
}

QString reuseTexts(const QString &phrase, const QString &max, const QString &listWord)
{
    return phrase + max + QStringLiteral("个视频！请再添加") + listWord
           + QStringLiteral("文件列表，或者减小生成个数，或者取消复用模式。") + Br
           + QStringLiteral("是——取消复用模式") + Br + QStringLiteral("否——更改生成总个数") + Br
           + QStringLiteral("取消——自动修改生成总个数");
}

QString videoReuse(const QString &max)
{
    return reuseTexts(QStringLiteral("视频文件列表数过少，无法生成"), max, QStringLiteral("视频"));
}

QString pictureReuse(const QString &max)
{
    return reuseTexts(QStringLiteral("图片文件列表数过少，无法生成"), max, QStringLiteral("图片"));
}

QString slideCountMessage(const QString &drawn)
{
    return QStringLiteral("视频源数太少，不能少于") + drawn + QStringLiteral("个！") + Br
           + QStringLiteral("请再添加视频源，或者减小每次随机抽取视频源数。");
}

class RunValidatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        audioFile = folder.filePath(QStringLiteral("配音 1.mp3"));
        QFile file(audioFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not checked for content");
        settings.fixedAudioText = Hint;
    }

    RunValidation validate(int videos, int audios, int pictures)
    {
        return ValidateRun(settings, SourceCounts{videos, audios, pictures}, dialogs);
    }

    void answer(DialogAnswer a) { dialogs.answers.enqueue(a); }

    void expectPlainError(int index)
    {
        ASSERT_LT(index, dialogs.messages.size());
        const MessageRequest &m = dialogs.messages.at(index);
        EXPECT_EQ(m.icon, MessageIcon::Error) << m.text.toStdString();
        EXPECT_EQ(m.buttons, MessageButtons::Ok) << m.text.toStdString();
    }

    void expectAllPlainErrors()
    {
        for (int i = 0; i < dialogs.messages.size(); ++i)
            expectPlainError(i);
    }

    void expectNoCorrections(const RunValidation &r)
    {
        EXPECT_FALSE(r.newMaxText.has_value());
        EXPECT_FALSE(r.newPictureRangeText.has_value());
        EXPECT_EQ(r.reuse, ReuseCorrection::Keep);
        EXPECT_EQ(r.focus, FocusRequest::None);
    }

    QTemporaryDir folder;
    QString audioFile;
    RunSettings settings;
    ScriptedDialogs dialogs;
};

}  // namespace

// ---- Video+Video ------------------------------------------------------------

TEST_F(RunValidatorTest, VideoVideoWithEnoughSourcesPassesSilently)
{
    const RunValidation r = validate(10, 0, 0);  // C(10,4) = 210 >= 200
    EXPECT_TRUE(r.mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    expectNoCorrections(r);
}

TEST_F(RunValidatorTest, VideoVideoCountEqualToTheLimitPasses)
{
    settings.maxText = QStringLiteral("210");
    EXPECT_TRUE(validate(10, 0, 0).mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RunValidatorTest, VideoVideoTooManyOutputsYesRefuses)
{
    settings.maxText = QStringLiteral("300");
    answer(DialogAnswer::Yes);
    const RunValidation r = validate(10, 0, 0);

    ASSERT_EQ(dialogs.messages.size(), 1);
    const MessageRequest &m = dialogs.messages.first();
    EXPECT_EQ(m.text, videoCombination(QStringLiteral("300")));
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.buttons, MessageButtons::YesNo);
    EXPECT_EQ(m.defaultAnswer, DialogAnswer::Yes);
    EXPECT_FALSE(r.mayStart);
    expectNoCorrections(r);
}

TEST_F(RunValidatorTest, VideoVideoTooManyOutputsNoLowersTheCount)
{
    settings.maxText = QStringLiteral("300");
    answer(DialogAnswer::No);
    const RunValidation r = validate(10, 0, 0);

    EXPECT_EQ(dialogs.messageTexts(), QStringList{videoCombination(QStringLiteral("300"))});
    EXPECT_TRUE(r.mayStart);
    EXPECT_EQ(r.newMaxText, QStringLiteral("210"));
}

// No answer sets a count below 1: a run that could make nothing is refused.
TEST_F(RunValidatorTest, ALimitOfNoneRefusesTheRunWhateverTheAnswer)
{
    struct Case {
        ComposeMode mode;
        bool reuse;
        SourceCounts counts;
        DialogAnswer answer;
    };
    const Case cases[] = {{ComposeMode::VideoVideo, false, {3, 0, 0}, DialogAnswer::No},
                          {ComposeMode::VideoVideo, false, {3, 0, 0}, DialogAnswer::Yes},
                          {ComposeMode::VideoVideo, true, {0, 0, 0}, DialogAnswer::Cancel},
                          {ComposeMode::PicturePicture, false, {0, 0, 3}, DialogAnswer::No},
                          {ComposeMode::Mixed, false, {1, 0, 2}, DialogAnswer::No}};
    for (const Case &k : cases) {
        SCOPED_TRACE(int(k.mode) * 10 + int(k.answer));
        dialogs.clear();
        settings.composeMode = k.mode;
        settings.reuse = k.reuse;
        settings.maxText = QStringLiteral("1");
        answer(k.answer);
        const RunValidation r = ValidateRun(settings, k.counts, dialogs);
        EXPECT_FALSE(r.mayStart);
        EXPECT_FALSE(r.newMaxText.has_value());
        // The dialog of the design said why.
        ASSERT_FALSE(dialogs.messages.isEmpty());
        EXPECT_TRUE(dialogs.messages.last().text.contains(QStringLiteral("无法生成1个视频！")));
    }
}

TEST_F(RunValidatorTest, CountIsReadAsTheLeadingNumberAndShownAsTyped)
{
    settings.maxText = QStringLiteral("211个");
    answer(DialogAnswer::No);
    const RunValidation r = validate(10, 0, 0);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{videoCombination(QStringLiteral("211个"))});
    EXPECT_EQ(r.newMaxText, QStringLiteral("210"));

    dialogs.clear();
    settings.maxText = QStringLiteral("abc");  // reads as 0
    EXPECT_TRUE(validate(3, 0, 0).mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RunValidatorTest, VideoVideoReuseCancelSetsTheCountToTheVideos)
{
    settings.reuse = true;
    settings.maxText = QStringLiteral("8");
    answer(DialogAnswer::Cancel);
    const RunValidation r = validate(5, 0, 0);

    ASSERT_EQ(dialogs.messages.size(), 1);
    const MessageRequest &m = dialogs.messages.first();
    EXPECT_EQ(m.text, videoReuse(QStringLiteral("8")));
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(m.defaultAnswer, DialogAnswer::Yes);
    EXPECT_TRUE(r.mayStart);
    EXPECT_EQ(r.newMaxText, QStringLiteral("5"));
    EXPECT_EQ(r.reuse, ReuseCorrection::Keep);
}

TEST_F(RunValidatorTest, VideoVideoReuseYesTurnsReuseOff)
{
    settings.reuse = true;
    settings.maxText = QStringLiteral("8");
    answer(DialogAnswer::Yes);
    const RunValidation r = validate(5, 0, 0);

    EXPECT_EQ(dialogs.messageTexts(), QStringList{videoReuse(QStringLiteral("8"))});
    EXPECT_TRUE(r.mayStart);
    EXPECT_EQ(r.reuse, ReuseCorrection::Untick);
    // The combination limit (C(5,4) = 5) waits for the next request.
    EXPECT_FALSE(r.newMaxText.has_value());
}

TEST_F(RunValidatorTest, VideoVideoReuseNoRefuses)
{
    settings.reuse = true;
    settings.maxText = QStringLiteral("8");
    answer(DialogAnswer::No);
    const RunValidation r = validate(5, 0, 0);

    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_FALSE(r.mayStart);
    expectNoCorrections(r);
}

TEST_F(RunValidatorTest, VideoVideoReuseWithinTheLimitAsksNothing)
{
    settings.reuse = true;
    settings.maxText = QStringLiteral("5");
    const RunValidation r = validate(5, 0, 0);
    EXPECT_TRUE(r.mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RunValidatorTest, EmptyVideoListIsToldBeforeTheCountDialog)
{
    answer(DialogAnswer::No);
    const RunValidation r = validate(0, 0, 0);

    EXPECT_EQ(dialogs.messageTexts(), (QStringList{NoVideos, videoCombination(QStringLiteral("200"))}));
    expectPlainError(0);
    EXPECT_FALSE(r.mayStart);
    EXPECT_FALSE(r.newMaxText.has_value()) << "no count of none";
}

TEST_F(RunValidatorTest, VideoVideoAudioRules)
{
    struct Case {
        int rule;
        int audios;
        bool fixedFile;
        QString message;  // empty: no message
    };
    const QList<Case> cases = {
        {0, 0, false, {}},      {1, 0, false, {}}, {2, 5, false, NoAudioSource}, {2, 5, true, {}},
        {3, 0, true, NoAudios}, {3, 1, false, {}}, {4, 5, false, NoAudioSource}, {4, 0, true, {}},
    };
    for (const Case &c : cases) {
        dialogs.clear();
        settings.audioRule = AudioRule(c.rule);
        settings.fixedAudioText = c.fixedFile ? audioFile : Hint;
        const RunValidation r = validate(10, c.audios, 0);
        const QStringList expected = c.message.isEmpty() ? QStringList() : QStringList{c.message};
        EXPECT_EQ(dialogs.messageTexts(), expected) << "rule " << c.rule;
        EXPECT_EQ(r.mayStart, c.message.isEmpty()) << "rule " << c.rule;
        expectAllPlainErrors();
    }
}

TEST_F(RunValidatorTest, FixedAudioMustBeAFile)
{
    settings.audioRule = AudioRule(4);
    settings.fixedAudioText = folder.path();  // a folder, not a file
    EXPECT_FALSE(validate(10, 0, 0).mayStart);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{NoAudioSource});
}

// ---- Video slide show ---------------------------------------------------------

TEST_F(RunValidatorTest, SlideShowLengthMustHoldTheSlides)
{
    settings.slideShow = true;
    settings.videoDrawText = QStringLiteral("8");
    settings.slideSecondsText = QStringLiteral("3");
    settings.lengthText = QStringLiteral("5");  // 4 x 5 = 20 < 24
    RunValidation r = validate(10, 0, 0);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LengthMismatch});
    expectAllPlainErrors();
    EXPECT_FALSE(r.mayStart);

    dialogs.clear();
    settings.lengthText = QStringLiteral("6");  // 24 = 24
    r = validate(10, 0, 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(r.mayStart);
}

TEST_F(RunValidatorTest, SlideShowNeedsAMultipleOfFourWithoutReuse)
{
    settings.slideShow = true;
    settings.videoDrawText = QStringLiteral("6");
    settings.slideSecondsText = QStringLiteral("3");
    settings.lengthText = QStringLiteral("30");
    const RunValidation r = validate(10, 0, 0);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{NotMultipleOfFour});
    EXPECT_FALSE(r.mayStart);
}

TEST_F(RunValidatorTest, SlideShowWithTooFewVideosAsksForTheDrawnCount)
{
    settings.slideShow = true;
    settings.videoDrawText = QStringLiteral("20");
    settings.slideSecondsText = QStringLiteral("3");
    settings.lengthText = QStringLiteral("15");
    const RunValidation r = validate(19, 0, 0);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{slideCountMessage(QStringLiteral("20"))});
    EXPECT_FALSE(r.mayStart);
    EXPECT_EQ(r.focus, FocusRequest::VideoDraw);

    dialogs.clear();
    EXPECT_TRUE(validate(20, 0, 0).mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RunValidatorTest, SlideShowShowsAllItsMessagesInOrder)
{
    settings.slideShow = true;
    settings.videoDrawText = QStringLiteral("30");
    settings.slideSecondsText = QStringLiteral("3");
    settings.lengthText = QStringLiteral("5");
    const RunValidation r = validate(10, 0, 0);
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{slideCountMessage(QStringLiteral("30")), LengthMismatch, NotMultipleOfFour}));
    expectAllPlainErrors();
    EXPECT_FALSE(r.mayStart);
}

TEST_F(RunValidatorTest, SlideShowWithReuseComparesTheWholeLength)
{
    settings.slideShow = true;
    settings.reuse = true;
    settings.maxText = QStringLiteral("500");  // no reuse dialog in a slide show
    settings.videoDrawText = QStringLiteral("6");
    settings.slideSecondsText = QStringLiteral("3");
    settings.lengthText = QStringLiteral("17");  // 17 < 18
    EXPECT_FALSE(validate(10, 0, 0).mayStart);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LengthMismatch});

    dialogs.clear();
    settings.lengthText = QStringLiteral("18");
    EXPECT_TRUE(validate(10, 0, 0).mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RunValidatorTest, SlideShowSkipsTheCombinationDialog)
{
    settings.slideShow = true;
    settings.maxText = QStringLiteral("2000");
    settings.videoDrawText = QStringLiteral("8");
    settings.slideSecondsText = QStringLiteral("3");
    settings.lengthText = QStringLiteral("9");
    EXPECT_TRUE(validate(10, 0, 0).mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// ---- Picture+Picture ------------------------------------------------------------

class PicturePictureTest : public RunValidatorTest {
protected:
    void SetUp() override
    {
        RunValidatorTest::SetUp();
        settings.composeMode = ComposeMode::PicturePicture;
        settings.audioRule = AudioRule(4);
        settings.fixedAudioText = audioFile;
        settings.pictureRangeText = QStringLiteral("4-600");  // 30 s: one picture a frame
    }
};

TEST_F(PicturePictureTest, ValidRequestPassesSilently)
{
    const RunValidation r = validate(0, 0, 10);
    EXPECT_TRUE(r.mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    expectNoCorrections(r);
}

TEST_F(PicturePictureTest, RangeBelowFourIsRaised)
{
    settings.pictureRangeText = QStringLiteral("2-10");
    const RunValidation r = validate(0, 0, 10);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{RangeTooLarge});
    expectAllPlainErrors();
    EXPECT_FALSE(r.mayStart);
    EXPECT_EQ(r.newPictureRangeText, QStringLiteral("4-10"));
}

TEST_F(PicturePictureTest, StartUpRangeIsRaisedToFour)
{
    settings.pictureRangeText = QStringLiteral("1-1000");
    const RunValidation r = validate(0, 0, 10);
    EXPECT_EQ(r.newPictureRangeText, QStringLiteral("4-600"));
    EXPECT_FALSE(r.mayStart);
}

TEST_F(PicturePictureTest, RangeWithFewPicturesKeepsItsOrder)
{
    settings.pictureRangeText = QStringLiteral("5-3");
    const RunValidation r = validate(0, 0, 3);
    EXPECT_EQ(r.newPictureRangeText, QStringLiteral("5-5"));
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{RangeTooLarge, FewPictures, pictureCombination(QStringLiteral("200"))}));
    expectPlainError(0);
    expectPlainError(1);
    EXPECT_FALSE(r.mayStart);
}

TEST_F(PicturePictureTest, EmptyPictureList)
{
    answer(DialogAnswer::No);
    const RunValidation r = validate(0, 0, 0);
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{RangeTooLarge, NoPictures, pictureCombination(QStringLiteral("200"))}));
    EXPECT_FALSE(r.mayStart);
    EXPECT_EQ(r.newPictureRangeText, QStringLiteral("4-600"));
    EXPECT_FALSE(r.newMaxText.has_value());
}

TEST_F(PicturePictureTest, AudioChecks)
{
    settings.audioRule = AudioRule(3);
    EXPECT_FALSE(validate(0, 0, 10).mayStart);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{NoAudios});

    // With an audio list, the fixed file is still needed.
    dialogs.clear();
    settings.fixedAudioText = Hint;
    EXPECT_FALSE(validate(0, 3, 10).mayStart);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{NoDubbing});

    dialogs.clear();
    settings.audioRule = AudioRule(2);
    EXPECT_FALSE(validate(0, 3, 10).mayStart);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{NoDubbing});

    dialogs.clear();
    settings.audioRule = AudioRule(4);
    settings.fixedAudioText = audioFile;
    EXPECT_TRUE(validate(0, 0, 10).mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PicturePictureTest, ReuseDialogUsesThePictureTexts)
{
    settings.reuse = true;
    settings.maxText = QStringLiteral("12");
    answer(DialogAnswer::Cancel);
    const RunValidation r = validate(0, 0, 10);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, pictureReuse(QStringLiteral("12")));
    EXPECT_EQ(dialogs.messages.first().buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(dialogs.messages.first().icon, MessageIcon::Information);
    EXPECT_TRUE(r.mayStart);
    EXPECT_EQ(r.newMaxText, QStringLiteral("10"));
}

TEST_F(PicturePictureTest, ReuseYesUnticksReuse)
{
    settings.reuse = true;
    settings.maxText = QStringLiteral("12");
    answer(DialogAnswer::Yes);
    const RunValidation r = validate(0, 0, 10);
    EXPECT_TRUE(r.mayStart);
    EXPECT_EQ(r.reuse, ReuseCorrection::Untick);
    EXPECT_FALSE(r.newMaxText.has_value());
}

TEST_F(PicturePictureTest, CombinationDialogUsesThePictureTexts)
{
    settings.maxText = QStringLiteral("300");
    answer(DialogAnswer::No);
    const RunValidation r = validate(0, 0, 10);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, pictureCombination(QStringLiteral("300")));
    EXPECT_EQ(dialogs.messages.first().buttons, MessageButtons::YesNo);
    EXPECT_TRUE(r.mayStart);
    EXPECT_EQ(r.newMaxText, QStringLiteral("210"));
}

TEST_F(PicturePictureTest, CountDialogAppearsEvenAfterOtherProblems)
{
    settings.fixedAudioText = Hint;
    settings.maxText = QStringLiteral("300");
    answer(DialogAnswer::No);
    const RunValidation r = validate(0, 0, 10);
    EXPECT_EQ(dialogs.messageTexts(), (QStringList{NoDubbing, pictureCombination(QStringLiteral("300"))}));
    EXPECT_FALSE(r.mayStart);
    EXPECT_EQ(r.newMaxText, QStringLiteral("210"));
}

// ---- Mixed ----------------------------------------------------------------------

class MixedTest : public RunValidatorTest {
protected:
    void SetUp() override
    {
        RunValidatorTest::SetUp();
        settings.composeMode = ComposeMode::Mixed;
        settings.pictureRangeText = QStringLiteral("1-600");  // 30 s: one picture a frame
    }
};

TEST_F(MixedTest, ValidRequestPassesSilently)
{
    const RunValidation r = validate(6, 0, 6);  // C(12,4) = 495
    EXPECT_TRUE(r.mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    expectNoCorrections(r);
}

TEST_F(MixedTest, EmptyPictureListShowsItsFourMessagesInOrder)
{
    const RunValidation r = validate(10, 0, 0);  // C(10,4) = 210: no count dialog
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{MixedFewPictures, RangeTooLarge, NoPictures, MixedNoPictures}));
    expectAllPlainErrors();
    EXPECT_FALSE(r.mayStart);
    EXPECT_EQ(r.newPictureRangeText, QStringLiteral("4-600"));
}

TEST_F(MixedTest, EmptyListsShowEveryMessage)
{
    answer(DialogAnswer::Yes);
    const RunValidation r = validate(0, 0, 0);
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{MixedFewVideos, MixedFewPictures, RangeTooLarge, NoPictures, NoVideos,
                           MixedNoPictures, mixedCombination(QStringLiteral("200"))}));
    EXPECT_FALSE(r.mayStart);
    EXPECT_FALSE(r.newMaxText.has_value());
}

// A picture shows for one frame at least (20 a second): an upper count above
// the output's frames is lowered, silently, and the run goes on.
TEST_F(MixedTest, PictureCountsAboveOnePerFrameAreLowered)
{
    struct Case {
        ComposeMode mode;
        double lengthSeconds;
        bool randomLength;
        const char *range;
        const char *lowered;  // nullptr: kept
    };
    const Case cases[] = {{ComposeMode::Mixed, 4, false, "1-1000", "1-80"},
                          {ComposeMode::Mixed, 4, false, "1-80", nullptr},
                          {ComposeMode::Mixed, 4, false, "100-1000", "80-80"},
                          {ComposeMode::PicturePicture, 4, false, "4-1000", "4-80"},
                          {ComposeMode::PicturePicture, 4, true, "4-1000", "4-200"},  // up to 10 s
                          {ComposeMode::PicturePicture, 30, false, "4-600", nullptr}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.range);
        dialogs.clear();
        settings.composeMode = k.mode;
        settings.audioRule = AudioRule::FixedAudio;
        settings.fixedAudioText = audioFile;
        settings.lengthSeconds = k.lengthSeconds;
        settings.randomLength = k.randomLength;
        settings.randomLengthRange = NumberRange{3, 10};
        settings.pictureRangeText = QString::fromLatin1(k.range);
        settings.maxText = QStringLiteral("10");
        const RunValidation r = validate(6, 0, 6);
        EXPECT_TRUE(r.mayStart);
        EXPECT_TRUE(dialogs.messages.isEmpty());
        if (k.lowered)
            EXPECT_EQ(r.newPictureRangeText, QString::fromLatin1(k.lowered));
        else
            EXPECT_FALSE(r.newPictureRangeText.has_value());
    }
}

TEST_F(MixedTest, RangeNeedsOnlyOnePicture)
{
    settings.pictureRangeText = QStringLiteral("1-3");
    EXPECT_TRUE(validate(6, 0, 6).mayStart);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    settings.pictureRangeText = QStringLiteral("0-5");
    const RunValidation r = validate(6, 0, 6);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{RangeTooLarge});
    EXPECT_EQ(r.newPictureRangeText, QStringLiteral("4-5"));
    EXPECT_FALSE(r.mayStart);
}

TEST_F(MixedTest, AudioChecks)
{
    struct Case {
        int rule;
        int audios;
        bool fixedFile;
        QString message;
    };
    const QList<Case> cases = {
        {0, 0, false, {}}, {1, 0, false, {}}, {2, 0, false, NoAudios},    {3, 0, false, NoAudios},
        {3, 0, true, {}},  {2, 2, false, {}}, {4, 3, false, NoAudioFile}, {4, 0, true, {}},
    };
    for (const Case &c : cases) {
        dialogs.clear();
        settings.audioRule = AudioRule(c.rule);
        settings.fixedAudioText = c.fixedFile ? audioFile : Hint;
        const RunValidation r = validate(6, c.audios, 6);
        const QStringList expected = c.message.isEmpty() ? QStringList() : QStringList{c.message};
        EXPECT_EQ(dialogs.messageTexts(), expected) << "rule " << c.rule;
        EXPECT_EQ(r.mayStart, c.message.isEmpty()) << "rule " << c.rule;
    }
}

TEST_F(MixedTest, CombinationDialogCountsBothLists)
{
    settings.reuse = true;  // reuse plays no part in the mixed mode
    settings.maxText = QStringLiteral("100");
    answer(DialogAnswer::No);
    const RunValidation r = validate(4, 0, 4);  // C(8,4) = 70
    ASSERT_EQ(dialogs.messages.size(), 1);
    const MessageRequest &m = dialogs.messages.first();
    EXPECT_EQ(m.text, mixedCombination(QStringLiteral("100")));
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.buttons, MessageButtons::YesNo);
    EXPECT_EQ(m.defaultAnswer, DialogAnswer::Yes);
    EXPECT_TRUE(r.mayStart);
    EXPECT_EQ(r.newMaxText, QStringLiteral("70"));
    EXPECT_EQ(r.reuse, ReuseCorrection::Keep);
}

TEST_F(MixedTest, HugeListsUseTheOverflowLimit)
{
    settings.maxText = QStringLiteral("2000");
    EXPECT_TRUE(validate(300, 0, 300).mayStart);  // limit 999999999
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
