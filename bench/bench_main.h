#pragma once

// The main of a benchmark program that needs a Qt application (`App`: QGuiApplication or
// QApplication): offscreen unless the environment names a platform, the application made before
// the benchmarks run and kept until they end. An argument neither Qt nor the benchmark library
// knows is refused.

#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

namespace varmet {

template<typename App>
int RunBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace varmet
