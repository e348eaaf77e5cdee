// The main function of the benchmarks that draw with Qt: a GUI application
// on the offscreen platform (unless one is chosen) while they run.
#pragma once

#include <benchmark/benchmark.h>

#include <QGuiApplication>

namespace gridova::bench {

inline int runWithQt(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace gridova::bench
