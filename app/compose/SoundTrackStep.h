#pragma once

#include "app/run/ToolRunner.h"

#include <QString>
#include <QStringList>

struct ComposeEnvironment;
class OutputStatus;

// Prepares the sound track of one output by the audio rule: a chosen (or
// randomly picked) audio file cut to the output's length, filled up with a
// video's own sound, a video's sound extracted, or none (the videos' own
// sound plays). The modes differ only in the Variant they pass.
class SoundTrackStep {
public:
    // Where a chosen audio longer than the output is cut: in a step of its
    // own into the workspace, or by the final step as it reads the audio.
    enum class AudioCut { OwnStep, InFinalStep };
    enum class ShortAudio { AsIs, Repeat };
    // What the two video-sound rules mean in a mode: a video's sound, or (in
    // a mode without videos) the fixed audio like the chosen-audio rules.
    enum class VideoRules { VideoSound, FixedAudio };
    struct Variant {
        AudioCut audioCut = AudioCut::OwnStep;
        VideoRules videoRules = VideoRules::VideoSound;
        // Extra arguments of the cut of a long audio ({"-acodec", "copy"}).
        QStringList cutCodec;
        // The cut's file name in the workspace, before its extension.
        QString cutName = QStringLiteral("Tmp");
        // With ChAddAudio a shorter audio is repeated up to the length
        // (without a fillUpVideo); otherwise it plays as it is.
        ShortAudio shortAudio = ShortAudio::AsIs;
        // A video whose own sound fills up a shorter audio when ChAddAudio is
        // ticked; empty: a shorter audio plays as it is.
        QString fillUpVideo;
        // For the longest-video rule: the arguments that extract a video's
        // sound (their last item is the file written); empty: no track, the
        // videos' own sound plays.
        QStringList videoSoundExtraction;
        // The same for the first-video rule; empty: no track, the videos' own
        // sound plays.
        QStringList firstVideoSoundExtraction;
        QString extractionStatus = QStringLiteral("状态：提取音频中...");
        // How the extracted sound becomes the track: as it is, or, in the
        // modes that paint their frames, by running the extraction (again)
        // as the track's preparation, under "状态：音频预处理中...".
        enum class Preparation { AsExtracted, ExtractedAgain };
        Preparation preparation = Preparation::AsExtracted;
    };
    // Track: a file plays as the output's sound. NoTrack: the rule asks for
    // none, the inputs' own sound plays. Silent: the video whose sound was
    // asked for has none, so the output has none either.
    enum class Outcome { Track, NoTrack, Silent, Failed, Stopped };
    struct Result {
        Outcome outcome = Outcome::NoTrack;
        QString track;  // the file to map as the output's sound (Outcome::Track)
        // The arguments that read the track in the final step: "-i" and the
        // track, after the seek and length of the cut with AudioCut::InFinalStep.
        QStringList input;

        bool hasTrack() const { return outcome == Outcome::Track; }
        // The track's input of the final step; nothing without a track.
        QStringList trackInput() const { return hasTrack() ? input : QStringList(); }
        // The index of the first picture input of the final step.
        int firstPictureInput() const { return hasTrack() ? 1 : 0; }
        // For a final step whose picture comes from a filter: the track
        // mapped (the inputs' own sound would otherwise be preferred), no
        // sound for a silent one, or the tool's own pick without a track.
        QStringList soundMapping() const;
    };

    SoundTrackStep(ComposeEnvironment &environment, OutputStatus &status);

    Result prepare(double lengthSeconds, const Variant &variant);
    // The draws of prepare, in its order, without running a tool; returns
    // what the output would play (see soundUsed).
    QString plan(double lengthSeconds, const Variant &variant);
    // What an output of the variant plays: the audio file (after a random
    // pick, the one picked), or the video whose sound is extracted; empty
    // where the videos' own sound plays as the tool chooses it.
    QString soundUsed(const Variant &variant) const;

    // Makes a random entry of the audio list the fixed audio (its captions
    // change for the rest of the run); false when the list has no entry.
    bool pickRandomAudio();

private:
    Result chosenAudio(double lengthSeconds, const Variant &variant);
    Result fillUp(double audioSeconds, const QString &video);
    Result repeat(double audioSeconds, double lengthSeconds, const Variant &variant);
    // The sound of a video for the two video rules.
    Result videoSound(const QStringList &extraction, const Variant &variant);
    Result extractVideoSound(const QStringList &extraction, const QString &statusText);

    ComposeEnvironment &m_env;
    OutputStatus &m_status;
};
