#include "media/MediaFixtures.h"

#include "base/Failure.h"

#include <QFile>
#include <QProcess>
#include <cmath>
#include <cstdint>

namespace velmoa::testing {
namespace {

void put16(std::string& out, int value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}
void put32(std::string& out, std::uint32_t value) {
    put16(out, static_cast<int>(value & 0xffff));
    put16(out, static_cast<int>(value >> 16));
}

} // namespace

std::string wavOf(const std::vector<std::int16_t>& samples, int rate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, static_cast<std::uint32_t>(rate));
    put32(out, static_cast<std::uint32_t>(rate * 2));
    put16(out, 2);
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (const std::int16_t sample : samples) {
        put16(out, sample);
    }
    return out;
}

std::string wavBytes(int milliseconds) {
    constexpr int rate = 8000;
    const auto count =
        static_cast<std::size_t>(std::int64_t{rate} * milliseconds / 1000); // ten minutes overflow int
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] =
            static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440 * static_cast<double>(i) / rate));
    }
    return wavOf(samples, rate);
}

std::string failureOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "(none)";
}

bool ffmpeg(const QStringList& arguments, const std::string& path) {
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-nostdin", "-y"} + arguments +
                                                QStringList{QString::fromStdString(path)});
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

MediaFixtures::MediaFixtures(const QTemporaryDir& dir) : folder(dir.path().toStdString()) {
    const std::string wav = path("tone.wav");
    {
        QFile file(QString::fromStdString(wav));
        if (!file.open(QIODevice::WriteOnly)) {
            return;
        }
        const std::string bytes = wavBytes(1000);
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    const QStringList tone{"-i", QString::fromStdString(wav)};
    const QStringList picture{"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1"};
    made = ffmpeg(tone + QStringList{"-c:a", "libmp3lame"}, path("tone.mp3")) &&
           ffmpeg(tone + QStringList{"-c:a", "mp2", "-ar", "32000"}, path("tone.mp2")) &&
           ffmpeg(tone + QStringList{"-c:a", "wmav2"}, path("tone.wma")) &&
           ffmpeg(picture + tone +
                      QStringList{"-c:v", "mpeg1video", "-c:a", "mp2", "-ar", "32000", "-f", "mpeg"},
                  path("clip.mpg")) &&
           ffmpeg(picture + tone + QStringList{"-c:v", "mpeg4", "-c:a", "pcm_s16le"}, path("clip.avi")) &&
           ffmpeg(picture + tone + QStringList{"-c:v", "wmv2", "-c:a", "wmav2"}, path("clip.wmv"));
    QFile list(QString::fromStdString(path("list.m3u")));
    made = made && list.open(QIODevice::WriteOnly) && list.write("#EXTM3U\ntone.wav\n") > 0;
    QFile asx(QString::fromStdString(path("list.asx")));
    made = made && asx.open(QIODevice::WriteOnly) &&
           asx.write("<ASX version=\"3.0\"><Entry><Ref href=\"clip.wmv\"/></Entry></ASX>") > 0;
    QFile wpl(QString::fromStdString(path("list.wpl")));
    made = made && wpl.open(QIODevice::WriteOnly) &&
           wpl.write(
               "<?wpl version=\"1.0\"?><smil><body><seq><media src=\"tone.wma\"/></seq></body></smil>") > 0;
    // Sound itself under a playlist's name, as some programs save it.
    made = made &&
           QFile::copy(QString::fromStdString(path("tone.wma")), QString::fromStdString(path("sound.wax")));
}

} // namespace velmoa::testing
