// mkmusic <outdir>: writes the six background-music tracks 乐曲01.mid .. 乐曲06.mid as Standard
// MIDI Files (format 1: a conductor track with tempo and metre, then melody, harmony and bass).
//
// Every tune below is a public-domain melody, written out here as a table of notes; the
// accompaniment is generated from the chord symbols given per bar.
//
// Note tables: tokens "PITCH:LEN", PITCH a note name with octave (C4 = middle C, sharps "#",
// flats "b") or "r" for a rest, LEN in sixteenths; a trailing "~" ties the note to the next one.
// "|" ends a bar. A tune with an upbeat has a first bar of `pickup` sixteenths and a last bar
// that is that much shorter, so that a repeat fits the metre.
// Chord tables: the same bars, each with one or more chord symbols that share the bar evenly
// (C, Am, G7, Dm7, Fmaj7, Bdim; "-" = no accompaniment in an upbeat bar).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

enum class Style
{
    Arpeggio, // broken chords in eighths
    Pad,      // sustained block chords
    Pulse     // bass on the strong beats, short chords on the others
};

struct Tune
{
    const char *file;  // output file name, UTF-8
    const char *title; // track name written into the file
    int bpm;           // quarter notes per minute
    int beats;         // time signature numerator
    int beatUnit;      // time signature denominator
    int pickup;        // upbeat length in sixteenths, 0 for none
    int passes;        // times the whole tune is played
    int transpose;     // semitones added to every note and chord
    int melodyProgram; // General MIDI programs, 0-based
    int harmonyProgram;
    int bassProgram;
    Style style;
    int level; // loudness: percent of the standard note velocities
    const char *melody;
    const char *chords;
};

