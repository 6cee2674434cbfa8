// Background-music player on FluidSynth with the ALSA audio driver. FluidSynth (and the audio
// stacks it pulls in) is loaded on the first use of music, not at program start.
#include "ui/MidiPlayer.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>

#include <alsa/asoundlib.h>
#include <fluidsynth.h> // declarations only: the functions are resolved at run time

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

Q_LOGGING_CATEGORY(lcMidi, "studyaid.midi", QtWarningMsg)

// The FluidSynth functions the player uses, resolved from the shared library on first use.
#define FLUID_FUNCTIONS(X)                                                                         \
    X(new_fluid_settings)                                                                          \
    X(delete_fluid_settings)                                                                       \
    X(fluid_settings_setstr)                                                                       \
    X(fluid_settings_setnum)                                                                       \
    X(fluid_settings_setint)                                                                       \
    X(new_fluid_synth)                                                                             \
    X(delete_fluid_synth)                                                                          \
    X(fluid_synth_sfload)                                                                          \
    X(fluid_synth_all_sounds_off)                                                                  \
    X(new_fluid_audio_driver)                                                                      \
    X(delete_fluid_audio_driver)                                                                   \
    X(new_fluid_player)                                                                            \
    X(delete_fluid_player)                                                                         \
    X(fluid_player_add)                                                                            \
    X(fluid_player_play)                                                                           \
    X(fluid_player_stop)                                                                           \
    X(fluid_player_join)                                                                           \
    X(fluid_player_get_status)                                                                     \
    X(new_fluid_file_renderer)                                                                     \
    X(delete_fluid_file_renderer)                                                                  \
    X(fluid_file_renderer_process_block)                                                           \
    X(fluid_is_midifile)                                                                           \
    X(fluid_set_log_function)

struct FluidApi
{
#define FLUID_POINTER(name) decltype(&::name) name = nullptr;
    FLUID_FUNCTIONS(FLUID_POINTER)
#undef FLUID_POINTER
};

void fluidLog(int level, const char *message, void *);

// The loaded library, or nullptr when it cannot be loaded (music then cannot play).
const FluidApi *fluid()
{
    static const FluidApi *const api = []() -> const FluidApi * {
        static QLibrary library(QStringLiteral("fluidsynth"), 3);
        if (!library.load()) {
            qCInfo(lcMidi, "fluidsynth: %s", qPrintable(library.errorString()));
            return nullptr;
        }
        static FluidApi loaded;
#define FLUID_RESOLVE(name)                                                                        \
    loaded.name = reinterpret_cast<decltype(loaded.name)>(library.resolve(#name));                 \
    if (!loaded.name)                                                                              \
        return nullptr;
        FLUID_FUNCTIONS(FLUID_RESOLVE)
#undef FLUID_RESOLVE
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            loaded.fluid_set_log_function(level, fluidLog, nullptr);
        return &loaded;
    }();
    return api;
}

// Output level of the synthesizer; FluidSynth's default of 0.2 is too quiet for these tracks.
constexpr double kGain = 0.5;

// FluidSynth and ALSA both write their diagnostics straight to stderr, including the expected
// "cannot open audio device" on a machine without a sound card. Route them to a logging category
// that is quiet unless enabled (QT_LOGGING_RULES="studyaid.midi.info=true").
void fluidLog(int level, const char *message, void *)
{
    if (level <= FLUID_ERR)
        qCInfo(lcMidi, "fluidsynth: %s", message);
    else
        qCDebug(lcMidi, "fluidsynth: %s", message);
}

void alsaLog(const char *file, int line, const char *function, int err, const char *fmt, ...)
{
    if (!lcMidi().isInfoEnabled())
        return;
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    qCInfo(lcMidi, "alsa: %s:%d (%s) %s [%d]", file, line, function, text, err);
}

void quietLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(alsaLog); });
}

QByteArray localPath(const QString &path)
{
    return QFile::encodeName(path);
}

bool isMidiFile(const QString &path)
{
    const FluidApi *fl = fluid();
    return fl && QFileInfo(path).isFile() && fl->fluid_is_midifile(localPath(path).constData());
}

} // namespace

struct MidiPlayer::Engine
{
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;
    fluid_audio_driver_t *driver = nullptr;
    fluid_player_t *player = nullptr;

    ~Engine()
    {
        if (player)
            fluid()->delete_fluid_player(player);
        if (driver)
            fluid()->delete_fluid_audio_driver(driver);
        if (synth)
            fluid()->delete_fluid_synth(synth);
        if (settings)
            fluid()->delete_fluid_settings(settings);
    }

