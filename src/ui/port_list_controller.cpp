#include "ui/port_list_controller.h"

#include <QComboBox>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "editor/control_catalog.h"
#include "editor/form_model.h"
#include "link/link_session.h"
#include "link/port_diagnosis.h"
#include "link/port_discovery.h"
#include "ui/app_settings.h"
#include "ui/elided_text.h"
#include "ui/form_binding.h"
#include "ui/port_watcher.h"

namespace mk843nb {
namespace {

bool PathExists(const std::string& port) {
    std::error_code error;
    return std::filesystem::exists(DevicePathOf(port), error);  // a dangling link is gone
}

// A path given as "links/ttyPAGER" is taken from the folder the program started in,
// once: the watcher and the list then speak of the same place whatever happens later.
std::vector<std::string> Resolved(std::vector<std::string> ports) {
    for (std::string& port : ports) {
        if (port.empty() || port.front() == '/' || port.find('/') == std::string::npos) continue;
        std::error_code error;
        const std::filesystem::path whole = std::filesystem::absolute(port, error);
        if (!error) port = whole.lexically_normal().string();
    }
    return ports;
}

// The folder a path will appear in, or, while that folder does not exist either
// (an emulator makes it with its link), the nearest one above it that does.
QString FolderToWatchFor(const QString& path) {
    QString folder = QFileInfo(path).absolutePath();
    while (!QFileInfo(folder).isDir()) {
        const QString above = QFileInfo(folder).absolutePath();
        if (above == folder) break;
        folder = above;
    }
    return folder;
}

}  // namespace

std::string PortsNotThereNote(const std::vector<std::string>& paths) {
    std::string note;
    for (const std::string& path : paths)
        note += "\n" + path + " does not exist yet; it is listed as soon as it appears.";
    return note;
}

PortListController::PortListController(QWidget& window, LinkSession& link, LinkEvents& events,
                                       FormModel& model, FormBinding& binding,
                                       PortListOptions options)
    : QObject(&window),
      window_(window),
      link_(link),
      events_(events),
      model_(model),
      binding_(binding),
      options_(std::move(options)) {
    options_.userPorts = Resolved(std::move(options_.userPorts));
    if (auto* box = qobject_cast<QComboBox*>(binding_.Widget(ControlId::cboPort)))
        connect(box, &QComboBox::currentIndexChanged, this, [this] { ShowTips(); });
}

PortListController::~PortListController() = default;

std::vector<std::string> PortListController::ExtraPaths() const {
    std::vector<std::string> paths = options_.userPorts;
    const std::string remembered = AppSettings().LastPort().toStdString();
    if (!remembered.empty()) paths.push_back(remembered);
    std::erase_if(paths, [](const std::string& path) { return !PathExists(path); });
    return paths;
}

PortTable PortListController::List() const {
    const std::vector<std::string> extra = ExtraPaths();
    return options_.listPorts ? options_.listPorts(extra) : DiscoverPorts(extra);
}

void PortListController::Show(const PortTable& table) {
    link_.SetPortTable(table);
    std::vector<std::string> labels;
    for (const PortEntry& e : table.entries) labels.push_back(PortLabel(e));
    model_.SetPorts(labels, table.selected);
    binding_.ApplyStates();
    ShowTips();
    if (watcher_ != nullptr) watcher_->SetFolders(FoldersToWatch());
    emit Shown();
}

void PortListController::ShowTips() {
    auto* box = qobject_cast<QComboBox*>(binding_.Widget(ControlId::cboPort));
    if (box == nullptr) return;
    const PortTable& ports = link_.Ports();
    for (int i = 0; i < box->count() && i < static_cast<int>(ports.entries.size()); ++i) {
        const std::string& byId = ports.entries[static_cast<std::size_t>(i)].byId;
        box->setItemData(i, byId.empty() ? QVariant() : QVariant(QString::fromStdString(byId)),
                         Qt::ToolTipRole);
    }
    const int current = box->currentIndex();
    // The box's own tip: the item's by-id path, or else the port's whole name.
    if (auto* portBox = qobject_cast<PortComboBox*>(box))
        portBox->UpdateToolTip();
    else
        box->setToolTip(current >= 0 ? box->itemData(current, Qt::ToolTipRole).toString()
                                     : QString());
}

QStringList PortListController::FoldersToWatch() const {
    QStringList folders = options_.watchedFolders;
    const auto add = [&folders](const QString& folder) {
        if (!folder.isEmpty() && !folders.contains(folder)) folders << folder;
    };
    // The folders of the paths the user gave or the board answered on: they
    // are seen coming back there. Those of the listed paths and of the devices
    // they lead to: they are seen going.
    std::vector<std::string> paths = options_.userPorts;
    paths.push_back(AppSettings().LastPort().toStdString());
    for (const PortEntry& entry : link_.Ports().entries) paths.push_back(entry.name);
    for (const std::string& path : paths) {
        if (path.empty() || path.front() != '/') continue;  // a name under /dev
        const QFileInfo info(QString::fromStdString(path));
        add(FolderToWatchFor(info.absoluteFilePath()));
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty()) add(QFileInfo(target).absolutePath());
    }
    return folders;
}

