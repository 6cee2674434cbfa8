// Background-music player: plays a MIDI file once through FluidSynth and the ALSA sound card.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class MidiPlayer : public QObject
{
    Q_OBJECT

public:
    explicit MidiPlayer(QObject *parent = nullptr);
    ~MidiPlayer() override;

    // The General MIDI sound font the tracks are played with.
    static QString soundFontPath();

    // Number of ALSA sound cards; 0 means there is nothing to play music on.
    static int soundCardCount();

    // Stops the current track, then plays midiFile once. False when the file is not a MIDI
    // file, the sound font cannot be loaded or the audio device cannot be opened.
    bool play(const QString &midiFile);
    void stop();
    bool isPlaying() const;

    // Renders midiFile into a 16-bit stereo WAV file, faster than real time, without a sound
    // card. False on any failure.
    static bool renderToWav(const QString &midiFile, const QString &wavFile);

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};
