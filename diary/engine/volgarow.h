#pragma once
// One row entry of the row store: its image, the backup taken at its first edit, its status.

#include "diary/engine/rowimage.h"

#include <optional>

namespace vistelle {

enum TRowStatus { rsUnchanged = 0, rsModified = 1, rsInserted = 2, rsDeleted = 3, rsDiscarded = 4 };

struct TVolgaRow {
    RowImage image;
    std::optional<RowImage> backup;
    TRowStatus status = rsUnchanged;

    bool isLive() const { return status != rsDeleted && status != rsDiscarded; }
};

} // namespace vistelle
