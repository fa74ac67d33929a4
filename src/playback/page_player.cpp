#include "playback/page_player.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace mk843nb {
namespace {

// Beyond the buffer's own time, for the server's hand-over to the device.
constexpr int kDrainMarginMs = 250;
constexpr qint64 kBufferUs = 1'000'000;

}  // namespace

QString NoSoundOutputText() {
    return QStringLiteral(
        "No sound output: no sound device or sound server can be reached (is a sound server such "
        "as PulseAudio or PipeWire running for this user?)");
}

QString UnknownSoundOutputText(const QString& device) {
    return QStringLiteral("No sound output is named \"%1\"").arg(device);
}

std::vector<SoundOutput> SoundOutputs() {
    std::vector<SoundOutput> outputs;
    const QAudioDevice standard = QMediaDevices::defaultAudioOutput();
    for (const QAudioDevice& device : QMediaDevices::audioOutputs()) {
        SoundOutput output{QString::fromUtf8(device.id()), device.description(),
                           !standard.isNull() && device.id() == standard.id()};
        if (output.isDefault)
            outputs.insert(outputs.begin(), output);
        else
            outputs.push_back(output);
    }
    return outputs;
}

PagePlayer::PagePlayer(QObject* parent) : QObject(parent) {
    drain_.setSingleShot(true);
    connect(&drain_, &QTimer::timeout, this, [this] { Finish(true, {}); });
}

PagePlayer::~PagePlayer() { Stop(); }

bool PagePlayer::Start(std::span<const std::int16_t> samples, int sampleRate,
                       const QString& device) {
    Stop();
    error_.clear();
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (outputs.isEmpty()) {
        error_ = NoSoundOutputText();
        return false;
    }
    output_ = {};
    if (device.isEmpty()) {
        output_ = QMediaDevices::defaultAudioOutput();
        if (output_.isNull()) output_ = outputs.first();
    } else {
        for (const QAudioDevice& candidate : outputs) {
            if (QString::fromUtf8(candidate.id()) == device || candidate.description() == device) {
                output_ = candidate;
                break;
            }
        }
        if (output_.isNull()) {
            error_ = UnknownSoundOutputText(device);
            return false;
        }
    }

    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!output_.isFormatSupported(format)) {
        error_ = QStringLiteral("The sound output \"%1\" cannot play 16-bit mono sound at %2 Hz")
                     .arg(output_.description())
                     .arg(sampleRate);
        return false;
    }

    bytes_ = QByteArray(reinterpret_cast<const char*>(samples.data()),
                        static_cast<qsizetype>(samples.size_bytes()));
    source_.setBuffer(&bytes_);
    source_.open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(output_, format);
    connect(sink_.get(), &QAudioSink::stateChanged, this, &PagePlayer::OnStateChanged);
    // The sink is fed from this thread's event loop; a deep buffer rides out a
    // busy machine that leaves the loop unserved for a while, where a shallow
    // one would break the tone with silence (a pager then misses its call).
    sink_->setBufferSize(format.bytesForDuration(kBufferUs));
    sink_->start(&source_);
    if (sink_->error() != QAudio::NoError) {
        error_ =
            QStringLiteral("The sound output \"%1\" cannot be opened").arg(output_.description());
        Stop();
        return false;
    }
    return true;
}

void PagePlayer::Stop() {
    drain_.stop();
    if (sink_) {
        sink_->disconnect(this);
        sink_->stop();
        sink_.reset();
    }
    source_.close();
}

bool PagePlayer::IsPlaying() const { return sink_ != nullptr; }

void PagePlayer::OnStateChanged() {
    if (!sink_) return;
    switch (sink_->error()) {
        case QAudio::NoError:
        case QAudio::UnderrunError:
            break;
        case QAudio::OpenError:
        case QAudio::IOError:
        case QAudio::FatalError:
            // Later, from the event loop: this runs inside the sink's own
            // signal, and finishing deletes the sink.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (sink_)
                        Finish(false, QStringLiteral("The sound output \"%1\" failed while playing")
                                          .arg(output_.description()));
                },
                Qt::QueuedConnection);
            return;
    }
    // Idle with the page all handed over: the sound server still holds up to
    // a buffer of it, and stopping the sink now would cut that last part off.
    // Its time is waited out before the page counts as played.
    if (sink_->state() == QAudio::IdleState && source_.atEnd() && !drain_.isActive()) {
        const QAudioFormat format = sink_->format();
        const qint64 bufferedMs =
            format.durationForBytes(static_cast<qint32>(sink_->bufferSize())) / 1000;
        drain_.start(static_cast<int>(bufferedMs) + kDrainMarginMs);
    }
}

void PagePlayer::Finish(bool completed, const QString& message) {
    Stop();
    emit Finished(completed, message);
}

}  // namespace mk843nb
