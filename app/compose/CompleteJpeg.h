#pragma once

#include <QString>

// Whether a JPEG file holds its whole picture: its marker segments and scans
// run, in order, up to the end-of-image marker. The decoder fills a picture
// cut short with grey and reports no error, so a cut file is caught here.
// Data after the end marker (phone makers' trailers, motion photos) is
// allowed; an end marker inside a segment (the EXIF thumbnail's) is skipped
// by the segment lengths and does not count.
bool IsCompleteJpeg(const QString &path);
