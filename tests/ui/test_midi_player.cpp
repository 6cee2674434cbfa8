// Background music: the six shipped tracks are well-formed Standard MIDI Files that render to
// audible audio of 40 to 90 seconds, and the player reports failures instead of pretending to play.
#include "support/TestSupport.h"
#include "ui/MidiPlayer.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

const QStringList kTracks = {u"乐曲01"_s, u"乐曲02"_s, u"乐曲03"_s,
                             u"乐曲04"_s, u"乐曲05"_s, u"乐曲06"_s};

QString trackPath(const QString &track)
{
    return testsupport::binDir() + u"sound/"_s + track + u".mid"_s;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a strict walk through a Standard MIDI File found; error is empty when it is well formed.
struct SmfSummary
{
    int format = -1;
    int tracks = 0;
    int division = 0;
    int noteOns = 0;
    int programChanges = 0;
    bool tempo = false;
    std::string error;
};

SmfSummary walkSmf(const QByteArray &d)
{
    SmfSummary s;
    const auto *p = reinterpret_cast<const uchar *>(d.constData());
    const qsizetype size = d.size();
    if (size < 14 || d.left(4) != "MThd" || qFromBigEndian<quint32>(p + 4) != 6) {
        s.error = "no MThd header of length 6";
        return s;
    }
    s.format = qFromBigEndian<quint16>(p + 8);
    const int declared = qFromBigEndian<quint16>(p + 10);
    s.division = qFromBigEndian<qint16>(p + 12);
    qsizetype pos = 14;
    while (pos < size) {
        if (pos + 8 > size || d.mid(pos, 4) != "MTrk") {
            s.error = "chunk at " + std::to_string(pos) + " is not a complete MTrk header";
            return s;
        }
        const qsizetype end = pos + 8 + qFromBigEndian<quint32>(p + pos + 4);
        if (end > size) {
            s.error = "track chunk runs past the end of the file";
            return s;
        }
        qsizetype i = pos + 8;
        int status = 0;
        bool ended = false;
        auto varLen = [&](quint32 &value) {
            value = 0;
            for (int n = 0; n < 4 && i < end; ++n) {
                const uchar b = p[i++];
                value = (value << 7) | (b & 0x7F);
                if (!(b & 0x80))
                    return true;
            }
            return false;
        };
        while (i < end && !ended) {
            quint32 delta = 0, length = 0;
            if (!varLen(delta) || i >= end) {
                s.error = "bad delta time";
                return s;
            }
            const uchar b = p[i];
            if (b == 0xFF) {
                if (i + 2 > end) {
                    s.error = "truncated meta event";
                    return s;
                }
                const uchar type = p[i + 1];
                i += 2;
                if (!varLen(length) || i + length > end) {
                    s.error = "meta event runs past its track";
                    return s;
                }
                s.tempo = s.tempo || (type == 0x51 && length == 3);
                ended = type == 0x2F;
                i += length;
                continue;
            }
            if (b == 0xF0 || b == 0xF7) {
                ++i;
                if (!varLen(length) || i + length > end) {
                    s.error = "sysex runs past its track";
                    return s;
                }
                i += length;
                continue;
            }
            if (b & 0x80) {
                status = b;
                ++i;
            } else if (status == 0) {
                s.error = "running status without a status byte";
                return s;
            }
            const int kind = status & 0xF0;
            const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (i + dataBytes > end || (p[i] & 0x80) || (dataBytes == 2 && (p[i + 1] & 0x80))) {
                s.error = "bad channel message data";
                return s;
            }
            if (kind == 0x90 && p[i + 1] > 0)
                ++s.noteOns;
            if (kind == 0xC0)
                ++s.programChanges;
            i += dataBytes;
        }
        if (!ended || i != end) {
            s.error = "track does not end with End of Track exactly at its chunk end";
            return s;
        }
        ++s.tracks;
        pos = end;
    }
    if (s.tracks != declared)
        s.error = "header declares " + std::to_string(declared) + " tracks, file holds " +
                  std::to_string(s.tracks);
    return s;
}

struct WavSummary
{
    double seconds = 0; // length of the file
    double audible = 0; // up to the last sample above 1 % of the peak
    int peak = 0;
    std::string error;
};

WavSummary readWav(const QByteArray &d)
{
    WavSummary w;
    const auto *p = reinterpret_cast<const uchar *>(d.constData());
    if (d.size() < 12 || d.left(4) != "RIFF" || d.mid(8, 4) != "WAVE") {
        w.error = "not a RIFF/WAVE file";
        return w;
    }
    int channels = 0, rate = 0, bits = 0, format = 0;
    for (qsizetype pos = 12; pos + 8 <= d.size();) {
        const QByteArray id = d.mid(pos, 4);
        const qsizetype len = qFromLittleEndian<quint32>(p + pos + 4);
        const qsizetype body = pos + 8;
        if (id == "fmt " && len >= 16) {
            format = qFromLittleEndian<quint16>(p + body);
            channels = qFromLittleEndian<quint16>(p + body + 2);
            rate = int(qFromLittleEndian<quint32>(p + body + 4));
            bits = qFromLittleEndian<quint16>(p + body + 14);
        } else if (id == "data") {
            if (format != 1 || bits != 16 || channels < 1 || rate <= 0) {
                w.error = "not 16-bit PCM";
                return w;
            }
            const qsizetype bytes = std::min(len, d.size() - body);
            const auto sample = [&](qsizetype i) {
                return std::abs(int(qFromLittleEndian<qint16>(p + body + i)));
            };
            for (qsizetype i = 0; i + 1 < bytes; i += 2)
                w.peak = std::max(w.peak, sample(i));
            qsizetype last = bytes - 2;
            while (last > 0 && sample(last) * 100 <= w.peak)
                last -= 2;
            const double bytesPerSecond = 2.0 * channels * rate;
            w.seconds = double(bytes) / bytesPerSecond;
            w.audible = double(last + 2) / bytesPerSecond;
            return w;
        }
        pos = body + len + (len & 1);
    }
    w.error = "no data chunk";
    return w;
}

bool systemListsSoundCards()
{
    QFile cards(u"/proc/asound/cards"_s);
    if (!cards.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = cards.readAll().trimmed();
    return !text.isEmpty() && !text.contains("no soundcards");
}

} // namespace

TEST(BackgroundMusic, EveryTrackIsAWellFormedStandardMidiFile)
{
    for (const QString &track : kTracks) {
        SCOPED_TRACE(track.toStdString());
        const QByteArray data = readAll(trackPath(track));
        ASSERT_FALSE(data.isEmpty()) << "missing or empty: " << trackPath(track).toStdString();
        const SmfSummary smf = walkSmf(data);
        EXPECT_EQ(smf.error, "");
        EXPECT_TRUE(smf.format == 0 || smf.format == 1);
        EXPECT_GT(smf.division, 0) << "ticks per quarter note";
        EXPECT_TRUE(smf.tempo) << "no tempo event";
        EXPECT_GE(smf.programChanges, 1) << "no instrument chosen";
        EXPECT_GT(smf.noteOns, 150) << "a melody with accompaniment has far more notes";
    }
}

TEST(BackgroundMusic, EveryTrackRendersAudibleMusicOf40To90Seconds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString &track : kTracks) {
        SCOPED_TRACE(track.toStdString());
        const QString wav = dir.filePath(track + u".wav"_s);
        ASSERT_TRUE(MidiPlayer::renderToWav(trackPath(track), wav));
        const WavSummary w = readWav(readAll(wav));
        ASSERT_EQ(w.error, "");
        EXPECT_GE(w.audible, 40.0) << "music ends too early";
        EXPECT_LE(w.seconds, 90.0) << "playback runs too long";
        EXPECT_GT(w.peak, 3000) << "close to silent";
        EXPECT_LT(w.peak, 32767) << "clipped";
    }
}

