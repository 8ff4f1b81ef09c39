// The protected form of diary.dat: the worked example byte for byte, and every way a file
// can be wrong (cut short, one byte altered, another password, limits out of bounds).

#include "core/error.h"
#include "diary/engine/volgatable.h"
#include "diary/protect/protectedfile.h"
#include "diary/protect/protectedformat.h"

#include <sodium.h>

#include <QtEndian>
#include <QtTest>

using namespace vistelle;
using namespace vistelle::protect;

namespace {

// The one-entry diary of the table format's worked example.
const QByteArray plainImage = QByteArray::fromHex("3A00000053010000000200000018000000"
                                                 "5858582E646174652074125858582E6576656E74206D1214"
                                                 "080400004068D3D0CC4203000000616263");

QByteArray sequence(int from, int count)
{
    QByteArray b;
    for (int i = 0; i < count; ++i) b.append(char(from + i));
    return b;
}

KeyParams exampleParams() { return {1, 8, sequence(0x00, SaltSize)}; }

QString messageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

class TestProtectedFile : public QObject {
    Q_OBJECT

    DiaryKey m_key;
    QByteArray m_example;

private slots:
    void initTestCase()
    {
        m_key = DiaryKey::derive("abc", exampleParams());
        m_example = sealImageWithNonce(plainImage, m_key, sequence(0x20, NonceSize));
    }

    void workedExampleIsExact()
    {
        QCOMPARE(plainImage.size(), 58);
        QCOMPARE(m_example.size(), HeaderSize + 58 + TagSize);
        QCOMPARE(m_example.toHex(), workedExample().toHex());
        QCOMPARE(unsealImage(m_example, m_key, "diary.dat"), plainImage);
    }

    void everySealHasItsOwnNonce()
    {
        const QByteArray a = sealImage(plainImage, m_key), b = sealImage(plainImage, m_key);
        QVERIFY(a.mid(NonceAt, NonceSize) != b.mid(NonceAt, NonceSize));
        QCOMPARE(unsealImage(a, m_key, "diary.dat"), plainImage);
        QCOMPARE(unsealImage(b, m_key, "diary.dat"), plainImage);
        QVERIFY(!a.contains("abc") && !a.contains("event"));
    }

    void wrongPasswordIsToldApartFromDamage()
    {
        const DiaryKey other = DiaryKey::derive("abd", exampleParams());
        QCOMPARE(messageOf([&] { unsealImage(m_example, other, "diary.dat"); }), "Wrong password.");
        QVERIFY(!keyMatches(m_example, other));
        QVERIFY(keyMatches(m_example, m_key));
    }

    void everyCutIsDamage()
    {
        for (int length = 0; length < m_example.size(); ++length) {
            const QByteArray cut = m_example.left(length);
            QCOMPARE(isProtected(cut), length >= 4);
            QCOMPARE(messageOf([&] { unsealImage(cut, m_key, "diary.dat"); }),
                     "diary.dat is damaged and cannot be decrypted.");
        }
    }

    void everyAlteredByteIsDamage()
    {
        for (int at = 0; at < m_example.size(); ++at) {
            for (char bit : {char(0x01), char(0x80)}) {
                QByteArray broken = m_example;
                broken[at] = char(broken[at] ^ bit);
                if (at < 4) {
                    QVERIFY(!isProtected(broken) || at == 3); // 0xE2 ^ 0x01 still has the top bit
                    continue;
                }
                QCOMPARE(messageOf([&] { unsealImage(broken, m_key, "notes.dat"); }),
                         "notes.dat is damaged and cannot be decrypted.");
            }
        }
    }

