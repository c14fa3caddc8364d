// ui/macro_sound.h — MacroSound, the sounds of macros: tones and sound files.
//
// TONE plays a sine wave at the asked frequency for the asked time through the default audio
// output (Qt Multimedia's QAudioSink, fed by a generator, so nothing waits for the sound);
// PLAYWAVE plays a sound file with QSoundEffect. Built without Qt Multimedia, or run where there
// is no audio output (a server, a test run), a tone is not played and the caller beeps instead,
// and a sound file is not played.
// State: per object (the sink and generator of the tone playing, the sound effect).
#pragma once

#include <QIODevice>
#include <QObject>
#include <QString>
#include <memory>

#ifdef TALLIVO_HAVE_MULTIMEDIA
#include <QAudioFormat>

// Produces `frames` frames of a sine wave (at 0.3 of full scale) in `format` as an audio sink
// pulls them; every channel of a frame gets the same sample. A frequency above what the sample
// rate carries is played as the highest one it does. Reading ends after the last frame.
class ToneGenerator : public QIODevice {
 public:
  ToneGenerator(const QAudioFormat& format, int frequency, qint64 frames, QObject* parent);
  bool isSequential() const override { return true; }
  // Frames read ahead into the device's buffer still count.
  bool atEnd() const override { return remaining_ == 0 && QIODevice::bytesAvailable() == 0; }
  qint64 bytesAvailable() const override;

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  static constexpr double kLevel = 0.3;  // a tone, not a blast
  void WriteSample(double v, char* out) const;

  QAudioFormat format_;
  qint64 remaining_;
  double phase_ = 0;
  double step_ = 0;
};
#endif

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
