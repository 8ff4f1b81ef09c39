// Spelling in the day editor holding an entry of 5,000 words written as one paragraph
// (words drawn from the en_US dictionary, common ones far more often, one in twenty
// misspelt): a key press with checking on against the same key press with checking off,
// and the first check of the whole entry (nothing cached yet).

#include "diary/dayeditor.h"
#include "diary/spelling/enchantprovider.h"
#include "diary/spelling/spellchecker.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QSyntaxHighlighter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>

using namespace vistelle;

namespace {

constexpr int Words = 5000;
constexpr int Vocabulary = 3000;

// A plain lower-case word of every 20th line of the dictionary.
QStringList vocabulary()
{
    QFile dic(QStringLiteral("/usr/share/hunspell/en_US.dic"));
    QStringList words;
    if (!dic.open(QIODevice::ReadOnly)) return words;
    int line = 0;
    while (!dic.atEnd() && words.size() < Vocabulary) {
        const QString w = QString::fromUtf8(dic.readLine()).section(u'/', 0, 0).trimmed();
        if (++line % 20 == 0 && w.size() > 2 && w == w.toLower() && !w.contains(u'\'')) words << w;
    }
    return words;
}

QString longEntry()
{
    const QStringList vocab = vocabulary();
    QString text;
    quint32 seed = 12345;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (int i = 0; i < Words; ++i) {
        // Zipf-like: a few words make most of the text.
        const double u = (next() % 100000) / 100000.0;
        QString w = vocab[qMin(int(std::pow(vocab.size(), u)) - 1, int(vocab.size()) - 1)];
        if (next() % 20 == 0 && w.size() > 3) std::swap(w[1], w[2]);
        text += w;
        text += i % 12 == 11 ? QStringLiteral(". ") : QStringLiteral(" ");
    }
    return text;
}

// Hands the one opened dictionary to every checker, so that a new checker starts with an
// empty cache without reading the dictionary again.
class SharedDictionary : public SpellProvider {
public:
    explicit SharedDictionary(SpellDictionary& d) : m_d(d) {}
    QStringList languages() override { return {QStringLiteral("en_US")}; }
    std::unique_ptr<SpellDictionary> open(const QString&) override { return std::make_unique<Forward>(m_d); }

private:
    struct Forward : SpellDictionary {
        explicit Forward(SpellDictionary& d) : d(d) {}
        bool check(const QString& w) override { return d.check(w); }
        QStringList suggest(const QString& w) override { return d.suggest(w); }
        void add(const QString& w) override { d.add(w); }
        SpellDictionary& d;
    };
    SpellDictionary& m_d;
};

struct Setup {
    QTemporaryDir config;
    EnchantProvider enchant;
    std::unique_ptr<SpellDictionary> dictionary;
    QString entry = longEntry();
    Setup()
    {
        qputenv("ENCHANT_CONFIG_DIR", config.path().toUtf8());
        dictionary = enchant.open(QStringLiteral("en_US"));
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

void press(QWidget* w, int key, const QString& text)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
    QApplication::sendEvent(w, &up);
    QApplication::processEvents();
}

// A letter typed in the middle of the entry and taken back: two key presses, each with
// its layout and drawing.
void BM_KeyPress(benchmark::State& state)
{
    const bool checking = state.range(0) == 1;
    SpellChecker checker;
    checker.load(std::make_unique<SharedDictionary>(*setup().dictionary));
    checker.setChecking(checking);
    DayEditor editor;
    editor.resize(500, 300);
    if (state.range(0) != 2) editor.setSpellChecker(&checker);
    editor.loadText(setup().entry);
    editor.show();
    editor.setFocus();
    QApplication::processEvents();
    QTextCursor c = editor.textCursor();
    c.setPosition(setup().entry.size() / 2);
    editor.setTextCursor(c);
    editor.centerCursor();
    QApplication::processEvents();
    for (auto _ : state) {
        press(&editor, Qt::Key_X, QStringLiteral("x"));
        press(&editor, Qt::Key_Backspace, QString());
    }
    state.SetLabel(state.range(0) == 2 ? "no spell checker" : checking ? "checking on" : "checking off");
}
BENCHMARK(BM_KeyPress)->Arg(2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole entry checked with nothing cached (the first check after the dictionary is
// there, or after the language changed).
void BM_FirstCheck(benchmark::State& state)
{
    QTextDocument document(setup().entry);
    int marks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto checker = std::make_unique<SpellChecker>();
        DayEditor editor;
        editor.loadText(setup().entry);
        editor.setSpellChecker(checker.get());
        state.ResumeTiming();
        checker->load(std::make_unique<SharedDictionary>(*setup().dictionary));
        state.PauseTiming();
        marks = int(editor.document()->firstBlock().layout()->formats().size());
        checker.reset();
        state.ResumeTiming();
    }
    state.counters["marks"] = marks;
}
BENCHMARK(BM_FirstCheck)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
