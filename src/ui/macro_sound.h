// ui/macro_sound.h — MacroSound, the sounds of macros: tones and sound files.
//
// TONE plays a sine wave at the asked frequency for the asked time through the default audio
// output (Qt Multimedia's QAudioSink, fed by a generator, so nothing waits for the sound);
// PLAYWAVE plays a sound file with QSoundEffect. Built without Qt Multimedia, or run where there
// is no audio output (a server, a test run), a tone is not played and the caller beeps instead,
// and a sound file is not played.
// State: per object (the sink and generator of the tone playing, the sound effect).
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class MacroSound : public QObject {
  Q_OBJECT
 public:
  explicit MacroSound(QObject* parent = nullptr);
  ~MacroSound() override;

  // Whether there is an audio output to play on.
  static bool HasAudioOutput();
  // Starts a sine tone of `frequency` Hz lasting `milliseconds` and returns at once; a tone still
  // playing is stopped first. False when no tone can be played (no audio output).
  bool PlayTone(int frequency, int milliseconds);
  // Stops the tone playing, if any.
  void StopTone();
  // Starts playing the sound file `fileName` (WAV); false when there is no audio output or the
  // file does not exist.
  bool PlayWave(const QString& fileName);

 private:
  struct Playing;
  std::unique_ptr<Playing> playing_;
};
