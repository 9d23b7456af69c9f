#pragma once

#include "app/run/RunSettings.h"

#include <QString>

#include <optional>

class DialogService;

// Entries in the three source lists (header rows not counted).
struct SourceCounts {
    int videos = 0;
    int audios = 0;
    int pictures = 0;
};

enum class ReuseCorrection { Keep, Untick };
enum class FocusRequest { None, VideoDraw };

// What ValidateRun decided, and the corrections the window applies to its
// controls whatever the decision (they stand even when the run is refused).
struct RunValidation {
    bool mayStart = true;
    std::optional<QString> newMaxText;              // TMax
    std::optional<QString> newPictureRangeText;     // TPics
    ReuseCorrection reuse = ReuseCorrection::Keep;  // ChSame (unticking runs its click rules)
    FocusRequest focus = FocusRequest::None;        // TVedio after a slide-show count message
};

// Checks a run request against the source lists before anything of the run
// happens. Every problem found is told in its own message box, in a fixed
// order (the checks do not stop at the first problem); where more outputs are
// asked for than the sources allow, the user is asked how to reconcile.
// The fixed audio file is looked up from settings.fixedAudioText.
//
// Both reconcile dialogs have Yes as default button: in the reuse dialog it
// keeps the requested count and turns reuse off, in the combination dialog it
// refuses the run, so Enter never silently lowers the count. No answer lowers
// the count below 1: where the sources allow no output the run is refused.
// In the picture modes an upper picture count above one picture per frame of
// the output is lowered to that.
RunValidation ValidateRun(const RunSettings &settings, const SourceCounts &counts, DialogService &dialogs);
