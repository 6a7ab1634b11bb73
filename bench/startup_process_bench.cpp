// Start-up as the operator waits for it: from starting the process to the first paint of its main
// window, the program against a bare Qt main window started the same way. Both are whole
// processes, so the toolkit's own start (loading, the platform, fonts) is in both. The platform
// is the one the environment names (offscreen unless QT_QPA_PLATFORM or DISPLAY says otherwise).

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

extern char **environ;

namespace {

bool runToEnd(const char *program)
{
    char *argv[] = {const_cast<char *>(program), nullptr};
    // The platform's notes on stderr are no part of the figures.
    posix_spawn_file_actions_t quiet;
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program, &quiet, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void StartToFirstPaint(benchmark::State &bench, const char *program)
{
    for (auto _ : bench) {
        if (!runToEnd(program)) {
            bench.SkipWithError("the probe did not end at its first paint");
            break;
        }
    }
}

BENCHMARK_CAPTURE(StartToFirstPaint, BareQtWindow, STARTUP_PROBE_BARE)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(StartToFirstPaint, BareQtWindowWithText, STARTUP_PROBE_TEXT)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(StartToFirstPaint, Program, STARTUP_PROBE_PROGRAM)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
