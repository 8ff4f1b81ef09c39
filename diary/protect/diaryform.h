#pragma once
// The form diary.dat takes in this run: the plain table image, or the image sealed with the
// key of the diary's password. Readers hand it the bytes of a file and get the table image;
// savers hand it the image and get the bytes to write. The key is taken once per save
// (sealing runs on the writer thread while the window may change the password meanwhile).

#include "diary/protect/diarykey.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace vistelle::protect {

class DiaryForm {
public:
    bool isProtected() const { return bool(m_key); }
    // The key from now on; null: plain from now on.
    void setKey(std::shared_ptr<const DiaryKey> key) { m_key = std::move(key); }
    std::shared_ptr<const DiaryKey> key() const { return m_key; }

    // The table image in bytes read from fileName. Plain bytes are returned as they are;
    // protected ones are unsealed with this run's key. Throws the damaged message, or
    // anotherPasswordMessage() when the file is sealed with a key this run does not have.
    QByteArray imageOf(QByteArray bytes, const QString& fileName) const;
    // What a save writes for image with the key taken at the save's start.
    static QByteArray fileOf(const QByteArray& image, const std::shared_ptr<const DiaryKey>& key);

    static QString anotherPasswordMessage();

private:
    std::shared_ptr<const DiaryKey> m_key;
};

// While a protected diary is open no core dump may hold its entries or key.
void forbidCoreDumps();

} // namespace vistelle::protect
