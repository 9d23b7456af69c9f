#pragma once

#include <QString>

// The numbered frames 000001.jpg, 000002.jpg, ... of one picture clip, in a
// folder of the workspace. A picture is held on screen by naming its frame
// file many times: each further frame is a hard link to the same file where
// the file system allows it (a copy otherwise), so holding costs no writing.
class PictureFrames {
public:
    explicit PictureFrames(QString folder);

    // Removes the frames of an earlier clip (an earlier output's frames must
    // never fill a gap in this one) and starts counting from 0 again.
    bool reset();
    // Adds count frames showing frameFile; false when one could not be made.
    bool append(const QString &frameFile, int count);
    int frameCount() const { return m_count; }
    QString folder() const { return m_folder; }
    // The tool's pattern for the series (folder + "/%06d.jpg").
    QString pattern() const;
    QString framePath(int number) const;

private:
    QString m_folder;
    int m_count = 0;
};
