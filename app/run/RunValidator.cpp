#include "app/run/RunValidator.h"

#include "app/base/NumberText.h"
#include "app/library/CombinationCount.h"
#include "platform/DialogService.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString LineBreak = QStringLiteral("\r\n");

// The frame rate a picture series is read at (PictureClip).
constexpr double kPictureFramesPerSecond = 20;

// Texts of the dialog that reconciles the output count with one list (or both).
struct ReconcileTexts {
    QString listPhrase;
    QString reuseTail;
    QString combinationTail;
    QString combinationYesLine;
};

ReconcileTexts videoTexts()
{
    return {QStringLiteral("视频文件列表数过少，无法生成"),
            QStringLiteral("个视频！请再添加视频文件列表，或者减小生成个数，或者取消复用模式。"),
            QStringLiteral("个视频！请再添加视频文件列表，或者减小生成个数."),
            QStringLiteral("是——重新指定或者添加视频文件数")};
}

ReconcileTexts pictureTexts()
{
    return {QStringLiteral("图片文件列表数过少，无法生成"),
            QStringLiteral("个视频！请再添加图片文件列表，或者减小生成个数，或者取消复用模式。"),
            QStringLiteral("个视频！请再添加图片文件列表，或者减小生成个数."),
            QStringLiteral("是——重新指定或者添加视频文件数")};
}

ReconcileTexts mixedTexts()
{
    // The mixed mode has no reuse dialog.
    return {QStringLiteral("图片、视频文件列表数过少，无法生成"), QString(),
            QStringLiteral("个视频！请再添加图片、视频文件列表，或者减小生成个数。"),
            QStringLiteral("是——更改生成总个数")};
}

