// How long larkspire takes from process start to its sign-on window, and how
// much memory it holds then. Runs it a few times on a fresh Windows directory.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kTimeoutMs = 30000;

// VmRSS of a process in KiB, -1 when it cannot be read.
long ResidentKiB(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

struct Sample {
    double ms { -1 };
    long rssKiB { -1 };
};

Sample RunOnce()
{
    QTemporaryDir scratch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVO_WINDIR", scratch.path() + "/windows");
    env.insert("KORVO_APPDIR", KORVO_BIN_DIR);
    env.insert("KORVO_STARTUP_MARKER", "1");
    QProcess larkspire;
    larkspire.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    larkspire.start(QString(KORVO_BIN_DIR) + "/larkspire", {});
    QByteArray errors;
    Sample sample;
    while (clock.elapsed() < kTimeoutMs && larkspire.state() != QProcess::NotRunning) {
        larkspire.waitForReadyRead(5);
        errors += larkspire.readAllStandardError();
        if (errors.contains("[larkspire] sign-on shown")) {
            sample.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            sample.rssKiB = ResidentKiB(larkspire.processId());
            break;
        }
    }
    larkspire.kill();
    larkspire.waitForFinished(5000);
    return sample;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<Sample> samples;
    for (int i = 0; i < kRuns; ++i) {
        const Sample s = RunOnce();
        if (s.ms < 0) {
            std::fprintf(stderr, "bench_startup: larkspire did not show its sign-on window\n");
            return 1;
        }
        std::printf("run %d: sign-on window after %.1f ms, resident %ld KiB\n", i + 1, s.ms, s.rssKiB);
        samples.push_back(s);
    }
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    const Sample& median = samples[samples.size() / 2];
    std::printf("startup to sign-on window: median %.1f ms (min %.1f, max %.1f); resident memory %ld KiB\n",
                median.ms, samples.front().ms, samples.back().ms, median.rssKiB);
    return 0;
}
