// ui/macro_sound.cpp — MacroSound (see the header).
#include "ui/macro_sound.h"

#include <QFileInfo>
#include <QIODevice>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef TALLIVO_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QSoundEffect>
#endif

#ifdef TALLIVO_HAVE_MULTIMEDIA

ToneGenerator::ToneGenerator(const QAudioFormat& format, int frequency, qint64 frames,
                             QObject* parent)
    : QIODevice(parent), format_(format), remaining_(std::max<qint64>(0, frames)) {
  const double rate = std::max(1, format.sampleRate());
  // A frequency the format cannot carry is played as the highest one it can.
  const double hz = std::clamp(double(frequency), 0.0, rate / 2 - 1);
  step_ = 2 * M_PI * hz / rate;
}

qint64 ToneGenerator::bytesAvailable() const {
  return remaining_ * format_.bytesPerFrame() + QIODevice::bytesAvailable();
}

qint64 ToneGenerator::readData(char* data, qint64 maxSize) {
  const int frameBytes = format_.bytesPerFrame();
  const int sampleBytes = format_.bytesPerSample();
  if (frameBytes <= 0 || sampleBytes <= 0) return -1;
  const qint64 frames = std::min(maxSize / frameBytes, remaining_);
  char* out = data;
  for (qint64 i = 0; i < frames; ++i) {
    const double v = kLevel * std::sin(phase_);
    phase_ = std::fmod(phase_ + step_, 2 * M_PI);
    for (int c = 0; c < format_.channelCount(); ++c) {
      WriteSample(v, out);
      out += sampleBytes;
    }
  }
  remaining_ -= frames;
  return frames * frameBytes;
}

void ToneGenerator::WriteSample(double v, char* out) const {
  switch (format_.sampleFormat()) {
    case QAudioFormat::UInt8: {
      const auto s = quint8(std::lround(128 + v * 127));
      std::memcpy(out, &s, sizeof s);
      break;
    }
    case QAudioFormat::Int16: {
      const auto s = qint16(std::lround(v * 32767));
      std::memcpy(out, &s, sizeof s);
      break;
    }
    case QAudioFormat::Int32: {
      const auto s = qint32(std::lround(v * 2147483647.0));
      std::memcpy(out, &s, sizeof s);
      break;
    }
    case QAudioFormat::Float: {
      const auto s = float(v);
      std::memcpy(out, &s, sizeof s);
      break;
    }
    default:
      std::memset(out, 0, size_t(format_.bytesPerSample()));
      break;
  }
}

#endif

struct MacroSound::Playing {
#ifdef TALLIVO_HAVE_MULTIMEDIA
  QAudioSink* sink = nullptr;
  ToneGenerator* generator = nullptr;
  QSoundEffect* effect = nullptr;
#endif
};

MacroSound::MacroSound(QObject* parent) : QObject(parent), playing_(new Playing) {}

MacroSound::~MacroSound() { StopTone(); }

bool MacroSound::HasAudioOutput() {
#ifdef TALLIVO_HAVE_MULTIMEDIA
  return !QMediaDevices::defaultAudioOutput().isNull();
#else
  return false;
#endif
}

bool MacroSound::PlayTone(int frequency, int milliseconds) {
  StopTone();
#ifdef TALLIVO_HAVE_MULTIMEDIA
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull() || frequency < 1 || milliseconds < 1) return false;
  QAudioFormat format;
  format.setSampleRate(44100);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) format = device.preferredFormat();
  if (format.sampleRate() <= 0 || format.bytesPerFrame() <= 0) return false;
  const qint64 frames = qint64(milliseconds) * format.sampleRate() / 1000;
  playing_->generator = new ToneGenerator(format, frequency, frames, this);
  playing_->generator->open(QIODevice::ReadOnly);
  playing_->sink = new QAudioSink(device, format, this);
  QAudioSink* sink = playing_->sink;
  connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
    // The generator has run dry: the tone is over.
    if (state == QAudio::IdleState && playing_->sink == sink) StopTone();
  });
  sink->start(playing_->generator);
  if (sink->error() != QAudio::NoError) {
    StopTone();
    return false;
  }
  return true;
#else
  (void)frequency;
  (void)milliseconds;
  return false;
#endif
}

void MacroSound::StopTone() {
#ifdef TALLIVO_HAVE_MULTIMEDIA
  if (playing_->sink) {
    playing_->sink->disconnect(this);
    playing_->sink->stop();
    playing_->sink->deleteLater();
    playing_->sink = nullptr;
  }
  if (playing_->generator) {
    playing_->generator->deleteLater();
    playing_->generator = nullptr;
  }
#endif
}

bool MacroSound::PlayWave(const QString& fileName) {
#ifdef TALLIVO_HAVE_MULTIMEDIA
  if (!QFileInfo(fileName).isFile() || !HasAudioOutput()) return false;
  if (!playing_->effect) playing_->effect = new QSoundEffect(this);
  playing_->effect->stop();
  playing_->effect->setSource(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
  playing_->effect->play();
  return true;
#else
  (void)fileName;
  return false;
#endif
}
