#pragma once
// Option parsing and the two kinds of failure shared by the commands.

#include "cli/cli.h"
#include "core/datetime.h"
#include "core/error.h"

#include <QCommandLineParser>
#include <functional>

namespace vistelle {
class TVolgaTable;
}

namespace vistelle::cli {

// Wrong usage: status 2, with a pointer to the command's help.
class UsageError : public Error {
public:
    using Error::Error;
};

// The options of one command, parsed; "-h" and "--help" are always known.
class CommandLine {
public:
    CommandLine(const QString& command, const QList<QCommandLineOption>& options, const QStringList& args);
    bool helpAsked() const { return m_parser.isSet(QStringLiteral("help")); }
    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    QString value(const QString& name) const { return m_parser.value(name); }
    QStringList files() const { return m_parser.positionalArguments(); }

private:
    QCommandLineParser m_parser;
};

// A DATE option in the form 2009-12-24.
TDateTime dateOption(const CommandLine& line, const QString& name);

// The file must exist ("FILE: no such file" otherwise).
void requireFile(const QString& fileName);

// Runs a command: its help, its usage errors (status 2) and its failures (status 1)
// reported on io.err as "vistelle-diary COMMAND: message".
int runCommand(const QString& command, Streams& io, const std::function<int()>& body);

// Saves a diary as the window does. A journal of its folder (kept when a sync tool shares
// it) first learns that this computer wrote the file, so that the window does not take it
// for one written elsewhere.
void saveDiaryWrittenHere(TVolgaTable& table, const QString& diary);

// The date of the diary's settings row, which holds the window's state and is no entry
// (the window reads it from "06/07/5050" in its day/month/year layout).
TDateTime settingsDate();

} // namespace vistelle::cli