// clang-format off
const Tune kTunes[] = {
    // 茉莉花: Chinese folk song (Jiangsu). F major, ends on the fifth degree as the song does.
    {"乐曲01.mid", "茉莉花 (中国民歌)", 58, 2, 4, 0, 2, 0, 73, 24, 32, Style::Arpeggio, 100,
     "A4:2 A4:1 C5:1 D5:1 F5:1 F5:1 D5:1 | C5:2 C5:1 D5:1 C5:4 |"
     "A4:2 A4:1 C5:1 D5:1 F5:1 F5:1 D5:1 | C5:2 C5:1 D5:1 C5:4 |"
     "C5:2 C5:2 C5:2 A4:1 C5:1 | D5:2 D5:2 C5:4 |"
     "A4:2 G4:1 A4:1 C5:2 A4:1 G4:1 | F4:2 F4:1 G4:1 F4:4 |"
     "A4:2 G4:1 F4:1 A4:2 G4:1 A4:1 | C5:2 D5:1 F5:1 C5:4 |"
     "G4:2 A4:1 C5:1 G4:1 A4:1 F4:2 | D4:2 C4:6 |"
     "D4:1 F4:1 G4:1 A4:1 F4:1 G4:1 F4:1 D4:1 | C4:8",
     "F | C | F | C | F | Dm C | F C | F | F | C | C Dm | Gm C | Dm Bb | C"},

    // 送别: melody of "Dreaming of Home and Mother" (J. P. Ordway, 1851).
    {"乐曲02.mid", "送别 (J. P. Ordway)", 72, 4, 4, 0, 1, 0, 0, 0, 0, Style::Arpeggio, 130,
     "G4:4 E4:2 G4:2 C5:8 | A4:4 C5:4 G4:8 | G4:4 C4:2 D4:2 E4:4 D4:2 C4:2 | D4:16 |"
     "G4:4 E4:2 G4:2 C5:6 B4:2 | A4:4 C5:4 G4:8 | G4:4 D4:2 E4:2 F4:6 B3:2 | C4:16 |"
     "A4:4 C5:4 C5:8 | B4:4 A4:2 B4:2 C5:8 | A4:2 B4:2 C5:2 A4:2 A4:2 G4:2 E4:2 C4:2 | D4:16 |"
     "G4:4 E4:2 G4:2 C5:6 B4:2 | A4:4 C5:4 G4:8 | G4:4 D4:2 E4:2 F4:6 B3:2 | C4:16",
     "C | F C | C | G | C | F C | C G7 | C | F | G C | F C | G | C | F C | C G7 | C"},

    // Ode to Joy: L. van Beethoven, Symphony No. 9 (1824). Played in D major.
    {"乐曲03.mid", "Ode to Joy (L. van Beethoven)", 108, 4, 4, 0, 2, 2, 68, 48, 42, Style::Pad, 85,
     "E5:4 E5:4 F5:4 G5:4 | G5:4 F5:4 E5:4 D5:4 | C5:4 C5:4 D5:4 E5:4 | E5:6 D5:2 D5:8 |"
     "E5:4 E5:4 F5:4 G5:4 | G5:4 F5:4 E5:4 D5:4 | C5:4 C5:4 D5:4 E5:4 | D5:6 C5:2 C5:8 |"
     "D5:4 D5:4 E5:4 C5:4 | D5:4 E5:2 F5:2 E5:4 C5:4 | D5:4 E5:2 F5:2 E5:4 D5:4 | C5:4 D5:4 G4:8 |"
     "E5:4 E5:4 F5:4 G5:4 | G5:4 F5:4 E5:4 D5:4 | C5:4 C5:4 D5:4 E5:4 | D5:6 C5:2 C5:8",
     "C | G7 | C | C G | C | G7 | C | G C | G C | G C | G C | C G | C | G7 | C | G C"},

    // Greensleeves: traditional English tune (16th century). A minor.
    {"乐曲04.mid", "Greensleeves (traditional)", 112, 3, 4, 4, 1, 0, 74, 24, 32, Style::Arpeggio, 100,
     "A4:4 |"
     "C5:8 D5:4 | E5:6 F5:2 E5:4 | D5:8 B4:4 | G4:6 A4:2 B4:4 |"
     "C5:8 A4:4 | A4:6 G#4:2 A4:4 | B4:8 G#4:4 | E4:8 A4:4 |"
     "C5:8 D5:4 | E5:6 F5:2 E5:4 | D5:8 B4:4 | G4:6 A4:2 B4:4 |"
     "C5:6 B4:2 A4:4 | G#4:6 F#4:2 G#4:4 | A4:12 |"
     "G5:12 | G5:6 F#5:2 E5:4 | D5:8 B4:4 | G4:6 A4:2 B4:4 |"
     "C5:8 A4:4 | A4:6 G#4:2 A4:4 | B4:8 G#4:4 | E4:12 |"
     "G5:12 | G5:6 F#5:2 E5:4 | D5:8 B4:4 | G4:6 A4:2 B4:4 |"
     "C5:6 B4:2 A4:4 | G#4:6 F#4:2 G#4:4 | A4:8",
     "- | Am | C | G | Em | Am | Am | E | E | Am | C | G | Em | Am | E | Am |"
     "C | C | G | Em | Am | Am | E | E | C | C | G | Em | Am | E | Am"},

    // Wiegenlied (Lullaby), J. Brahms, Op. 49 No. 4 (1868). C major.
    {"乐曲05.mid", "Wiegenlied (J. Brahms)", 84, 3, 4, 4, 2, 0, 10, 46, 42, Style::Arpeggio, 100,
     "E5:2 E5:2 |"
     "G5:8 E5:2 E5:2 | G5:8 E5:2 G5:2 | C6:4 B5:4 A5:4 | A5:4 G5:4 D5:2 E5:2 |"
     "F5:4 D5:4 D5:2 E5:2 | F5:8 D5:2 F5:2 | B5:4 A5:4 G5:2 B5:2 | C6:8 C5:2 C5:2 |"
     "C6:8 A5:2 F5:2 | G5:8 E5:2 C5:2 | F5:4 G5:4 A5:4 | G5:8 C5:2 C5:2 |"
     "C6:8 A5:2 F5:2 | G5:8 E5:2 C5:2 | F5:4 E5:4 D5:4 | C5:8",
     "- | C | C | C G7 | Dm G7 | G7 | G7 | G7 | C | F | C | F | C | F | C | G7 | C"},

    // Auld Lang Syne: traditional Scottish melody. F major.
    {"乐曲06.mid", "Auld Lang Syne (traditional)", 100, 4, 4, 4, 2, 0, 71, 0, 32, Style::Pulse, 100,
     "C4:4 |"
     "F4:6 F4:2 F4:4 A4:4 | G4:6 F4:2 G4:4 A4:4 | F4:6 F4:2 A4:4 C5:4 | D5:12 D5:4 |"
     "C5:6 A4:2 A4:4 F4:4 | G4:6 F4:2 G4:4 A4:4 | F4:6 D4:2 D4:4 C4:4 | F4:12 D5:4 |"
     "C5:6 A4:2 A4:4 F4:4 | G4:6 F4:2 G4:4 D5:4 | C5:6 A4:2 A4:4 C5:4 | D5:12 F5:4 |"
     "C5:6 A4:2 A4:4 F4:4 | G4:6 F4:2 G4:4 A4:4 | F4:6 D4:2 D4:4 C4:4 | F4:12",
     "- | F | C7 | F | Bb | F | C7 | Bb C7 | F | F | C7 | F | Bb | F | C7 | Bb C7 | F"},
};
// clang-format on

