#include <malloc.h>

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

QtMessageHandler g_previous = nullptr;

// The offscreen platform warns at every raise() of a window; the editor is raised on each open.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message == QLatin1String("This plugin does not support raise()"))
        return;
    g_previous(type, context, message);
}

} // namespace

// Benchmarks drive real widgets on the offscreen platform unless a display is asked for.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_previous = qInstallMessageHandler(quietHandler);
    // Large blocks (list chunks, row indexes, the views' row items) always come fresh from the
    // system, as in the program's own run: otherwise the allocator keeps them after the first
    // window is closed, and each later start-up in the run would find its pages already there.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
