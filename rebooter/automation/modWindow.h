#pragma once

#include "rebooter/automation/WindowSystem.h"

#include <string>

// Builds control listings and writes text files for the automation class.
namespace modWindow {

enum class ListingFile { Skip, Write };
enum class WriteMode { Append, Replace };

// The listing of the window and all its descendant controls; with
// ListingFile::Write also written to "controls.txt" in the current folder.
// Every call builds its own listing, so calls may nest or run on several threads.
std::string ControlsInfo(WindowSystem &system, WindowHandle window, ListingFile file = ListingFile::Skip);

struct EnumContext {
    WindowSystem *system = nullptr;
    std::string *listing = nullptr;
};
// The child enumeration callback: appends the child's line to the listing of
// the EnumContext passed as the user value; always goes on.
bool EnumChildProc(WindowHandle child, void *context);

// Writes the content and CR LF to the file (UTF-8 name and content); false on any error.
bool WriteTextFile(const std::string &fileName, const std::string &content, WriteMode mode);

}  // namespace modWindow
