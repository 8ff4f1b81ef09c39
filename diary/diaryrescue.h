#pragma once
// The last resort at the session's end, when diary.dat cannot take the diary: the entries
// go to a file of their own (diary-unsaved-<time>.dat, which opens as the diary once
// renamed to diary.dat) in the first place that takes it, and when none does, to standard
// error (a desktop session keeps a program's standard error in its journal).

#include "core/datetime.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace vistelle {

class TVolgaDataset;

// Where the rescue tries, in this order: the working folder, the home folder, /var/tmp
// and /tmp (not the session's runtime folder, which the session's end removes).
QStringList rescueFolders();

struct DiaryRescue {
    QStringList folders = rescueFolders();
    FILE* report = stderr;
    // For a password-protected diary: the protected form of the table's image. It then
    // goes out base64 where the text would, and the text never does.
    std::function<QByteArray(const QByteArray& image)> protect;

    // Writes the table's entries out; returns the file written, or an empty text when they
    // went to the report instead.
    QString run(TVolgaDataset& table, TDateTime settingsDate) const;
};

} // namespace vistelle
