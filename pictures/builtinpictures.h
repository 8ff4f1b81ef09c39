#pragma once
// The built-in pictures: set 1 holds twelve photographs, sets 2 to 4 the placeholder in
// every month. They live in the resources under :/builtin/.

#include <QByteArray>
#include <QImage>
#include <QString>

class QObject;

namespace vistelle {

class TLMDGraphicList;

// Registers the resources of this library; call once before using the built-in
// pictures (safe to call again).
void initBuiltinPictures();

// The bytes of the built-in file at `path` (":/builtin/…"), not copied; "Cannot open
// file %s" when there is none.
QByteArray builtinBytes(const QString& path);

// A built-in PNG image (the logos and arrows of the windows); a null image when the build
// has none.
QImage builtinPng(const QString& path);

// Fills `list` with the twelve items of set `set` (1 … 4): names janpic … decpic, Index
// equal to the position, the built-in pictures, and the set's Left and Top. The list's
// old items are discarded; its name is not changed.
void fillBuiltinList(TLMDGraphicList& list, int set);

// A list named "piclist<set>" owned by `owner`, filled as above.
TLMDGraphicList* createBuiltinList(int set, QObject* owner);

} // namespace vistelle
