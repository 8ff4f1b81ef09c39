// Start-up as the user sees it. The real program starts in a folder holding a 100-year
// diary (36,500 entries) and the four picture-set files, in a private X server without a
// window manager; the bare Qt window of bare_window.cpp starts the same way, alternately,
// in the same run. For each start the benchmark reports
//   drawn: the time from exec to the last drawing on the screen that is followed by 400 ms
//          without any (the server's DAMAGE reports of the root window and everything in
//          it, so every pixel the program puts on the screen counts, however drawn);
//   mapped: the time from exec to the mapping of the first top-level window;
//   PSS: the proportional set size of the process once settled (/proc/PID/smaps_rollup),
//        with its anonymous part and the RSS beside it;
//   CPU: the processor time its threads have used by then (/proc/PID/task/*/schedstat),
//        which a busy machine disturbs less than the times on the clock.
// Drawings no wider than the caret (3 px) do not count, so that the day editor's blinking
// caret (every 500 ms) does not stretch the start, nor do drawings before the first window
// is mapped (the screen cleared after the previous start). Medians over the pairs after one
// warm-up pair, and the ratios to the bare window.
//
//   bench_startup [--pairs N] [--program PATH]... [--verbose]
//   bench_startup --prepare DIR
// Each --program replaces the built program (several are measured in turn, e.g. an older
// build beside this one); --verbose prints every drawing. --prepare only writes the
// diary and the set files into DIR, for profiling by hand.

#include "damagewatch.h"

#include "bench/common/largediary.h"
#include "core/datetime.h"
#include "diary/engine/volgatable.h"
#include "pictures/builtinpictures.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vistelle;

namespace {

constexpr double QuietMs = 400;
constexpr double RunTimeoutMs = 30000;
constexpr int CaretWidth = 3;

QTextStream out(stdout);

// The benchmarks' diary of a user of 100 years, with the window-state record of the
// designed window.
void writeDiary(const QString& path)
{
    TVolgaTable t;
    bench::writeLargeDiary(t, path);
    t.AppendRecord({Variant::fromDateTime(encodeDate(5050, 7, 6)), Variant(QByteArray("415x736y163z266j407k203"))});
    t.SaveToFile(path);
}

void writeSetFiles(const QDir& dir)
{
    for (int n = 1; n <= 4; ++n) {
        std::unique_ptr<TLMDGraphicList> list(createBuiltinList(n, nullptr));
        writeSetFile(*list, dir.filePath(QStringLiteral("graphics%1.dat").arg(n)));
    }
}

// A private X server on a display it picks itself; ends with this process.
class XServer {
public:
    bool start()
    {
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-ac",
                                                 "-noreset"});
        if (!m_process.waitForStarted(30000)) return false;
        QByteArray line;
        while (!line.contains('\n') && m_process.waitForReadyRead(30000)) line += m_process.readAllStandardOutput();
        if (!line.contains('\n')) return false;
        m_display = QStringLiteral(":") + QString::fromLatin1(line.trimmed());
        return true;
    }
    ~XServer()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

// What a settled process holds: Pss, Rss and Pss_Anon in MiB (PSS shares each page among
// the processes that map it, so the libraries weigh less while other Qt programs run; RSS
// counts them whole), and the processor time its running threads have used.
struct Settled {
    double pss = 0, rss = 0, anon = 0;
    double cpuMs = 0;
};

Settled settledFiguresOf(pid_t pid)
{
    Settled m;
    QFile f(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return m;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2) continue;
        const double mib = parts[1].toDouble() / 1024.0;
        if (parts[0] == "Pss:") m.pss = mib;
        else if (parts[0] == "Rss:") m.rss = mib;
        else if (parts[0] == "Pss_Anon:") m.anon = mib;
    }
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly)) m.cpuMs += stat.readAll().split(' ').first().toDouble() / 1e6;
    }
    return m;
}

struct Run {
    bool ok = false;
    double mapped = 0, drawn = 0;
    Settled settled;
    int drawings = 0;
    QRect window;
};