TEST(MidiPlayer, RenderingRefusesMissingAndNonMidiFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString wav = dir.filePath(u"out.wav"_s);
    EXPECT_FALSE(MidiPlayer::renderToWav(dir.filePath(u"没有这首.mid"_s), wav));

    const QString text = dir.filePath(u"notes.mid"_s);
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a MIDI file\n");
    f.close();
    EXPECT_FALSE(MidiPlayer::renderToWav(text, wav));
    EXPECT_FALSE(QFileInfo::exists(wav));
}

TEST(MidiPlayer, CountsNoSoundCardOnThisMachine)
{
    if (systemListsSoundCards())
        GTEST_SKIP() << "/proc/asound/cards lists sound cards";
    EXPECT_EQ(MidiPlayer::soundCardCount(), 0);
}

TEST(MidiPlayer, PlayReportsFailureInsteadOfPlaying)
{
    MidiPlayer player;
    EXPECT_FALSE(player.play(testsupport::binDir() + u"sound/没有这首.mid"_s));
    EXPECT_FALSE(player.isPlaying());

    if (systemListsSoundCards() || MidiPlayer::soundCardCount() > 0)
        GTEST_SKIP() << "a sound card is present, so a real track may play";
    // Without an audio device the driver cannot start: the track must not count as playing.
    EXPECT_FALSE(player.play(trackPath(kTracks.first())));
    EXPECT_FALSE(player.isPlaying());
    player.stop();
    EXPECT_FALSE(player.isPlaying());
}
