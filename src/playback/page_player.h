#pragma once

// Plays a rendered test page on a sound output through Qt Multimedia. Used by
// mk843nb-cli page --play and, for a call's page, by the window. Needs a
// running QCoreApplication; Finished comes through its event loop.

#include <QAudioDevice>
#include <QBuffer>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QAudioSink;

namespace mk843nb {

struct SoundOutput {
    QString id;           // the sound server's name for it
    QString description;  // what a person reads
    bool isDefault = false;
};

// The sound outputs there are now, the default one first; empty when there is
// no sound device or no sound server to reach.
std::vector<SoundOutput> SoundOutputs();

class PagePlayer : public QObject {
    Q_OBJECT
public:
    explicit PagePlayer(QObject* parent = nullptr);
    ~PagePlayer() override;

    // Starts playing 16-bit mono samples at sampleRate on the output whose id
    // or description is device ("" for the default output). False, with
    // ErrorText(), when there is no such output or it cannot take the sound.
    bool Start(std::span<const std::int16_t> samples, int sampleRate, const QString& device = {});
    // Ends the sound at once; no Finished follows.
    void Stop();
    bool IsPlaying() const;
    QString ErrorText() const { return error_; }
    // The output Start chose.
    QString OutputDescription() const { return output_.description(); }

signals:
    // The page has been played to its end (completed), or the output failed
    // on the way (message says how).
    void Finished(bool completed, const QString& message);

private:
    void OnStateChanged();
    void Finish(bool completed, const QString& message);

    QString error_;
    QAudioDevice output_;
    QByteArray bytes_;
    QBuffer source_;
    std::unique_ptr<QAudioSink> sink_;
    QTimer drain_;
};

// Messages of playback, kept once for the command line and the window.
QString NoSoundOutputText();
QString UnknownSoundOutputText(const QString& device);

}  // namespace mk843nb