class Bench {
public:
    QTemporaryDir root;
    QDir master{root.filePath("master")};
    QString display;
    std::unique_ptr<DamageWatch> watch;
    bool verbose = false;
    int runNumber = 0;

    // A fresh folder holding links to the master files, so that nothing a run leaves
    // (a lock, a backup) reaches the next one.
    QString runFolder()
    {
        const QString dir = root.filePath(QStringLiteral("run%1").arg(++runNumber));
        QDir().mkpath(dir);
        for (const QString& name : master.entryList(QDir::Files))
            ::link(QFile::encodeName(master.filePath(name)).constData(), QFile::encodeName(dir + "/" + name).constData());
        return dir;
    }

    std::vector<QByteArray> environment() const
    {
        std::vector<QByteArray> env;
        for (char** e = environ; *e; ++e) {
            const QByteArray entry(*e);
            for (const char* drop : {"DISPLAY=", "WAYLAND_DISPLAY=", "XAUTHORITY=", "QT_QPA_PLATFORM=", "HOME="})
                if (entry.startsWith(drop)) goto skip;
            env.push_back(entry);
        skip:;
        }
        env.push_back("DISPLAY=" + display.toLocal8Bit());
        env.push_back("HOME=" + QFile::encodeName(root.filePath("home")));
        return env;
    }

