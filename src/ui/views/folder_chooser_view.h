// The folder browser that asks for a download target.
#pragma once

#include <string>

namespace ui {

class FolderChooserView {
public:
    virtual ~FolderChooserView() = default;

    // Lets the user pick a folder, starting at `start` (may be empty or gone). True with the
    // chosen folder's full path; false when the user cancelled.
    virtual bool ChooseFolder(const std::string& title, const std::string& start,
                              std::string& chosen) = 0;
};

}  // namespace ui
