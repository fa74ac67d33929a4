#pragma once

// What the window remembers between runs, kept with QSettings. Every key is
// named here and nowhere else; the organisation and application names are set
// once by SetUpSettingsIdentity() in main(). Tests point QSettings at a
// temporary folder (QStandardPaths::setTestModeEnabled or XDG_CONFIG_HOME).

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>

namespace mk843nb {

void SetUpSettingsIdentity();

class AppSettings {
public:
    static constexpr int kMaxRecentFiles = 8;

    QByteArray WindowGeometry() const;
    void SetWindowGeometry(const QByteArray& geometry);

    QString LastFolder() const;
    void SetLastFolder(const QString& folder);

    // Newest first, at most kMaxRecentFiles, no duplicates.
    QStringList RecentFiles() const;
    void AddRecentFile(const QString& path);
    void ClearRecentFiles();

    // The port on which the board last answered (its by-id path where it has one).
    QString LastPort() const;
    void SetLastPort(const QString& port);

    bool BackupBeforeWrite() const;  // on unless the user turned it off
    void SetBackupBeforeWrite(bool on);

    // The fleet plan folder last made or opened: "Open plan…" starts there.
    QString LastPlanFolder() const;
    void SetLastPlanFolder(const QString& folder);

    // Who runs fleets at this computer, in the inventory's records; "" : the login name.
    QString OperatorName() const;
    void SetOperatorName(const QString& name);

private:
    QSettings settings_;
};

}  // namespace mk843nb
