#pragma once
// One row entry of the row store: its image, the backup taken at its first edit, its status.

#include "diary/engine/rowimage.h"

#include <memory>

namespace vistelle {

enum TRowStatus { rsUnchanged = 0, rsModified = 1, rsInserted = 2, rsDeleted = 3, rsDiscarded = 4 };

struct TVolgaRow {
    TVolgaRow() = default;
    TVolgaRow(int fixedWidth, int referenceCount, TRowStatus rowStatus)
        : image(fixedWidth, referenceCount), status(rowStatus) {}
    TVolgaRow(RowImage rowImage, TRowStatus rowStatus) : image(std::move(rowImage)), status(rowStatus) {}
    TVolgaRow(TVolgaRow&&) = default;
    TVolgaRow& operator=(TVolgaRow&&) = default;

    RowImage image;
    std::unique_ptr<RowImage> backup;
    TRowStatus status = rsUnchanged;

    bool isLive() const { return status != rsDeleted && status != rsDiscarded; }
};

} // namespace vistelle
