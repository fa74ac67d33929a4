#include "ui/app_settings.h"

#include <QCoreApplication>

namespace mk843nb {

namespace {
constexpr auto kGeometry = "window/geometry";
constexpr auto kLastFolder = "files/lastFolder";
constexpr auto kRecentFiles = "files/recent";
constexpr auto kLastPort = "link/lastPort";
constexpr auto kBackupBeforeWrite = "link/backupBeforeWrite";
constexpr auto kLastPlanFolder = "fleet/lastPlanFolder";
constexpr auto kOperatorName = "fleet/operator";
}  // namespace

void SetUpSettingsIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("mk843nb"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("mk843nb.invalid"));
}

QByteArray AppSettings::WindowGeometry() const { return settings_.value(kGeometry).toByteArray(); }
void AppSettings::SetWindowGeometry(const QByteArray& geometry) {
    settings_.setValue(kGeometry, geometry);
}

QString AppSettings::LastFolder() const { return settings_.value(kLastFolder).toString(); }
void AppSettings::SetLastFolder(const QString& folder) { settings_.setValue(kLastFolder, folder); }

QStringList AppSettings::RecentFiles() const {
    return settings_.value(kRecentFiles).toStringList();
}

void AppSettings::AddRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kMaxRecentFiles) files.removeLast();
    settings_.setValue(kRecentFiles, files);
}

void AppSettings::ClearRecentFiles() { settings_.remove(kRecentFiles); }

QString AppSettings::LastPort() const { return settings_.value(kLastPort).toString(); }
void AppSettings::SetLastPort(const QString& port) { settings_.setValue(kLastPort, port); }

bool AppSettings::BackupBeforeWrite() const {
    return settings_.value(kBackupBeforeWrite, true).toBool();
}
void AppSettings::SetBackupBeforeWrite(bool on) { settings_.setValue(kBackupBeforeWrite, on); }

QString AppSettings::LastPlanFolder() const { return settings_.value(kLastPlanFolder).toString(); }
void AppSettings::SetLastPlanFolder(const QString& folder) {
    settings_.setValue(kLastPlanFolder, folder);
}

QString AppSettings::OperatorName() const { return settings_.value(kOperatorName).toString(); }
void AppSettings::SetOperatorName(const QString& name) { settings_.setValue(kOperatorName, name); }

}  // namespace mk843nb
