#pragma once

#include <QString>

#include <functional>

// The numbered JPEG frames (000001.jpg, 000002.jpg, ...) that one run of the
// media tool writes into a folder while it extracts a video. The tool writes
// the frames one after the other and closes each before it opens the next, so
// a frame is complete once the next one exists or the run has ended; the
// last frame of a run that ended is also checked for the JPEG end marker.
class FrameSeries {
public:
    enum class State {
        Ready,    // the frame named in the answer can be read
        Pending,  // the run still goes on and has not finished the frame yet
        Empty,    // the run has ended without writing a single complete frame
    };
    struct Answer {
        State state = State::Pending;
        int frame = 0;  // with Ready: the frame to show
    };
    using EndedTest = std::function<bool()>;

    // runEnded tells whether the extraction that writes the folder has ended.
    FrameSeries(const QString &folder, EndedTest runEnded);

    // The frame to show for the wanted frame (1-based): the frame itself once
    // complete, or, when the run has ended without writing it, the last
    // complete frame. Costs one file test while the run goes on.
    Answer frameFor(int wanted);
    QString framePath(int frame) const;

    // The file name of frame n in the tool's "%06d.jpg" numbering.
    static QString frameFileName(int frame);
    // True when a JPEG file ends with its end-of-image marker.
    static bool hasJpegEnd(const QString &path);

private:
    bool exists(int frame) const;
    // Once the run has ended: the highest complete frame, found once.
    int lastCompleteFrame();

    QString m_folder;
    EndedTest m_runEnded;
    int m_knownComplete = 0;  // every frame up to this one is complete
    bool m_ended = false;
    int m_lastComplete = -1;  // -1 until the run has ended and the folder was read
};
