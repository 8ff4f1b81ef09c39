#pragma once
// The main window on the benchmarks' 100-year diary, in a temporary working folder with
// scripted message boxes, and the main of a benchmark program that needs widgets.

#include "app/mainform.h"
#include "bench/common/largediary.h"
#include "calendar/qelcalendar.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>

namespace vistelle::bench {

struct WindowSession {
    QTemporaryDir dir;
    ScriptedDialogs boxes;
    std::unique_ptr<TMainForm> form;

    // Selects the date first when one is given, then runs the window's activation.
    explicit WindowSession(TDateTime selected = 0)
    {
        QDir::setCurrent(dir.path());
        setDialogs(&boxes);
        TVolgaTable t;
        writeLargeDiary(t, "diary.dat");
        form = std::make_unique<TMainForm>();
        form->show();
        if (selected != 0) form->Calendar->SetSelectedDate(selected);
        form->formActivate();
    }
    // The window goes before the application object does.
    void end()
    {
        form.reset();
        setDialogs(nullptr);
    }
};

// Runs the benchmarks on the offscreen platform; atEnd runs before the application goes.
inline int runWidgetBenchmarks(int argc, char** argv, const std::function<void()>& atEnd = {})
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (atEnd) atEnd();
    return 0;
}

} // namespace vistelle::bench
