#include "pictures/setfilereader.h"

#include "core/error.h"
#include "core/textcodec.h"
#include "core/readahead.h"
#include "core/wholefile.h"
#include "pictures/applicationwindows.h"
#include "pictures/bytereader.h"
#include "pictures/graphickinds.h"
#include "pictures/setfile_format.h"
#include "pictures/tlmdgraphiclist.h"

#include <QFile>

namespace vistelle {

namespace {

using namespace setfile;

// The published properties of the objects a set file reaches.
enum class Obj { List, Item, Collection, PictureObject };
enum class Kind { Integer, Text, Object, Binary };
struct Prop {
    QLatin1StringView name;
    Kind kind;
    Obj target; // the object an Object property leads to
};

const Prop* findProp(Obj obj, const QString& name)
{
    static const Prop list[] = {{QLatin1StringView("Graphics"), Kind::Object, Obj::Collection},
                                {QLatin1StringView("Left"), Kind::Integer, Obj::List},
                                {QLatin1StringView("Top"), Kind::Integer, Obj::List},
                                {QLatin1StringView("Name"), Kind::Text, Obj::List},
                                {QLatin1StringView("Tag"), Kind::Integer, Obj::List},
                                {QLatin1StringView("About"), Kind::Text, Obj::List}};
    static const Prop item[] = {{QLatin1StringView("Name"), Kind::Text, Obj::Item},
                                {QLatin1StringView("Picture"), Kind::Object, Obj::PictureObject},
                                {QLatin1StringView("Index"), Kind::Integer, Obj::Item}};
    static const Prop picture[] = {{QLatin1StringView("Data"), Kind::Binary, Obj::PictureObject}};
    auto find = [&name](const auto& props) -> const Prop* {
        for (const Prop& p : props)
            if (p.name == name) return &p;
        return nullptr;
    };
    switch (obj) {
    case Obj::List: return find(list);
    case Obj::Item: return find(item);
    case Obj::PictureObject: return find(picture);
    case Obj::Collection: return nullptr;
    }
    return nullptr;
}

bool isValidIdent(const QString& name)
{
    if (name.isEmpty()) return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
        const bool digit = c >= u'0' && c <= u'9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

bool sameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

[[noreturn]] void invalidValue() { raise(QStringLiteral("Invalid property value")); }

class Reader {
public:
    // `self` is the component the list stands for (itself, or the list a copy is read for).
    Reader(const QByteArray& bytes, TLMDGraphicList& list, const TLMDGraphicList& self)
        : m_in(bytes), m_list(list), m_self(self)
    {
    }

    void read()
    {
        if (m_in.remaining() < kSignatureSize) raise(QStringLiteral("Stream read error"));
        if (QByteArray(m_in.current(), kSignatureSize) != QByteArray(kSignature, kSignatureSize))
            raise(QStringLiteral("Invalid stream format"));
        m_in.skip(kSignatureSize);
        skipPrefix();
        shortText(); // class name
        applyComponentName(shortText());
        while (!endOfList()) readProperty(Obj::List, nullptr);
        if (!endOfList()) raise(QStringLiteral("Invalid stream format")); // child components
    }

private:
    ByteReader m_in;
    TLMDGraphicList& m_list;
    const TLMDGraphicList& m_self;

    void skipPrefix()
    {
        const quint8 flags = m_in.peekU8();
        if ((flags & kPrefixMask) != kPrefixMask) return;
        m_in.u8();
        if (flags & kPrefixHasIndex) readInteger();
    }

    QString shortText()
    {
        const quint8 length = m_in.u8();
        return fromWindows1252(m_in.bytes(length));
    }

    bool endOfList()
    {
        if (m_in.peekU8() != kNull) return false;
        m_in.u8();
        return true;
    }

    qint32 readInteger()
    {
        switch (m_in.u8()) {
        case kInt8: return m_in.i8();
        case kInt16: return m_in.i16();
        case kInt32: return m_in.i32();
        default: invalidValue();
        }
    }

    QString readText()
    {
        switch (m_in.u8()) {
        case kString: return shortText();
        case kLString: return fromWindows1252(m_in.bytes(m_in.u32()));
        case kUtf8String: return QString::fromUtf8(m_in.bytes(m_in.u32()));
        case kWString: {
            const quint32 count = m_in.u32();
            m_in.need(qint64(count) * 2);
            QString text(qsizetype(count), Qt::Uninitialized);
            for (quint32 i = 0; i < count; ++i) text[qsizetype(i)] = QChar(m_in.u16());
            return text;
        }
        default: invalidValue();
        }
    }

    QString objectName(Obj root) const
    {
        if (root == Obj::Item) return QLatin1StringView(kItemClass);
        return m_list.objectName().isEmpty() ? QString::fromLatin1(kListClass) : m_list.objectName();
    }

    // One property entry: its name or dotted path, then its value. Whatever fails inside
    // is reported with the object and the path it was reading.
    void readProperty(Obj root, TLMDGraphicListItem* item)
    {
        QString path;
        try {
            path = shortText();
            applyPath(root, item, path);
        } catch (const Error& e) {
            raise(fmt(QStringLiteral("Error reading %s%s%s: %s"), objectName(root), QStringLiteral("."), path,
                      e.message()));
        }
    }

    void applyPath(Obj root, TLMDGraphicListItem* item, const QString& path)
    {
        const QStringList parts = path.split(u'.');
        Obj obj = root;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            const Prop* prop = findProp(obj, parts[i]);
            if (!prop) raise(fmt(QStringLiteral("Property %s does not exist"), parts[i]));
            if (prop->kind != Kind::Object) raise(QStringLiteral("Invalid property path"));
            obj = prop->target;
        }
        const Prop* prop = findProp(obj, parts.last());
        if (!prop) raise(fmt(QStringLiteral("Property %s does not exist"), parts.last()));
        if (obj == Obj::List) applyListValue(*prop);
        else applyItemValue(*prop, *item);
    }

    void applyListValue(const Prop& prop)
    {
        if (prop.name == QLatin1StringView("Graphics")) return readCollection();
        if (prop.kind == Kind::Integer) {
            const qint32 v = readInteger();
            if (prop.name == QLatin1StringView("Left")) m_list.setLeft(quint16(v));
            else if (prop.name == QLatin1StringView("Top")) m_list.setTop(quint16(v));
            else m_list.setTag(v);
            return;
        }
        const QString text = readText();
        if (prop.name == QLatin1StringView("Name")) applyComponentName(text);
    }

    void applyItemValue(const Prop& prop, TLMDGraphicListItem& item)
    {
        switch (prop.kind) {
        case Kind::Text: return item.setName(readText());
        case Kind::Integer: return item.setIndex(readInteger());
        case Kind::Binary: return readPicture(item);
        case Kind::Object:
            // A picture property given as nil empties the picture.
            if (m_in.u8() != kNil) invalidValue();
            return item.setPicture(Picture());
        }
    }

    // A non-empty collection replaces the list's items; an empty one leaves them.
    void readCollection()
    {
        if (m_in.u8() != kCollection) invalidValue();
        if (endOfList()) return;
        m_list.Graphics().clear();
        do {
            const quint8 tag = m_in.peekU8();
            if (tag == kInt8 || tag == kInt16 || tag == kInt32) readInteger();
            TLMDGraphicListItem& item = m_list.Graphics().add();
            if (m_in.u8() != kList) invalidValue();
            while (!endOfList()) readProperty(Obj::Item, &item);
        } while (!endOfList());
    }

    // The payload is read whole, then decoded: its class name, then the class data. An
    // unknown or empty class name leaves the picture empty.
    void readPicture(TLMDGraphicListItem& item)
    {
        if (m_in.u8() != kBinary) invalidValue();
        const quint32 length = m_in.u32();
        // The payload is read in place; JPEG bytes stay part of the file's array, the other
        // kinds copy what they keep.
        ByteReader in = m_in.part(qsizetype(length));
        const int nameLength = in.atEnd() ? 0 : int(qMin<qsizetype>(in.u8(), in.remaining()));
        const QString className = fromWindows1252(in.bytes(nameLength));
        item.setPicture(Picture());
        if (GraphicPtr graphic = readClassData(className, in)) item.setPicture(Picture(graphic));
    }

    void applyComponentName(const QString& name)
    {
        if (name == m_list.objectName()) return;
        if (!isValidIdent(name)) raise(fmt(QStringLiteral("''%s'' is not a valid component name"), name));
        QString unique = name;
        const QStringList windows = applicationWindowNames();
        for (int n = 1; windows.contains(unique, Qt::CaseInsensitive); ++n)
            unique = name + QStringLiteral("_") + QString::number(n);
        if (ownerHasOther(unique)) raise(fmt(QStringLiteral("A component named %s already exists"), unique));
        m_list.setObjectName(unique);
    }

    bool ownerHasOther(const QString& name) const
    {
        QObject* owner = m_self.parent();
        if (!owner) return false;
        if (sameText(owner->objectName(), name)) return true;
        const auto children = owner->findChildren<QObject*>();
        for (const QObject* child : children)
            if (child != &m_self && child != &m_list && sameText(child->objectName(), name)) return true;
        return false;
    }
};

// Taken from the start-up's read ahead when that read this very file.
QByteArray readSetFileBytes(const QString& fileName)
{
    if (auto ahead = ReadAhead::take(fileName)) return std::move(ahead->bytes);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt(QStringLiteral("Cannot open file %s"), fileName));
    return readWholeFile(file);
}

} // namespace

void readSetBytes(const QByteArray& bytes, TLMDGraphicList& list) { Reader(bytes, list, list).read(); }

void readSetFile(const QString& fileName, TLMDGraphicList& list) { readSetBytes(readSetFileBytes(fileName), list); }

void readSetBytesWhole(const QByteArray& bytes, TLMDGraphicList& list)
{
    TLMDGraphicList copy;
    copy.assign(list);
    Reader(bytes, copy, list).read();
    list.assign(copy);
}

void readSetFileWhole(const QString& fileName, TLMDGraphicList& list)
{
    readSetBytesWhole(readSetFileBytes(fileName), list);
}

} // namespace vistelle