// Combination counts arrive as doubles; the limit is their whole 32-bit value.
int limitFrom(double count)
{
    const double rounded = std::nearbyint(count);
    if (!(rounded > double(std::numeric_limits<int>::min())))
        return std::numeric_limits<int>::min();
    if (rounded > double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(rounded);
}

// One validation pass: collects the refusal and the corrections.
class Check {
public:
    Check(const RunSettings &settings, const SourceCounts &counts, DialogService &dialogs)
        : s(settings),
          n(counts),
          dialogs(dialogs),
          fixedAudioExists(QFileInfo(settings.fixedAudioText).isFile())
    {
    }

    RunValidation run()
    {
        const ComposeMode mode = s.composeMode;
        if (mode == ComposeMode::Mixed)
            checkMixedSourceMinimum();
        if (mode == ComposeMode::PicturePicture || mode == ComposeMode::Mixed) {
            checkPictureRange(mode);
            limitPicturesToFrames();
        }
        switch (mode) {
        case ComposeMode::PicturePicture:
            checkPicturePicture();
            break;
        case ComposeMode::Mixed:
            checkMixed();
            break;
        case ComposeMode::VideoVideo:
            checkVideoVideo();
            break;
        }
        result.mayStart = !failed;
        return result;
    }

private:
    void refuse(const QString &text)
    {
        dialogs.showMessage({text, MessageIcon::Error, MessageButtons::Ok, DialogAnswer::Ok});
        failed = true;
    }

    QString maxText() const { return result.newMaxText.value_or(s.maxText); }
    double maxValue() const { return LeadingNumber(maxText()); }

    // Reuse shows one source four times, so the list must hold one entry per output.
    void reuseDialog(const ReconcileTexts &texts, int limit)
    {
        if (!(maxValue() > limit))
            return;
        const QString text = texts.listPhrase + maxText() + texts.reuseTail + LineBreak
                             + QStringLiteral("是——取消复用模式") + LineBreak
                             + QStringLiteral("否——更改生成总个数") + LineBreak
                             + QStringLiteral("取消——自动修改生成总个数");
        const DialogAnswer answer = dialogs.showMessage(
            {text, MessageIcon::Information, MessageButtons::YesNoCancel, DialogAnswer::Yes});
        if (answer == DialogAnswer::Yes)
            result.reuse = ReuseCorrection::Untick;
        else if (answer == DialogAnswer::Cancel)
            lowerCountTo(limit);
        else
            failed = true;
    }

    // Without reuse every output needs its own set of four.
    void combinationDialog(const ReconcileTexts &texts, int limit)
    {
        if (!(maxValue() > limit))
            return;
        const QString text = texts.listPhrase + maxText() + texts.combinationTail + LineBreak
                             + texts.combinationYesLine + LineBreak
                             + QStringLiteral("否——自动修改生成总个数");
        const DialogAnswer answer =
            dialogs.showMessage({text, MessageIcon::Information, MessageButtons::YesNo, DialogAnswer::Yes});
        // Anything but an explicit No keeps the run from starting.
        if (answer == DialogAnswer::No)
            lowerCountTo(limit);
        else
            failed = true;
    }

    // A count of none would make a run that makes nothing: the run is
    // refused instead, the dialog having said why.
    void lowerCountTo(int limit)
    {
        if (limit < 1)
            failed = true;
        else
            result.newMaxText = QString::number(limit);
    }

    void checkMixedSourceMinimum()
    {
        if (n.videos < 4)
            refuse(QStringLiteral("视频源不能少于4个！请再添加视频源！"));
        if (n.pictures < 4)
            refuse(QStringLiteral("图片源不能少于4个！请再添加图片源！"));
    }

    void checkPictureRange(ComposeMode mode)
    {
        const bool picturesOnly = mode == ComposeMode::PicturePicture;
        const QStringList parts = s.pictureRangeText.split(QLatin1Char('-'));
        double lower = LeadingNumber(parts.value(0));
        // The field's own rules make "n" into "n-n"; a lone number is read that way.
        double upper = parts.size() > 1 ? LeadingNumber(parts.value(1)) : lower;

        const bool refused = picturesOnly ? (n.pictures < 4 || lower < 4 || upper < 4)
                                          : (n.pictures == 0 || lower < 1 || upper < 1);
        if (!refused)
            return;
        refuse(QStringLiteral("图片数量区间最大值过大!"));
        if (lower < 4)
            lower = 4;
        if (upper < 4)
            upper = 4;
        if (upper < lower)
            upper = lower;
        result.newPictureRangeText = NumberText(lower) + QLatin1Char('-') + NumberText(upper);
    }

    // A picture clip shows each picture for one frame at least, and an
    // output of L seconds has L x 20 frames: more pictures would only be
    // prepared for nothing. The range is lowered silently; the run goes on.
    void limitPicturesToFrames()
    {
        const double lengthSeconds =
            s.randomLength && s.randomLengthRange ? s.randomLengthRange->maximum : s.lengthSeconds;
        const double most = std::floor(lengthSeconds * kPictureFramesPerSecond);
        const QString rangeText = result.newPictureRangeText.value_or(s.pictureRangeText);
        const QStringList parts = rangeText.split(QLatin1Char('-'));
        double lower = LeadingNumber(parts.value(0));
        double upper = parts.size() > 1 ? LeadingNumber(parts.value(1)) : lower;
        if (!(most >= 1) || !(upper > most))
            return;
        upper = most;
        lower = std::min(lower, upper);
        result.newPictureRangeText = NumberText(lower) + QLatin1Char('-') + NumberText(upper);
    }

    void checkPicturePicture()
    {
        if (n.pictures == 0) {
            refuse(QStringLiteral("请先载入图片文件列表！"));
        } else if (n.pictures < 4) {
            refuse(QStringLiteral("图片文件列表数过少，至少4张，请再加添图片文件列表！"));
        } else if (n.audios == 0 && s.audioRule == AudioRule::RandomAudio) {
            refuse(QStringLiteral("请先载入音频文件列表！"));
        } else if (!fixedAudioExists) {
            refuse(QStringLiteral("请先指定配音文件！"));
        }

        if (s.reuse)
            reuseDialog(pictureTexts(), n.pictures);
        else
            combinationDialog(pictureTexts(), limitFrom(CombinationCount(n.pictures, 4)));
    }

    void checkMixed()
    {
        if (n.pictures == 0)
            refuse(QStringLiteral("请先载入图片文件列表！"));
        if (n.videos == 0)
            refuse(QStringLiteral("请先载入视频文件列表！"));
        if (s.audioRule == AudioRule::FixedAudio && !fixedAudioExists) {
            refuse(QStringLiteral("请先指定音频文件！"));
        } else if (n.audios == 0 && !fixedAudioExists
                   && (s.audioRule == AudioRule::ChosenAudio || s.audioRule == AudioRule::RandomAudio)) {
            refuse(QStringLiteral("请先载入音频文件列表！"));
        }
        if (n.pictures == 0)
            refuse(QStringLiteral("请先图片音频文件列表！"));
        combinationDialog(mixedTexts(), limitFrom(CombinationCount(n.videos + n.pictures, 4)));
    }

    void checkVideoVideo()
    {
        if (n.videos == 0) {
            refuse(QStringLiteral("请先载入视频文件列表！"));
        } else if ((s.audioRule == AudioRule::ChosenAudio || s.audioRule == AudioRule::FixedAudio)
                   && !fixedAudioExists) {
            refuse(QStringLiteral("请指定音频来源！"));
        } else if (s.audioRule == AudioRule::RandomAudio && n.audios == 0) {
            refuse(QStringLiteral("请先载入音频文件列表！"));
        }

        if (s.reuse && !s.slideShow) {
            reuseDialog(videoTexts(), n.videos);
        } else if (s.slideShow) {
            checkSlideShow();
        } else {
            combinationDialog(videoTexts(), limitFrom(CombinationCount(n.videos, 4)));
        }
    }

    void checkSlideShow()
    {
        const double drawn = LeadingNumber(s.videoDrawText);
        const double slideSeconds = LeadingNumber(s.slideSecondsText);
        const double lengthSeconds = LeadingNumber(s.lengthText);

        if (drawn > n.videos) {
            refuse(QStringLiteral("视频源数太少，不能少于") + s.videoDrawText + QStringLiteral("个！")
                   + LineBreak + QStringLiteral("请再添加视频源，或者减小每次随机抽取视频源数。"));
            result.focus = FocusRequest::VideoDraw;
        }
        // Without reuse every slide shows four sources at once, so the drawn
        // sources fill only a quarter of the time.
        const double slidesSeconds = drawn * slideSeconds;
        const bool lengthMismatch =
            s.reuse ? lengthSeconds < slidesSeconds : 4 * lengthSeconds < slidesSeconds;
        if (lengthMismatch)
            refuse(QStringLiteral(
                "生成的视频时长与每帧播放时长、抽取帧数、随机抽取视频源数相互之间不匹配，请修正！"));
        if (!s.reuse && std::fmod(std::floor(drawn), 4.0) != 0.0)
            refuse(QStringLiteral("随机选取视频数必须是4的倍数！"));
    }

    const RunSettings &s;
    const SourceCounts &n;
    DialogService &dialogs;
    const bool fixedAudioExists;
    RunValidation result;
    bool failed = false;
};

}  // namespace

RunValidation ValidateRun(const RunSettings &settings, const SourceCounts &counts, DialogService &dialogs)
{
    return Check(settings, counts, dialogs).run();
}
