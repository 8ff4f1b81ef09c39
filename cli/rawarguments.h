#pragma once
// The program's arguments as the commands take them. File names are bytes on Linux, and
// Qt's file classes take them as UTF-8 text; a name that is not UTF-8 would reach the file
// system changed. Such a name of an existing file to read is given to the commands as a
// link with a readable name, in a folder of links kept for the run, that points at the
// file by its own bytes. A name to write (-o, --into, the diary of "password") that is
// not UTF-8 is refused: written through a link, the file would take the changed name.

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QList>
#include <memory>
#include <utility>

class QTemporaryDir;

namespace vistelle::cli {

class RawArguments {
public:
    explicit RawArguments(const QByteArrayList& raw);
    ~RawArguments();

    QStringList arguments() const { return m_arguments; }
    // Empty, or why the arguments cannot be used.
    QString refusal() const { return m_refusal; }
    // text with each link named as the argument it stands for (its bad bytes as U+FFFD).
    QByteArray named(QByteArray text) const;

private:
    QString linkTo(const QByteArray& name);

    QStringList m_arguments;
    QList<std::pair<QByteArray, QByteArray>> m_links; // link, the name shown for it
    QString m_refusal;
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace vistelle::cli
