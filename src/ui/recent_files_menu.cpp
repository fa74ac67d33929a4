#include "ui/recent_files_menu.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>

#include "ui/app_settings.h"

namespace mk843nb {

namespace {
constexpr int kCaptionWidthInChars = 60;
}

RecentFilesMenu::RecentFilesMenu(QMenu* menu, AppSettings& settings)
    : QObject(menu), menu_(menu), settings_(settings) {
    connect(menu_, &QMenu::aboutToShow, this, &RecentFilesMenu::Rebuild);
    Rebuild();
}

void RecentFilesMenu::Add(const QString& path) {
    settings_.AddRecentFile(path);
    Rebuild();
}

void RecentFilesMenu::Remove(const QString& path) {
    QStringList files = settings_.RecentFiles();
    files.removeAll(path);
    settings_.ClearRecentFiles();
    for (auto it = files.crbegin(); it != files.crend(); ++it) settings_.AddRecentFile(*it);
    Rebuild();
}

void RecentFilesMenu::Rebuild() {
    menu_->clear();
    const QStringList files = settings_.RecentFiles();
    const QFontMetrics metrics(menu_->font());
    const int room = metrics.averageCharWidth() * kCaptionWidthInChars;
    for (int i = 0; i < files.size(); ++i) {
        QString shown = metrics.elidedText(files.at(i), Qt::ElideMiddle, room);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* item = menu_->addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(shown));
        item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        item->setToolTip(files.at(i));
        const QString path = files.at(i);
        connect(item, &QAction::triggered, this, [this, path] {
            if (open) open(path);
        });
    }
    menu_->addSeparator();
    QAction* clear = menu_->addAction(QStringLiteral("&Clear list"));
    clear->setObjectName(QStringLiteral("ClearRecentFiles"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        settings_.ClearRecentFiles();
        Rebuild();
    });
    menu_->setToolTipsVisible(true);
}

}  // namespace mk843nb