void PortListController::WatchDevices() {
    if (watcher_ != nullptr) return;
    watcher_ = new PortWatcher(FoldersToWatch(), options_.portSettleMs, this);
    connect(watcher_, &PortWatcher::portsMayHaveChanged, this, &PortListController::Refresh);
}

void PortListController::Refresh() {
    // Never under a running transfer or the start-up search: the link holds the table then.
    if (!window_.isVisible() || !window_.isEnabled()) {
        watcher_->Retry();
        return;
    }
    PortTable fresh = List();
    const PortTable& old = link_.Ports();
    const int current = model_.State(ControlId::cboPort).itemIndex;
    int kept = -1;
    if (current >= 0 && current < static_cast<int>(old.entries.size()))
        kept = FindPort(fresh, DevicePathOf(old.entries[static_cast<std::size_t>(current)].name));
    // The board's own port coming back (an emulator restarted on the same link) is
    // selected again, so the next Read goes to it and not to whatever stood in.
    const std::string preferred = PreferredPort();
    const int back = preferred.empty() ? -1 : FindPort(fresh, preferred);
    const bool returned = back >= 0 && FindPort(old, preferred) < 0;
    if (returned)
        fresh.selected = back;
    else if (current >= 0)
        fresh.selected = kept >= 0 ? kept : (back >= 0 ? back : 0);
    if (fresh.entries == old.entries && fresh.selected == current) {
        // A folder that has just appeared is watched from now on.
        watcher_->SetFolders(FoldersToWatch());
        return;
    }
    Show(fresh);
}

void PortListController::Remember(int index) {
    const PortTable& ports = link_.Ports();
    if (index < 0 || index >= static_cast<int>(ports.entries.size())) return;
    AppSettings().SetLastPort(
        QString::fromStdString(PortToRemember(ports.entries[static_cast<std::size_t>(index)])));
}

std::string PortListController::PreferredPort() const {
    return options_.userPorts.empty() ? AppSettings().LastPort().toStdString()
                                      : options_.userPorts.front();
}

std::vector<std::string> PortListController::MissingUserPorts() const {
    std::vector<std::string> missing;
    for (const std::string& path : options_.userPorts)
        if (!PathExists(path)) missing.push_back(path);
    return missing;
}

bool PortListController::SearchBoard() {
    const PortTable& ports = link_.Ports();
    const int listed = ports.selected;
    const std::string preferred = PreferredPort();
    const int index = FindPort(ports, preferred);
    if (index >= 0) {
        link_.SelectPort(index);
        if (link_.TestBoard()) {
            events_.BoardFound(index);
            Remember(index);
            return true;
        }
        link_.SelectPort(listed);
    }
    if (!link_.FindBoard(index)) return false;
    Remember(link_.Ports().selected);
    return true;
}

}  // namespace mk843nb
