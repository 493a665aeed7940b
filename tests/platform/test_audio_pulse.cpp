#include "platform/audio/audiooutput.h"
#include "test_mci_fixture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace vornap::platform;
using namespace std::chrono_literals;
using vornap::test::eventually;

namespace {

// A private PulseAudio server with one null sink, reached through its own
// socket; skipped where PulseAudio is not installed.
class PulseServer {
public:
    PulseServer() : m_oldServer(qgetenv("PULSE_SERVER")) {}
    ~PulseServer() {
        stop();
        if (m_oldServer.isNull())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", m_oldServer);
    }

    bool start() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (program.isEmpty())
            return false;
        const QString runtime = m_dir.filePath(QStringLiteral("xdg"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString socket = m_dir.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.remove(QStringLiteral("PULSE_SERVER"));
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(program,
                       {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                        "--log-target=stderr", "--log-level=error", "-L",
                        "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                        "module-null-sink sink_name=test_sink rate=44100 channels=2 norewinds=1"});
        if (!m_server.waitForStarted(5000))
            return false;
        // The socket file can be there before the server takes connections
        // (seen on a loaded machine), and a stream that finds no server plays
        // silently: wait until a connection is accepted.
        bool up = false;
        for (int i = 0; i < 200 && !(up = accepts(socket)); ++i)
            std::this_thread::sleep_for(50ms);
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        return up;
    }
    void stop() {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.kill();
        m_server.waitForFinished(5000);
    }

private:
    static bool accepts(const QString& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (name.size() >= qsizetype(sizeof address.sun_path))
            return false;
        std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool ok =
            fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }

    QByteArray m_oldServer;
    QTemporaryDir m_dir;
    QProcess m_server;
};

// A tone, so a stream that plays silence would not pass unnoticed by ear.
std::vector<std::int16_t> tone(double seconds) {
    const auto samples = std::size_t(seconds * audio::sampleRate);
    std::vector<std::int16_t> out(samples * 2);
    for (std::size_t i = 0; i < samples; ++i)
        out[2 * i] = out[2 * i + 1] = std::int16_t(8000 * std::sin(i * 0.0627));
    return out;
}

// Writes in tenths of a second, as a playing drive does.
bool feed(audio::AudioStream& stream, const std::vector<std::int16_t>& pcm,
          std::stop_token stop = {}) {
    constexpr std::int64_t chunk = audio::sampleRate / 10;
    const auto total = std::int64_t(pcm.size() / 2);
    for (std::int64_t at = 0; at < total; at += chunk)
        if (!stream.write(pcm.data() + at * 2, std::min(chunk, total - at), stop))
            return false;
    return true;
}

class AudioPulseStream : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.start())
            GTEST_SKIP() << "no PulseAudio server could be started here";
    }
    std::unique_ptr<audio::AudioStream> open() {
        auto stream = output.open();
        // A silent stream (the server not reached) would be past 0 by now.
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(stream->neededFrom(), 0);
        return stream;
    }

    PulseServer server;
    SteadyClock clock;
    audio::PulseAudioOutput output{clock};
};

} // namespace

TEST_F(AudioPulseStream, EverythingWrittenIsPlayedOutAndRunningDryIsCounted) {
    auto stream = open();
    ASSERT_TRUE(feed(*stream, tone(1.5)));
    EXPECT_EQ(stream->written(), 66150);
    // What was written is not all heard yet: the server holds a buffer.
    EXPECT_LT(stream->played(), stream->written());
    // The writer falls behind: the server plays its buffer out and waits.
    EXPECT_TRUE(eventually([&] { return stream->underruns() > 0; }, 10000));
    const int counted = stream->underruns();
    // Sound written afterwards plays again.
    ASSERT_TRUE(feed(*stream, tone(0.7)));
    ASSERT_TRUE(stream->drain({}));
    EXPECT_EQ(stream->played(), stream->written());
    EXPECT_EQ(stream->underruns(), counted);
}

TEST_F(AudioPulseStream, StopWakesAWriterWaitingForRoom) {
    auto stream = open();
    const auto pcm = tone(10);
    std::atomic<bool> returned{false};
    std::atomic<bool> result{false};
    std::jthread writer([&](std::stop_token stop) {
        result = stream->write(pcm.data(), std::int64_t(pcm.size() / 2), stop);
        returned = true;
    });
    // Ten seconds do not fit in the server's buffer: the writer waits.
    ASSERT_TRUE(eventually([&] { return stream->written() > 0; }, 10000));
    EXPECT_FALSE(returned);
    writer.request_stop();
    ASSERT_TRUE(eventually([&] { return returned.load(); }, 10000));
    // A stop is not a broken stream.
    EXPECT_TRUE(result);
    EXPECT_LT(stream->written(), 10 * audio::sampleRate);
    EXPECT_FALSE(stream->drain(writer.get_stop_token()));
}

TEST_F(AudioPulseStream, ServerGoingAwayFailsTheWriter) {
    auto stream = open();
    ASSERT_TRUE(feed(*stream, tone(0.7)));
    server.stop();
    const auto pcm = tone(0.1);
    EXPECT_TRUE(eventually([&] { return !stream->write(pcm.data(), 4410, {}); }, 10000));
    EXPECT_FALSE(stream->drain({}));
}
