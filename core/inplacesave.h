#pragma once
// Saving a file in place, where its folder cannot be written but the file can. The new
// bytes first go to a copy in the user's data folder; then the file's whole new size is
// reserved, so that a full disk fails the save before a byte of the file is overwritten;
// only then is the file rewritten, within the reserved space, and synced, and the copy
// dropped. A file system that needs new blocks for every overwrite (copy on write) cannot
// promise that: there the save fails instead. A file a crash or a failing disk left torn
// is restored from the copy at the next start.

#include "core/savefile.h"

namespace vistelle {

SaveResult saveInPlace(const QString& fileName, const QByteArray& bytes, const FileStamp* expected);

// Where an in-place save of fileName keeps its copy of the new bytes until the file is
// whole (one name per file, in the user's data folder).
QString inPlaceCopyName(const QString& fileName);

// Replaces fileName with the copy an in-place save kept of it, then removes the copy.
// False when there is no copy or it could not be put in place.
bool restoreFromInPlaceCopy(const QString& fileName);

// Shared by both ways of saving. writeAll writes at the current position, or at offset
// when one is given; syncFolder makes the names in a folder durable.
bool writeAll(int fd, const QByteArray& bytes, qint64 offset = -1);
bool syncFolder(const QByteArray& folder);

} // namespace vistelle
