#pragma once
// The copies of a diary file that sync tools leave beside it when two computers changed it
// at once, and the markers that tell a folder one of them shares:
//   Syncthing           diary.sync-conflict-20091224-183000-ABCDEFG.dat        (.stfolder)
//   Nextcloud, ownCloud diary (conflicted copy 2009-12-24 183000).dat          (.sync_*.db)
//   Dropbox             diary (Anna's conflicted copy 2009-12-24).dat          (.dropbox)
// each possibly with " (2)" or another number before the extension.

#include <QString>
#include <QStringList>

namespace vistelle {

// Whether fileName (without folder) is a conflict copy of diaryName ("diary.dat").
bool isConflictCopyName(const QString& fileName, const QString& diaryName = QStringLiteral("diary.dat"));

// The conflict copies of diaryName in folder, as paths, sorted by name.
QStringList conflictCopiesIn(const QString& folder, const QString& diaryName = QStringLiteral("diary.dat"));

// Whether folder or a folder above it holds a sync tool's marker.
bool hasSyncMarker(const QString& folder);

} // namespace vistelle
