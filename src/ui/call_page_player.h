#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QString>

#include "playback/page_player.h"

class QWidget;

namespace mk843nb {

class DialogService;
class FormModel;

// The play buttons of the CALL page: each sounds the test page of its call
// (timed as PageTiming says) on the default sound output, from the tones the window holds. A click
// while a page plays stops it; a page that cannot be made or played says why in a box.
class CallPagePlayer : public QObject {
public:
    // The buttons are the form's "btnPlayCall1".."btnPlayCall4" and
    // "btnPlayGroup1".."btnPlayGroup2".
    CallPagePlayer(QWidget* form, const FormModel& model, DialogService& dialogs,
                   QObject* parent = nullptr);

    bool IsPlaying() const { return playing_ != nullptr; }

private:
    void Toggle(QAbstractButton* button, int call, int group);
    void Ended(const QString& failure);

    const FormModel& model_;
    DialogService& dialogs_;
    PagePlayer player_;
    QPointer<QAbstractButton> playing_;
};

// A play button as its page plays (checked, a stop sign) or not (a play sign).
void ShowPlaying(QAbstractButton* button, bool playing);

}  // namespace mk843nb
