#pragma once

// How one output of a run ended. The run driver goes on with the next output
// after Done, Failed and Skipped, and leaves its loop after Stopped.
enum class OutputResult {
    Done,     // the output file was written during this output
    Failed,   // a step failed; no usable output file
    Stopped,  // the user's stop request was seen at a wait
    Skipped,  // nothing to do for this output (missing source, variant not offered)
};