    // The synthesizer with the sound font loaded; created on first use only.
    bool ensureSynth()
    {
        if (synth)
            return true;
        if (!settings) {
            settings = fluid()->new_fluid_settings();
            if (!settings)
                return false;
            fluid()->fluid_settings_setstr(settings, "audio.driver", "alsa");
            fluid()->fluid_settings_setnum(settings, "synth.gain", kGain);
        }
        fluid_synth_t *s = fluid()->new_fluid_synth(settings);
        if (!s)
            return false;
        if (fluid()->fluid_synth_sfload(s, localPath(MidiPlayer::soundFontPath()).constData(), 1) ==
            FLUID_FAILED) {
            fluid()->delete_fluid_synth(s);
            return false;
        }
        synth = s;
        return true;
    }
};

MidiPlayer::MidiPlayer(QObject *parent) : QObject(parent), m_engine(std::make_unique<Engine>())
{
    quietLibraries();
}

MidiPlayer::~MidiPlayer()
{
    stop();
}

QString MidiPlayer::soundFontPath()
{
    return QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
}

int MidiPlayer::soundCardCount()
{
    quietLibraries();
    int count = 0;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0)
        ++count;
    return count;
}

bool MidiPlayer::play(const QString &midiFile)
{
    stop();
    if (!isMidiFile(midiFile) || !m_engine->ensureSynth())
        return false;

    Engine &e = *m_engine;
    e.driver = fluid()->new_fluid_audio_driver(e.settings, e.synth);
    if (!e.driver)
        return false;
    e.player = fluid()->new_fluid_player(e.synth);
    if (!e.player ||
        fluid()->fluid_player_add(e.player, localPath(midiFile).constData()) != FLUID_OK ||
        fluid()->fluid_player_play(e.player) != FLUID_OK) {
        stop();
        return false;
    }
    return true;
}

void MidiPlayer::stop()
{
    Engine &e = *m_engine;
    if (e.player) {
        fluid()->fluid_player_stop(e.player);
        fluid()->fluid_player_join(e.player);
        fluid()->delete_fluid_player(e.player);
        e.player = nullptr;
    }
    if (e.synth)
        fluid()->fluid_synth_all_sounds_off(e.synth, -1);
    // The sound card is held only while music plays.
    if (e.driver) {
        fluid()->delete_fluid_audio_driver(e.driver);
        e.driver = nullptr;
    }
}

bool MidiPlayer::isPlaying() const
{
    return m_engine->player &&
           fluid()->fluid_player_get_status(m_engine->player) == FLUID_PLAYER_PLAYING;
}

bool MidiPlayer::renderToWav(const QString &midiFile, const QString &wavFile)
{
    quietLibraries();
    if (!isMidiFile(midiFile))
        return false;

    Engine e; // frees whatever was created, on every return
    e.settings = fluid()->new_fluid_settings();
    if (!e.settings)
        return false;
    const QByteArray wavPath = localPath(wavFile);
    fluid()->fluid_settings_setstr(e.settings, "audio.file.name", wavPath.constData());
    fluid()->fluid_settings_setstr(e.settings, "audio.file.type", "wav");
    fluid()->fluid_settings_setstr(e.settings, "audio.file.format", "s16");
    fluid()->fluid_settings_setstr(e.settings, "player.timing-source", "sample");
    fluid()->fluid_settings_setint(e.settings, "synth.lock-memory", 0);
    fluid()->fluid_settings_setnum(e.settings, "synth.gain", kGain);
    if (!e.ensureSynth())
        return false;
    e.player = fluid()->new_fluid_player(e.synth);
    if (!e.player ||
        fluid()->fluid_player_add(e.player, localPath(midiFile).constData()) != FLUID_OK)
        return false;

    fluid_file_renderer_t *renderer = fluid()->new_fluid_file_renderer(e.synth);
    if (!renderer)
        return false;
    // The player stays in the playing state until the last voices have finished sounding.
    bool ok = fluid()->fluid_player_play(e.player) == FLUID_OK;
    while (ok && fluid()->fluid_player_get_status(e.player) == FLUID_PLAYER_PLAYING)
        ok = fluid()->fluid_file_renderer_process_block(renderer) == FLUID_OK;
    fluid()->delete_fluid_file_renderer(renderer); // closes the file

    if (!ok) {
        QFile::remove(wavFile);
        return false;
    }
    return QFileInfo(wavFile).size() > 44; // more than a bare WAV header
}
