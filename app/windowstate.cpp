#include "app/windowstate.h"
#include "core/numbers.h"

namespace vistelle {

namespace {

// Position (from 1) of the first occurrence of c in s, 0 when absent.
int pos(QChar c, const QString& s) { return int(s.indexOf(c)) + 1; }

// count characters of s starting at the 1-based position start; a count below 1,
// or a start past the end, cuts out the empty text.
QString cut(const QString& s, int start, int count)
{
    if (start < 1) start = 1;
    if (count < 1 || start > s.size()) return {};
    return s.mid(start - 1, count);
}

} // namespace

QString composeWindowRecord(const WindowState& s)
{
    return QStringLiteral("%1x%2y%3z%4j%5k%6").arg(s.height).arg(s.width).arg(s.top).arg(s.left).arg(s.bar0).arg(s.bar1);
}

void applyWindowRecord(const QString& r, const std::function<void(int, int)>& apply)
{
    const int x = pos(u'x', r), y = pos(u'y', r), z = pos(u'z', r), j = pos(u'j', r), k = pos(u'k', r);
    const QString pieces[6] = {
        cut(r, 1, x - 1),
        cut(r, x + 1, y - x - 1),
        cut(r, y + 1, z - y - 1),
        cut(r, z + 1, j - z - 1),
        cut(r, j + 1, k - j - 1),
        cut(r, k + 1, int(r.size()) - k),
    };
    for (int i = 0; i < 6; ++i) apply(i, strToInt(pieces[i]));
}

} // namespace vistelle
