#pragma once
// Files the start-up reads first, read on a second thread while the first one connects to
// the window system.

#include <QByteArray>
#include <QString>

#include "core/savefile.h"

#include <any>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vistelle {

class ReadAhead {
public:
    // What the reading thread also makes of a file's bytes (its parse, say), handed over
    // with them. It must touch nothing but the bytes; it may take them (a protected file is
    // opened in its own bytes), leaving none to hand over.
    using Digest = std::function<std::any(QByteArray&)>;
    struct File {
        QString name; // relative to the current folder
        Digest digest = {};
    };
    struct Read {
        QByteArray bytes;
        std::any digest; // empty without a digest
        FileStamp stamp; // of the file read, taken from the open file
    };

    // Starts reading the files on a thread of its own. One read ahead at a time.
    explicit ReadAhead(std::vector<File> files);
    // Waits for the thread; what nobody took is dropped.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // What was read ahead for the file, once, when the file on disk is still the one that
    // was read (same file, size and modification time); otherwise nothing, and the caller
    // reads the file itself, meeting any error as it always did. Waits for the read.
    static std::optional<Read> take(const QString& fileName);

    // Drops what nobody took, once the start-up is past its reads.
    static void dropRest();

private:
    struct State;
    std::unique_ptr<State> m_state;
    static State* current; // the read ahead under way; used on the main thread only
};

} // namespace vistelle
