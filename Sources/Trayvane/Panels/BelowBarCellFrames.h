#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Planning/BelowBarEntry.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::app {

// Where each cell of the below-bar view was last laid out, by entry id, in the
// view's coordinates: what a right click is matched against. Frames are added
// or replaced, never removed. Main thread only.
class BelowBarCellFrames {
public:
    void store(const std::string& entryID, const core::Rect& frame) { frames_[entryID] = frame; }
    const std::map<std::string, core::Rect>& frames() const { return frames_; }

    // The first entry, in list order, whose stored frame holds the point;
    // entries without a frame are skipped.
    std::optional<core::BelowBarEntry> entry(core::Point point,
                                             const std::vector<core::BelowBarEntry>& entries) const;

private:
    std::map<std::string, core::Rect> frames_;
};

} // namespace pellacor::app