    // Large images are sealed and opened on two cores, in pieces: the bytes must be the
    // one-call construction's, in place or not, and damage in any piece must show.
    void largeImagesAreSealedAsInOneCall_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 64, 262143, 262144, 524288, 524289, 3 * 1048576 + 5})
            QTest::addRow("%d bytes", size) << size;
    }
    void largeImagesAreSealedAsInOneCall()
    {
        QFETCH(int, size);
        QByteArray image(size, Qt::Uninitialized);
        randombytes_buf(image.data(), size_t(size));
        const QByteArray nonce = sequence(0x40, NonceSize);
        const QByteArray file = sealImageWithNonce(image, m_key, nonce);

        QByteArray expected = file.first(HeaderSize);
        expected.resize(HeaderSize + size + TagSize);
        crypto_aead_xchacha20poly1305_ietf_encrypt(
            reinterpret_cast<unsigned char*>(expected.data()) + HeaderSize, nullptr,
            reinterpret_cast<const unsigned char*>(image.constData()), size_t(size),
            reinterpret_cast<const unsigned char*>(file.constData()), HeaderSize,
            nullptr, reinterpret_cast<const unsigned char*>(nonce.constData()), m_key.bytes());
        QVERIFY(file == expected);

        QCOMPARE(unsealImage(QByteArray(file), m_key, "diary.dat"), image); // in place
        QCOMPARE(unsealImage(file, m_key, "diary.dat"), image);             // held elsewhere too
        const QByteArray sealed = sealImage(image, m_key);                  // with a fresh nonce
        QCOMPARE(unsealImage(sealed, m_key, "diary.dat"), image);
        const SealInProgress sealing(image, m_key);                         // written while sealed
        QCOMPARE(sealing.ready(sealing.bytes().size() + 1), sealing.bytes().size());
        QCOMPARE(unsealImage(sealing.bytes(), m_key, "diary.dat"), image);
        for (qsizetype at : {qsizetype(HeaderSize), qsizetype(HeaderSize + size / 2), file.size() - TagSize - 1}) {
            if (at < HeaderSize || at >= HeaderSize + size) continue;
            QByteArray broken = file;
            broken[at] = char(broken[at] ^ 0x10);
            QCOMPARE(messageOf([&] { unsealImage(std::move(broken), m_key, "diary.dat"); }),
                     "diary.dat is damaged and cannot be decrypted.");
        }
    }

    void limitsOutOfBoundsAreRefusedBeforeDeriving_data()
    {
        QTest::addColumn<quint32>("ops");
        QTest::addColumn<quint32>("memKiB");
        QTest::newRow("no passes") << 0u << 8u;
        QTest::newRow("too many passes") << 17u << 8u;
        QTest::newRow("too little memory") << 1u << 7u;
        QTest::newRow("gigabytes") << 1u << 4u * 1024 * 1024;
    }
    void limitsOutOfBoundsAreRefusedBeforeDeriving()
    {
        QFETCH(quint32, ops);
        QFETCH(quint32, memKiB);
        QByteArray hostile = m_example;
        qToLittleEndian<quint32>(ops, hostile.data() + OpsLimitAt);
        qToLittleEndian<quint32>(memKiB, hostile.data() + MemLimitAt);
        crypto_generichash(reinterpret_cast<unsigned char*>(hostile.data()) + ChecksumAt, ChecksumSize,
                           reinterpret_cast<const unsigned char*>(hostile.constData()), ChecksumAt, nullptr, 0);
        QCOMPARE(messageOf([&] { readParams(hostile, "diary.dat"); }), "diary.dat is damaged and cannot be decrypted.");
        QVERIFY(!KeyParams({ops, memKiB, exampleParams().salt}).withinBounds());
    }

    void plainAndProtectedAreNeverMistaken()
    {
        QVERIFY(!isProtected(plainImage));
        QVERIFY(isProtected(m_example));
        TVolgaTable table;
        table.setLoadMode(lmStream);
        table.setLoadStream(m_example);
        QVERIFY_THROWS_EXCEPTION(Error, table.Open());
    }

    void freshParamsHaveTheirOwnSaltWithinBounds()
    {
        const KeyParams params = DiaryKey::freshParams();
        QVERIFY(params.withinBounds());
        QVERIFY(params != DiaryKey::freshParams()); // another salt every time
    }

private:
    static QByteArray workedExample();
};

// Password "abc", salt 00…0F, one pass over 8 KiB, nonce 20…37, the image above.
QByteArray TestProtectedFile::workedExample()
{
    return QByteArray::fromHex(
        "565344E270770D0A" // magic
        "0100" // version 1
        "01000000" // one pass
        "08000000" // 8 KiB
        "000102030405060708090A0B0C0D0E0F" // salt
        "E4E84A1D3DCD8E3F3F50CD3DDBE114A7" // key check
        "202122232425262728292A2B2C2D2E2F3031323334353637" // nonce
        "CB9C2CC6D1472BFD3836A0D9A972978F" // checksum of bytes 0-73
        "583BC6EE733DBC03F10EF0F2A6D46BFA6E87C2477B7CEFF8" // the sealed image
        "30C9649DCC4CC9EF283A4663CB91E822E4208FAC9A870D58"
        "964E9B3E60F40B8438A5"
        "3141D16B2CC9B4EB71FA7747F605A1EA"); // tag
}

QTEST_GUILESS_MAIN(TestProtectedFile)
#include "tst_protectedfile.moc"