constexpr int kDivision = 480;               // ticks per quarter note
constexpr int kTicksPerUnit = kDivision / 4; // one sixteenth

struct Note
{
    int pitch; // MIDI key, -1 for a rest
    int units;
    bool tie;
};

struct Chord
{
    bool none = true;
    int root = 0;             // pitch class
    std::vector<int> members; // intervals above the root, ascending
};

struct Slot
{
    int start;    // in sixteenths from the beginning
    int length;   // in sixteenths
    int barStart; // start of the bar the slot begins in
    Chord chord;
};

struct Event
{
    long tick;
    int order; // at equal ticks: meta and controllers, then note-offs, then note-ons
    QByteArray bytes;
};

[[noreturn]] void fail(const QString &what)
{
    throw std::runtime_error(what.toStdString());
}

QStringList tokens(const QString &text)
{
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::vector<QString> bars(const char *table)
{
    std::vector<QString> out;
    const QStringList parts = QString::fromUtf8(table).split(QLatin1Char('|'));
    for (const QString &p : parts)
        out.push_back(p.trimmed());
    return out;
}

int pitchClass(QChar letter)
{
    static const int classes[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    const int i = letter.toLatin1() - 'A';
    if (i < 0 || i > 6)
        fail(QStringLiteral("bad note letter ") + letter);
    return classes[i];
}

Note parseNote(const QString &token)
{
    const int colon = token.indexOf(QLatin1Char(':'));
    if (colon < 1)
        fail(QStringLiteral("bad note token ") + token);
    QString len = token.mid(colon + 1);
    Note n{-1, 0, false};
    if (len.endsWith(QLatin1Char('~'))) {
        n.tie = true;
        len.chop(1);
    }
    bool ok = false;
    n.units = len.toInt(&ok);
    if (!ok || n.units <= 0)
        fail(QStringLiteral("bad length in ") + token);
    const QString name = token.left(colon);
    if (name == QLatin1String("r"))
        return n;
    int pc = pitchClass(name.at(0));
    int pos = 1;
    if (pos < name.size() && name.at(pos) == QLatin1Char('#')) {
        ++pc;
        ++pos;
    } else if (pos < name.size() && name.at(pos) == QLatin1Char('b')) {
        --pc;
        ++pos;
    }
    const int octave = name.mid(pos).toInt(&ok);
    if (!ok)
        fail(QStringLiteral("bad octave in ") + token);
    n.pitch = (octave + 1) * 12 + pc;
    return n;
}

Chord parseChord(const QString &symbol)
{
    Chord c;
    if (symbol == QLatin1String("-"))
        return c;
    c.none = false;
    c.root = pitchClass(symbol.at(0));
    int pos = 1;
    if (pos < symbol.size() && symbol.at(pos) == QLatin1Char('#')) {
        ++c.root;
        ++pos;
    } else if (pos < symbol.size() && symbol.at(pos) == QLatin1Char('b')) {
        --c.root;
        ++pos;
    }
    c.root = (c.root + 12) % 12;
    const QString quality = symbol.mid(pos);
    if (quality.isEmpty())
        c.members = {0, 4, 7};
    else if (quality == QLatin1String("m"))
        c.members = {0, 3, 7};
    else if (quality == QLatin1String("7"))
        c.members = {0, 4, 7, 10};
    else if (quality == QLatin1String("m7"))
        c.members = {0, 3, 7, 10};
    else if (quality == QLatin1String("maj7"))
        c.members = {0, 4, 7, 11};
    else if (quality == QLatin1String("dim"))
        c.members = {0, 3, 6};
    else
        fail(QStringLiteral("unknown chord ") + symbol);
    return c;
}

// --- Standard MIDI File writing ----------------------------------------------------------------

void appendVarLen(QByteArray &out, quint32 value)
{
    quint8 buffer[5];
    int n = 0;
    buffer[n++] = value & 0x7F;
    while ((value >>= 7) != 0)
        buffer[n++] = 0x80 | (value & 0x7F);
    while (n > 0)
        out.append(char(buffer[--n]));
}

void appendBE(QByteArray &out, quint32 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

QByteArray meta(quint8 type, const QByteArray &data)
{
    QByteArray e;
    e.append(char(0xFF));
    e.append(char(type));
    appendVarLen(e, quint32(data.size()));
    e.append(data);
    return e;
}

QByteArray channelMessage(quint8 status, int channel, int a, int b)
{
    QByteArray e;
    e.append(char(status | channel));
    e.append(char(a & 0x7F));
    e.append(char(b & 0x7F));
    return e;
}

QByteArray programChange(int channel, int program)
{
    QByteArray e;
    e.append(char(0xC0 | channel));
    e.append(char(program & 0x7F));
    return e;
}

QByteArray trackChunk(std::vector<Event> events)
{
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    QByteArray body;
    long last = 0;
    for (const Event &e : events) {
        appendVarLen(body, quint32(e.tick - last));
        body.append(e.bytes);
        last = e.tick;
    }
    appendVarLen(body, 0);
    body.append(meta(0x2F, QByteArray()));
    QByteArray chunk("MTrk");
    appendBE(chunk, quint32(body.size()), 4);
    chunk.append(body);
    return chunk;
}

class TrackBuilder
{
public:
    TrackBuilder(int channel, int level) : m_channel(channel), m_level(level) {}

    void setup(const QByteArray &name, int program, int volume, int pan, int reverb)
    {
        add(0, 0, meta(0x03, name));
        add(0, 0, programChange(m_channel, program));
        add(0, 0, channelMessage(0xB0, m_channel, 7, volume));
        add(0, 0, channelMessage(0xB0, m_channel, 10, pan));
        add(0, 0, channelMessage(0xB0, m_channel, 91, reverb));
    }

    void note(long startTick, long lengthTicks, int key, int velocity)
    {
        if (key < 0 || key > 127 || lengthTicks <= 0)
            fail(QStringLiteral("note out of range"));
        const int scaled = std::clamp(velocity * m_level / 100, 1, 127);
        add(startTick, 2, channelMessage(0x90, m_channel, key, scaled));
        add(startTick + lengthTicks, 1, channelMessage(0x80, m_channel, key, 64));
    }

    void add(long tick, int order, const QByteArray &bytes)
    {
        m_events.push_back({tick, order, bytes});
    }

    const std::vector<Event> &events() const { return m_events; }

private:
    int m_channel;
    int m_level;
    std::vector<Event> m_events;
};

// --- Arrangement ------------------------------------------------------------------------------

int barUnitsOf(const Tune &t)
{
    return t.beats * 16 / t.beatUnit;
}

// Accompaniment voicings: broken chords and the bass sit below the melody, block chords around
// middle C.
int lowRoot(const Chord &c)
{
    return 40 + (c.root - 40 % 12 + 12) % 12; // E2 .. D#3
}

int bassRoot(const Chord &c)
{
    return 33 + (c.root - 33 % 12 + 12) % 12; // A1 .. G#2
}

std::vector<int> blockVoicing(const Chord &c)
{
    const int root = 52 + (c.root - 52 % 12 + 12) % 12; // E3 .. D#4
    std::vector<int> keys;
    for (int interval : c.members)
        keys.push_back(root + interval);
    return keys;
}

std::vector<int> brokenVoicing(const Chord &c)
{
    const int root = lowRoot(c);
    const int third = c.members.at(1);
    const int fifth = c.members.at(2);
    return {root, root + fifth, root + 12, root + 12 + third};
}

QByteArray render(const Tune &tune)
{
    const int barUnits = barUnitsOf(tune);
    const std::vector<QString> melodyBars = bars(tune.melody);
    const std::vector<QString> chordBars = bars(tune.chords);
    if (melodyBars.size() != chordBars.size())
        fail(QStringLiteral("%1: %2 melody bars, %3 chord bars")
                 .arg(QString::fromUtf8(tune.file))
                 .arg(melodyBars.size())
                 .arg(chordBars.size()));

    // Bar lengths: upbeat, full bars, and a last bar shortened by the upbeat.
    const int count = int(melodyBars.size());
    std::vector<int> barLength(count, barUnits);
    if (tune.pickup > 0) {
        barLength.front() = tune.pickup;
        barLength.back() = barUnits - tune.pickup;
    }
    std::vector<std::vector<Note>> notes(count);
    for (int b = 0; b < count; ++b) {
        int sum = 0;
        for (const QString &tok : tokens(melodyBars[b])) {
            Note n = parseNote(tok);
            n.pitch = n.pitch < 0 ? -1 : n.pitch + tune.transpose;
            sum += n.units;
            notes[b].push_back(n);
        }
        if (sum != barLength[b])
            fail(QStringLiteral("%1: bar %2 holds %3 sixteenths, expected %4")
                     .arg(QString::fromUtf8(tune.file))
                     .arg(b)
                     .arg(sum)
                     .arg(barLength[b]));
    }
    int tuneUnits = 0;
    for (int len : barLength)
        tuneUnits += len;

    TrackBuilder melody(0, tune.level), harmony(1, tune.level), bass(2, tune.level);
    melody.setup("Melody", tune.melodyProgram, 112, 64, 50);
    harmony.setup("Harmony", tune.harmonyProgram, 84, 48, 60);
    bass.setup("Bass", tune.bassProgram, 92, 76, 40);

    const int holdUnits = tune.pickup + barUnits; // the final chord rings this long
    const long T = kTicksPerUnit;

    // Melody, with ties merged and the very last note held into the final chord.
    struct Pending
    {
        int pitch = -1;
        int start = 0;
        int units = 0;
        int velocity = 0;
    } pending;
    auto flush = [&](int extra) {
        if (pending.pitch >= 0)
            melody.note(pending.start * T, (pending.units + extra) * T - T / 8, pending.pitch,
                        pending.velocity);
        pending = Pending{};
    };
    bool tieOpen = false;
    for (int pass = 0; pass < tune.passes; ++pass) {
        int pos = pass * tuneUnits;
        for (int b = 0; b < count; ++b) {
            const int barStart = (b == 0 && tune.pickup > 0) ? pos + tune.pickup - barUnits : pos;
            for (const Note &n : notes[b]) {
                if (tieOpen && n.pitch == pending.pitch) {
                    pending.units += n.units;
                } else {
                    if (tieOpen)
                        fail(QStringLiteral("tie between different notes"));
                    flush(0);
                    if (n.pitch >= 0) {
                        const int inBar = pos - barStart;
                        int velocity = 86;
                        if (inBar == 0)
                            velocity += 12;
                        else if (inBar * 2 == barUnits && tune.beats == 4)
                            velocity += 6;
                        pending = Pending{n.pitch, pos, n.units, velocity};
                    }
                }
                tieOpen = n.tie;
                pos += n.units;
            }
        }
    }
    const int endUnits = tune.passes * tuneUnits;
    flush(endUnits - (pending.start + pending.units) + holdUnits);

    // Harmony slots: each bar's chords share it evenly; a chordless upbeat after the first pass
    // continues the chord before it.
    std::vector<Slot> chordSlots;
    for (int pass = 0; pass < tune.passes; ++pass) {
        int pos = pass * tuneUnits;
        for (int b = 0; b < count; ++b) {
            const int barStart = (b == 0 && tune.pickup > 0) ? pos + tune.pickup - barUnits : pos;
            const QStringList symbols = tokens(chordBars[b]);
            if (symbols.isEmpty() || barLength[b] % symbols.size() != 0)
                fail(QStringLiteral("%1: chords of bar %2 do not divide it")
                         .arg(QString::fromUtf8(tune.file))
                         .arg(b));
            const int share = barLength[b] / int(symbols.size());
            for (int i = 0; i < symbols.size(); ++i) {
                const Chord c = parseChord(symbols[i]);
                if (c.none && pass > 0 && !chordSlots.empty()) {
                    chordSlots.back().length += share;
                } else if (!c.none) {
                    Chord moved = c;
                    moved.root = (moved.root + tune.transpose + 120) % 12;
                    chordSlots.push_back({pos + i * share, share, barStart, moved});
                }
            }
            pos += barLength[b];
        }
    }

    const int eighth = 2;
    const std::vector<int> pattern = tune.beats == 2   ? std::vector<int>{0, 2, 1, 2}
                                     : tune.beats == 3 ? std::vector<int>{0, 1, 2, 3, 2, 1}
                                                       : std::vector<int>{0, 1, 2, 3, 2, 1, 2, 1};
    for (std::size_t s = 0; s < chordSlots.size(); ++s) {
        const Slot &slot = chordSlots[s];
        const int end = slot.start + slot.length;
        const bool last = s + 1 == chordSlots.size();
        const int bassKey = bassRoot(slot.chord);

        if (last) {
            // closing chord: rolled upwards and held, with the bass root under it
            const std::vector<int> keys = blockVoicing(slot.chord);
            const long stop = (endUnits + holdUnits) * T;
            for (std::size_t k = 0; k < keys.size(); ++k) {
                const long at = slot.start * T + long(k) * (tune.style == Style::Pad ? 0 : 40);
                harmony.note(at, stop - at, keys[k], 60);
            }
            bass.note(slot.start * T, stop - slot.start * T, bassKey, 72);
            break;
        }

        // Bass: root on the slot's start and the bar's downbeat, the fifth on beat 3 of 4/4.
        std::vector<int> bassTimes;
        for (int t = slot.start; t < end; ++t) {
            const int inBar = (t - slot.barStart) % barUnits;
            if (t == slot.start || inBar == 0 || (tune.beats == 4 && inBar == barUnits / 2))
                bassTimes.push_back(t);
        }
        for (std::size_t i = 0; i < bassTimes.size(); ++i) {
            const int t = bassTimes[i];
            const int next = i + 1 < bassTimes.size() ? bassTimes[i + 1] : end;
            const bool fifth = (t - slot.barStart) % barUnits == barUnits / 2 && t != slot.start;
            bass.note(t * T, (next - t) * T - T / 4, bassKey + (fifth ? 7 : 0), fifth ? 60 : 70);
        }

        switch (tune.style) {
        case Style::Arpeggio: {
            const std::vector<int> keys = brokenVoicing(slot.chord);
            for (int t = slot.start; t < end; t += eighth) {
                const int inBar = (t - slot.barStart) % barUnits;
                const int from = std::max(slot.start, t - inBar);
                const int step = ((t - from) / eighth) % int(pattern.size());
                const int stop = std::min(t + 2 * eighth, end);
                harmony.note(t * T, (stop - t) * T - T / 8, keys[pattern[step]],
                             inBar == 0 ? 58 : 48);
            }
            break;
        }
        case Style::Pad:
            for (int key : blockVoicing(slot.chord))
                harmony.note(slot.start * T, slot.length * T - T / 8, key, 50);
            break;
        case Style::Pulse: {
            const int beat = 16 / tune.beatUnit;
            for (int t = slot.start; t < end; t += beat) {
                const int inBar = (t - slot.barStart) % barUnits;
                const bool strong = inBar == 0 || (tune.beats == 4 && inBar == barUnits / 2);
                if (strong)
                    continue;
                for (int key : blockVoicing(slot.chord))
                    harmony.note(t * T, (beat * 3 / 4) * T, key, 46);
            }
            break;
        }
        }
    }

    // Conductor track: names, metre and a tempo that broadens over the last two bars.
    std::vector<Event> conductor;
    auto tempoEvent = [](double bpm) {
        QByteArray data;
        appendBE(data, quint32(std::lround(60000000.0 / bpm)), 3);
        return meta(0x51, data);
    };
    conductor.push_back({0, 0, meta(0x03, QByteArray(tune.title))});
    conductor.push_back(
        {0, 0, meta(0x01, QByteArray("Public-domain melody, arranged by mkmusic"))});
    {
        QByteArray timeSignature;
        int log2 = 0;
        while ((1 << log2) < tune.beatUnit)
            ++log2;
        timeSignature.append(char(tune.beats));
        timeSignature.append(char(log2));
        timeSignature.append(char(24));
        timeSignature.append(char(8));
        conductor.push_back({0, 0, meta(0x58, timeSignature)});
    }
    struct TempoMark
    {
        int unit;
        double bpm;
    };
    const int lastPass = (tune.passes - 1) * tuneUnits;
    int secondLastBar = lastPass, lastBar = lastPass;
    {
        int pos = lastPass;
        for (int b = 0; b < count; ++b) {
            if (b == count - 2)
                secondLastBar = pos;
            if (b == count - 1)
                lastBar = pos;
            pos += barLength[b];
        }
    }
    const TempoMark marks[] = {{0, double(tune.bpm)},
                               {secondLastBar, tune.bpm * 0.95},
                               {lastBar, tune.bpm * 0.88},
                               {endUnits, tune.bpm * 0.8}};
    for (const TempoMark &m : marks)
        conductor.push_back({m.unit * T, 0, tempoEvent(m.bpm)});

    QByteArray file("MThd");
    appendBE(file, 6, 4);
    appendBE(file, 1, 2); // format 1
    appendBE(file, 4, 2); // tracks
    appendBE(file, kDivision, 2);
    file.append(trackChunk(conductor));
    file.append(trackChunk(melody.events()));
    file.append(trackChunk(harmony.events()));
    file.append(trackChunk(bass.events()));
    return file;
}

} // namespace

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: mkmusic <outdir>\n";
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        err << "mkmusic: cannot create " << outDir << '\n';
        return 1;
    }
    try {
        for (const Tune &tune : kTunes) {
            const QByteArray data = render(tune);
            const QString path = QDir(outDir).filePath(QString::fromUtf8(tune.file));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                f.write(data) != data.size() || !f.flush()) {
                err << "mkmusic: cannot write " << path << '\n';
                return 1;
            }
        }
    } catch (const std::exception &e) {
        err << "mkmusic: " << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
    return 0;
}
