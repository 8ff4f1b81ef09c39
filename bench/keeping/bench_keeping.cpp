// Saving as you go on a diary of 36,500 entries (100 years, one entry of about 200
// characters a day): what one store costs the window thread, without and with the save
// that follows it (the table's image built and handed to the writer thread, which then
// writes it while the window goes on), and the write itself for comparison. The stores with
// a save run plain (protected:0) and with a protected diary (protected:1), whose writer
// thread seals the image before writing it; "Whole" waits for the save's end.

#include "app/mainform.h"
#include "bench/common/windowsession.h"
#include "calendar/qelcalendar.h"
#include "core/savefile.h"
#include "diary/dayeditor.h"
#include "diary/diarykeeper.h"
#include "diary/protect/diarykey.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vistelle;
using namespace vistelle::bench;

namespace {

WindowSession& session()
{
    static WindowSession s{FirstDate + Entries / 2};
    return s;
}

// One store of a changed text for the selected date (an update of its row).
void storeOnce(TMainForm& form, int i, benchmark::State& state)
{
    state.PauseTiming();
    form.Today->setPlainText(QStringLiteral("Edited entry, version %1").arg(i));
    form.Today->document()->setModified(true);
    state.ResumeTiming();
    form.storeEvent();
}

void BM_StoreWithoutSave(benchmark::State& state)
{
    TMainForm& form = *session().form;
    int i = 0;
    for (auto _ : state) storeOnce(form, ++i, state);
    form.keeper()->waitForWriter();
}
BENCHMARK(BM_StoreWithoutSave)->Unit(benchmark::kMillisecond);

// A key derived with the smallest limits: the derivation is not what is measured here.
std::shared_ptr<const protect::DiaryKey> keyOf(const benchmark::State& state)
{
    static const auto key = std::make_shared<const protect::DiaryKey>(
        protect::DiaryKey::derive("correct horse", {1, 8, QByteArray(16, 's')}));
    return state.range(0) ? key : nullptr;
}

void storesWithSaves(benchmark::State& state, bool timeTheWriter)
{
    TMainForm& form = *session().form;
    DiaryKeeper& keeper = *form.keeper();
    keeper.setKey(keyOf(state));
    int i = 0;
    for (auto _ : state) {
        storeOnce(form, ++i, state);
        keeper.startSave();
        if (!timeTheWriter) state.PauseTiming();
        keeper.waitForWriter();
        if (!timeTheWriter) state.ResumeTiming();
    }
    keeper.setKey(nullptr);
    keeper.startSave();
    keeper.waitForWriter();
    if (!session().boxes.log.isEmpty()) state.SkipWithError(qPrintable(session().boxes.log.join(u'\n')));
}

void BM_StoreWithSave(benchmark::State& state) { storesWithSaves(state, false); }
BENCHMARK(BM_StoreWithSave)->ArgName("protected")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_StoreWithSaveWhole(benchmark::State& state) { storesWithSaves(state, true); }
BENCHMARK(BM_StoreWithSaveWhole)->ArgName("protected")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// For comparison: the writer thread's part, the image written and synced atomically.
void BM_WriteImage(benchmark::State& state)
{
    const QByteArray image = session().form->diary.saveImage();
    for (auto _ : state) writeFileWhole(QStringLiteral("image.dat"), image);
    state.SetBytesProcessed(state.iterations() * image.size());
}
BENCHMARK(BM_WriteImage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv, [] { session().end(); });
}
