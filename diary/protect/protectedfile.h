#pragma once
// Reading and writing the protected form of diary.dat: the table image sealed under the
// diary's key (layout in protectedfile_format.md, constants in protectedformat.h).

#include "diary/protect/diarykey.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

namespace vistelle::protect {

QString wrongPasswordMessage();
QString damagedMessage(const QString& fileName);

// Whether bytes are meant as a protected file (its magic begins them): such a file is
// never read as a plain table, however damaged.
bool isProtected(QByteArrayView bytes);

// The salt and limits of a protected file, checked before anything is derived from them.
// Throws the damaged message when the header is cut short, altered or out of bounds.
KeyParams readParams(QByteArrayView file, const QString& fileName);

// Whether key is the one that sealed file (whose header readParams accepted).
bool keyMatches(QByteArrayView file, const DiaryKey& key);

// The table image in file, opened in file's own array when it is held nowhere else. Throws
// "Wrong password." for another key, the damaged message for any other change.
QByteArray unsealImage(QByteArray file, const DiaryKey& key, const QString& fileName);

// The protected file of image under key, with a fresh random nonce.
QByteArray sealImage(QByteArrayView image, const DiaryKey& key);
// The same with a given nonce, for the worked example.
QByteArray sealImageWithNonce(QByteArrayView image, const DiaryKey& key, QByteArrayView nonce);

// The protected file of image under key being sealed on threads of its own, so that it can
// be written while it is sealed: bytes() has the file's whole length from the start, and
// ready(n) waits until its first n bytes are final. key must outlive the seal, which the
// destructor waits for.
class SealInProgress {
public:
    SealInProgress(const QByteArray& image, const DiaryKey& key);
    ~SealInProgress();
    SealInProgress(const SealInProgress&) = delete;
    SealInProgress& operator=(const SealInProgress&) = delete;

    const QByteArray& bytes() const { return m_file; }
    qsizetype ready(qsizetype atLeast) const;

private:
    void seal(const DiaryKey& key);

    const QByteArray m_image;
    QByteArray m_file;
    char* m_data; // m_file's array, written by the seal only
    std::atomic<qsizetype> m_ready{0};
    std::thread m_thread;
};

} // namespace vistelle::protect
