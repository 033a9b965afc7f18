// "Show in tree" for a search result: the tree holds only what has been listed, so the walk down
// to the result's folder asks for each listing it lacks, one level at a time, and goes on as the
// listings arrive. A folder asked for once and still lacking the next name means the result is
// gone: the walk ends at the deepest folder it reached.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "core/types.h"
#include "model/net_structure.h"

namespace ui {

class TreeReveal {
public:
    struct Target {
        Ipv4 address = 0;
        // The folder to open, "\Share\folder\" (a share or any folder below one).
        std::string folderPath;
        // The entry to select in it; empty: the folder itself is the result.
        std::string itemName;
    };
    struct Step {
        // The folder whose listing the walk needs before it can go on.
        CNetNode* list = nullptr;
        // Set when the walk is over: the folder reached (null when the host is gone).
        bool done = false;
        CNetNode* reached = nullptr;
    };

    // Replaces a walk that is still going on.
    void Begin(Target target);
    void Cancel() { active_ = false; }
    bool Active() const { return active_; }
    // Whether the walk waits for the listing of this folder ("\Share\a" or "\Share\a\").
    bool Awaits(Ipv4 address, std::string_view path) const;
    const Target& Goal() const { return target_; }
    // Goes down as far as the model allows.
    Step Advance(CNetStructure& model);

private:
    Target target_;
    bool active_ = false;
    // Folders whose listing this walk asked for, and the last one, which it waits for.
    std::set<std::string> asked_;
    std::string awaited_;
};

}  // namespace ui
