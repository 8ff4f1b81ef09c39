#include "core/readahead.h"

#include "core/savefile.h"
#include "core/wholefile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace vistelle {

namespace {

QString keyOf(const QString& fileName) { return QDir::current().absoluteFilePath(fileName); }

struct FileRead {
    FileStamp stamp;
    ReadAhead::Read read;
};

} // namespace

struct ReadAhead::State {
    std::vector<File> files;
    std::thread thread;
    std::mutex mutex;
    std::condition_variable progress;
    size_t finished = 0;               // files[0 .. finished) are done with
    std::map<QString, FileRead> reads; // guarded by mutex

    void readAll()
    {
        for (const File& f : files) {
            std::optional<FileRead> r = readOne(f);
            const std::lock_guard<std::mutex> lock(mutex);
            if (r) reads.emplace(f.name, std::move(*r));
            ++finished;
            progress.notify_all();
        }
    }

    static std::optional<FileRead> readOne(const File& f)
    {
        QFile file(f.name);
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        FileRead r;
        r.stamp = FileStamp::ofDescriptor(file.handle());
        r.read.bytes = readWholeFile(file);
        // A file that changed while it was read is read again by its reader.
        if (file.error() != QFileDevice::NoError || FileStamp::ofDescriptor(file.handle()) != r.stamp) return std::nullopt;
        file.close();
        if (f.digest) r.read.digest = f.digest(r.read.bytes);
        return r;
    }

    // Waits until the file is done with; false for a file that is not read ahead.
    bool waitFor(const QString& key)
    {
        const auto it = std::find_if(files.begin(), files.end(), [&](const File& f) { return f.name == key; });
        if (it == files.end()) return false;
        const size_t index = size_t(it - files.begin());
        std::unique_lock<std::mutex> lock(mutex);
        progress.wait(lock, [&] { return finished > index; });
        return true;
    }
};

ReadAhead::State* ReadAhead::current = nullptr;

ReadAhead::ReadAhead(std::vector<File> files) : m_state(std::make_unique<State>())
{
    for (File& f : files) f.name = keyOf(f.name);
    m_state->files = std::move(files);
    m_state->thread = std::thread([state = m_state.get()] { state->readAll(); });
    current = m_state.get();
}

ReadAhead::~ReadAhead()
{
    if (m_state->thread.joinable()) m_state->thread.join();
    if (current == m_state.get()) current = nullptr;
}

std::optional<ReadAhead::Read> ReadAhead::take(const QString& fileName)
{
    const QString key = keyOf(fileName);
    if (!current || !current->waitFor(key)) return std::nullopt;
    FileRead r;
    {
        const std::lock_guard<std::mutex> lock(current->mutex);
        const auto found = current->reads.find(key);
        if (found == current->reads.end()) return std::nullopt;
        r = std::move(found->second);
        current->reads.erase(found);
    }
    if (FileStamp::of(fileName) != r.stamp) return std::nullopt;
    r.read.stamp = r.stamp;
    return std::move(r.read);
}

void ReadAhead::dropRest()
{
    if (!current) return;
    if (current->thread.joinable()) current->thread.join();
    current->reads.clear();
}

} // namespace vistelle
