#pragma once
// Where a command's output goes: standard output for "-" or no name; a regular file, or a
// name not yet taken, through the atomic save (the old file stays whole until the new one
// is complete); anything else (a FIFO, a device, /dev/stdout) is written into directly,
// since replacing it would take it from whoever reads it.

#include "cli/cli.h"

#include <QString>

namespace vistelle::cli {

void writeOutput(const QString& fileName, const QByteArray& bytes, Streams& io);

// "Cannot create file NAME: why", the reason as the system gives it where known.
QString cannotCreate(const QString& fileName, int error = 0);

// Why a file of that name cannot be created there, as an errno value, asked of the file
// system after a failed write; 0 when it does not tell.
int reasonCannotCreate(const QString& fileName);

// Whether the name stands for the program's own standard output.
bool isStandardOutput(const QString& fileName);

} // namespace vistelle::cli
