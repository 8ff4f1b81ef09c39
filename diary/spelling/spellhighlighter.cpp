#include "diary/spelling/spellhighlighter.h"
#include "diary/spelling/spellchecker.h"
#include "diary/spelling/spellwords.h"

namespace vistelle {

SpellHighlighter::SpellHighlighter(QTextDocument* document, SpellChecker& checker)
    : QSyntaxHighlighter(document), m_checker(checker), m_format(misspeltFormat())
{
    connect(&checker, &SpellChecker::changed, this, &QSyntaxHighlighter::rehighlight);
}

QTextCharFormat SpellHighlighter::misspeltFormat()
{
    QTextCharFormat f;
    f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    f.setUnderlineColor(Qt::red);
    return f;
}

void SpellHighlighter::highlightBlock(const QString& text)
{
    if (!m_checker.isActive()) return;
    const QStringView view(text);
    for (const WordRange& w : wordsToCheck(view)) {
        if (m_checker.isMisspelt(view.mid(w.start, w.length))) setFormat(w.start, w.length, m_format);
    }
}

} // namespace vistelle
