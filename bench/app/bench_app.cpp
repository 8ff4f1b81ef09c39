// The main window on a diary of 36,500 entries (100 years, one entry of about 200
// characters a day): one date change through the calendar, and a text search with no hit
// against one plain case-folded scan of the same texts.

#include "app/mainform.h"
#include "bench/common/windowsession.h"
#include "calendar/qelcalendar.h"
#include "core/regional.h"
#include "core/textcodec.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vistelle;
using namespace vistelle::bench;

namespace {

WindowSession& session()
{
    static WindowSession s;
    return s;
}

// One date change: store the editor's text for the old date, load the new date's entry,
// refresh the week view and the labels.
void BM_DateChange(benchmark::State& state)
{
    TMainForm& form = *session().form;
    int i = Entries / 2;
    for (auto _ : state) {
        form.Calendar->SetSelectedDate(FirstDate + i);
        i = (i + 37) % Entries;
    }
}
BENCHMARK(BM_DateChange)->Unit(benchmark::kMillisecond);

const QString Needle = QStringLiteral("zebra crossing");

void BM_SearchWithoutHit(benchmark::State& state)
{
    TMainForm& form = *session().form;
    for (auto _ : state) {
        form.searchBox->setText(Needle);
        form.btnSearchClick();
    }
    if (!session().boxes.log.isEmpty()) state.SkipWithError("the search asked a question");
}
BENCHMARK(BM_SearchWithoutHit)->Unit(benchmark::kMillisecond);

// The baseline: every entry's text folded to lower case once and searched, nothing else.
void BM_PlainFoldedScan(benchmark::State& state)
{
    QList<QString> texts;
    for (int i = 0; i < Entries; ++i) texts << decodeStoredText(entryText(i));
    const QString needle = foldLower(Needle);
    for (auto _ : state) {
        int hits = 0;
        for (const QString& t : texts) hits += foldLower(t).contains(needle);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_PlainFoldedScan)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv, [] { session().end(); });
}
