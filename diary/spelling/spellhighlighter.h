#pragma once
// Marks the words the spell checker does not know with a red wavy underline. Only the
// underline is set: the text keeps the colour the editor gives it (grey or black).

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace vistelle {

class SpellChecker;

class SpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    SpellHighlighter(QTextDocument* document, SpellChecker& checker);

    static QTextCharFormat misspeltFormat();

protected:
    void highlightBlock(const QString& text) override;

private:
    SpellChecker& m_checker;
    QTextCharFormat m_format;
};

} // namespace vistelle
