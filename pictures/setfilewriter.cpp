#include "pictures/setfilewriter.h"

#include "core/error.h"
#include "core/textcodec.h"
#include "pictures/setfile_format.h"
#include "pictures/tlmdgraphiclist.h"

#include "core/savefile.h"

#include <algorithm>
#include <QtEndian>

namespace vistelle {

namespace {

using namespace setfile;

class Writer {
public:
    QByteArray take() { return std::move(m_out); }

    void byte(quint8 b) { m_out.append(char(b)); }
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        m_out.append(b, 4);
    }
    void raw(const QByteArray& bytes) { m_out.append(bytes); }

    void shortString(const QByteArray& text)
    {
        const QByteArray cut = text.left(kMaxShortString);
        byte(quint8(cut.size()));
        raw(cut);
    }

    // The smallest of the three integer forms.
    void integer(qint32 v)
    {
        if (v >= -128 && v <= 127) {
            byte(kInt8);
            byte(quint8(qint8(v)));
        } else if (v >= -32768 && v <= 32767) {
            byte(kInt16);
            char b[2];
            qToLittleEndian(qint16(v), b);
            m_out.append(b, 2);
        } else {
            byte(kInt32);
            u32(quint32(v));
        }
    }

    void eightBitString(const QByteArray& bytes)
    {
        if (bytes.size() <= kMaxShortString) {
            byte(kString);
            shortString(bytes);
        } else {
            byte(kLString);
            u32(quint32(bytes.size()));
            raw(bytes);
        }
    }

    // ASCII names as 8-bit strings; others as UTF-8 when that is shorter than two bytes
    // a character and differs from the 8-bit form, else as UTF-16.
    void text(const QString& value)
    {
        const bool ascii = std::all_of(value.begin(), value.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii) return eightBitString(value.toLatin1());
        const QByteArray utf8 = value.toUtf8();
        if (utf8.size() < 2 * value.size()) {
            QByteArray ansi;
            if (!toWindows1252(value, ansi) || ansi != utf8) {
                byte(kUtf8String);
                u32(quint32(utf8.size()));
                return raw(utf8);
            }
            return eightBitString(ansi);
        }
        byte(kWString);
        u32(quint32(value.size()));
        for (QChar c : value) {
            char b[2];
            qToLittleEndian(c.unicode(), b);
            m_out.append(b, 2);
        }
    }

private:
    QByteArray m_out;
};

QByteArray picturePayload(const Graphic& graphic)
{
    Writer w;
    w.shortString(graphic.className().toLatin1().left(kMaxClassName));
    w.raw(graphic.classData());
    return w.take();
}

void writeItem(Writer& w, const TLMDGraphicListItem& item)
{
    w.byte(kList);
    if (!item.Name().isEmpty()) {
        w.shortString("Name");
        w.text(item.Name());
    }
    if (const Graphic* graphic = item.Picture().graphic()) {
        const QByteArray payload = picturePayload(*graphic);
        w.shortString("Picture.Data");
        w.byte(kBinary);
        w.u32(quint32(payload.size()));
        w.raw(payload);
    }
    w.shortString("Index");
    w.integer(item.Index());
    w.byte(kNull);
}

} // namespace

QByteArray setFileBytes(const TLMDGraphicList& list)
{
    Writer w;
    w.raw(QByteArray(kSignature, kSignatureSize));
    w.shortString(kListClass);
    w.shortString(list.objectName().toLatin1());
    w.shortString("Graphics");
    w.byte(kCollection);
    for (int i = 0; i < list.Graphics().count(); ++i) writeItem(w, list.Graphics().at(i));
    w.byte(kNull);
    if (list.Left() != 0) {
        w.shortString("Left");
        w.integer(list.Left());
    }
    if (list.Top() != 0) {
        w.shortString("Top");
        w.integer(list.Top());
    }
    w.byte(kNull); // end of properties
    w.byte(kNull); // no child components
    return w.take();
}

void writeSetFile(const TLMDGraphicList& list, const QString& fileName)
{
    const QByteArray bytes = setFileBytes(list);
    if (!writeFileWhole(fileName, bytes)) raise(fmt(QStringLiteral("Cannot create file %s"), fileName));
}

} // namespace vistelle