    Run start(const QString& program)
    {
        const QString folder = runFolder();
        const QByteArray path = QFile::encodeName(program), dir = QFile::encodeName(folder);
        std::vector<QByteArray> env = environment();
        std::vector<char*> envp;
        for (QByteArray& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(path.constData()), nullptr};

        watch->drain();
        const double t0 = monotonicMs();
        const pid_t pid = fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::chdir(dir.constData()) != 0) _exit(127);
            ::execve(path.constData(), argv, envp.data());
            _exit(127);
        }
        if (verbose) out << QStringLiteral("  exec at %1 (monotonic ms)\n").arg(t0, 0, 'f', 2);
        Run run = observe(t0);
        if (run.ok) run.settled = settledFiguresOf(pid);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        // The server clears the screen once it notices the client has gone.
        ScreenEvent e;
        while (watch->next(monotonicMs() + 200, e)) {}
        return run;
    }

    Run observe(double t0)
    {
        Run run;
        double last = -1;
        ScreenEvent e;
        for (;;) {
            const double deadline = last < 0 ? t0 + RunTimeoutMs : last + QuietMs;
            if (!watch->next(deadline, e)) break;
            if (e.kind == ScreenEvent::Mapped) {
                if (run.mapped == 0) run.mapped = e.at - t0;
                run.window = run.window.united(e.area);
                if (verbose) out << QStringLiteral("  %1 ms mapped %2x%3+%4+%5\n").arg(e.at - t0, 7, 'f', 1)
                                        .arg(e.area.width()).arg(e.area.height()).arg(e.area.x()).arg(e.area.y());
                continue;
            }
            const bool caret = e.area.width() <= CaretWidth;
            if (verbose) out << QStringLiteral("  %1 ms drawn %2x%3+%4+%5%6\n").arg(e.at - t0, 7, 'f', 1)
                                    .arg(e.area.width()).arg(e.area.height()).arg(e.area.x()).arg(e.area.y())
                                    .arg(caret ? " (caret)" : "");
            if (caret || run.mapped == 0) continue;
            last = qMax(last, e.at);
            ++run.drawings;
        }
        run.ok = last >= 0;
        run.drawn = last - t0;
        out.flush();
        return run;
    }
};

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Series {
    QString name;
    QString program;
    std::vector<double> drawn, mapped, pss, rss, anon, cpu;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int pairs = 9;
    QStringList programs;
    Bench bench;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--pairs" && i + 1 < args.size()) pairs = qMax(1, args[++i].toInt());
        else if (args[i] == "--program" && i + 1 < args.size()) programs << QFileInfo(args[++i]).absoluteFilePath();
        else if (args[i] == "--verbose") bench.verbose = true;
        else if (args[i] == "--prepare" && i + 1 < args.size()) {
            const QDir dir(args[++i]);
            QDir().mkpath(dir.path());
            writeDiary(dir.filePath("diary.dat"));
            writeSetFiles(dir);
            return 0;
        }
        else {
            out << "usage: bench_startup [--pairs N] [--program PATH]... [--verbose]\n";
            return 2;
        }
    }
    if (programs.isEmpty()) programs << QStringLiteral(VISTELLE_PROGRAM);

    QDir().mkpath(bench.master.path());
    QDir().mkpath(bench.root.filePath("home"));
    writeDiary(bench.master.filePath("diary.dat"));
    writeSetFiles(bench.master);
    out << QStringLiteral("diary.dat: %1 bytes, %2 entries\n").arg(QFileInfo(bench.master.filePath("diary.dat")).size()).arg(bench::Entries);

    XServer server;
    if (!server.start()) {
        out << "Xvfb did not start\n";
        return 1;
    }
    bench.display = server.display();
    bench.watch = std::make_unique<DamageWatch>(bench.display);
    if (!bench.watch->error().isEmpty()) {
        out << bench.watch->error() << "\n";
        return 1;
    }

    std::vector<Series> series;
    series.push_back({QStringLiteral("bare Qt window"), QStringLiteral(BARE_WINDOW_PROGRAM), {}, {}, {}, {}, {}, {}});
    for (const QString& p : programs) series.push_back({QFileInfo(p).fileName(), p, {}, {}, {}, {}, {}, {}});
    if (programs.size() > 1)
        for (size_t i = 1; i < series.size(); ++i) series[i].name = QStringLiteral("%1 (%2)").arg(series[i].name).arg(series[i].program);

    for (int pair = 0; pair <= pairs; ++pair) {
        for (Series& s : series) {
            if (bench.verbose) out << s.name << (pair == 0 ? " (warm-up)" : "") << ":\n";
            const Run run = bench.start(s.program);
            if (!run.ok) {
                out << s.name << ": nothing was drawn within " << RunTimeoutMs / 1000 << " s\n";
                return 1;
            }
            out << QStringLiteral("%1 %2: drawn %3 ms, mapped %4 ms, PSS %5 MiB (anonymous %6), RSS %7 MiB, CPU %10 ms, %8 drawings, window %9\n")
                       .arg(pair == 0 ? QStringLiteral("warm-up") : QStringLiteral("pair %1").arg(pair), 7)
                       .arg(s.name, -16).arg(run.drawn, 6, 'f', 1).arg(run.mapped, 6, 'f', 1).arg(run.settled.pss, 5, 'f', 1)
                       .arg(run.settled.anon, 4, 'f', 1).arg(run.settled.rss, 5, 'f', 1).arg(run.drawings)
                       .arg(QStringLiteral("%1x%2").arg(run.window.width()).arg(run.window.height()))
                       .arg(run.settled.cpuMs, 0, 'f', 1);
            out.flush();
            if (pair == 0) continue;
            s.drawn.push_back(run.drawn);
            s.mapped.push_back(run.mapped);
            s.pss.push_back(run.settled.pss);
            s.rss.push_back(run.settled.rss);
            s.anon.push_back(run.settled.anon);
            s.cpu.push_back(run.settled.cpuMs);
        }
    }

    out << QStringLiteral("\nmedians of %1 pairs:\n").arg(pairs);
    const Series& bare = series.front();
    for (const Series& s : series) {
        out << QStringLiteral("  %1 drawn %2 ms, mapped %3 ms, PSS %4 MiB (anonymous %5), RSS %6 MiB, CPU %7 ms")
                   .arg(s.name, -16).arg(median(s.drawn), 6, 'f', 1).arg(median(s.mapped), 6, 'f', 1)
                   .arg(median(s.pss), 5, 'f', 1).arg(median(s.anon), 4, 'f', 1).arg(median(s.rss), 5, 'f', 1)
                   .arg(median(s.cpu), 5, 'f', 1);
        if (&s != &bare)
            out << QStringLiteral("\n  %1 ratio drawn %2").arg(QString(), -16).arg(median(s.drawn) / median(bare.drawn), 0, 'f', 2);
        out << "\n";
    }
    return 0;
}
