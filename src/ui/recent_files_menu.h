#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMenu;

namespace mk843nb {

class AppSettings;

// "Recent Files" under File: the tables opened or saved last, newest first, at
// most AppSettings::kMaxRecentFiles, each with its number as short-cut letter,
// and "Clear list". The list lives in the settings, so every running copy
// shows the same one.
class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    RecentFilesMenu(QMenu* menu, AppSettings& settings);

    void Add(const QString& path);
    void Remove(const QString& path);
    // Fills the menu from the settings; runs before the menu opens.
    void Rebuild();

    // A recent file was picked.
    std::function<void(const QString& path)> open;

private:
    QMenu* menu_;
    AppSettings& settings_;
};

}  // namespace mk843nb
