#include "rebooter/automation/modWindow.h"

#include "rebooter/automation/ControlListing.h"

#include <filesystem>
#include <fstream>

namespace modWindow {

std::string ControlsInfo(WindowSystem &system, WindowHandle window, ListingFile file)
{
    std::string className = system.className(window);
    std::erase(className, ' ');
    std::string listing = ControlListing::Line(window, 0, className, system.text(window));
    EnumContext context{&system, &listing};
    system.enumerateDescendants(window, &EnumChildProc, &context);
    if (file == ListingFile::Write)
        WriteTextFile("controls.txt", listing, WriteMode::Replace);
    return listing;
}

bool EnumChildProc(WindowHandle child, void *context)
{
    auto *enumContext = static_cast<EnumContext *>(context);
    WindowSystem &system = *enumContext->system;
    *enumContext->listing +=
        ControlListing::Line(child, system.controlId(child), system.className(child), system.text(child));
    return true;
}

bool WriteTextFile(const std::string &fileName, const std::string &content, WriteMode mode)
{
    try {
        const std::filesystem::path path(std::u8string(fileName.begin(), fileName.end()));
        std::ofstream out(path,
                          std::ios::binary | (mode == WriteMode::Replace ? std::ios::trunc : std::ios::app));
        out << content << "\r\n";
        out.close();
        return !out.fail();
    } catch (const std::exception &) {
        return false;
    }
}

}  // namespace modWindow
