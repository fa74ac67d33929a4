#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "link/port_table.h"
#include "ui/port_watcher.h"

class QWidget;

namespace mk843nb {

class FormBinding;
class FormModel;
class LinkEvents;
class LinkSession;
class PortWatcher;

struct PortListOptions {
    // Ports given on the command line (--port), listed after the discovered ones.
    std::vector<std::string> userPorts;
    // Lists the ports, given the paths to add to the system's; DiscoverPorts unless replaced.
    std::function<PortTable(const std::vector<std::string>&)> listPorts;
    // The folders watched for devices coming and going, beside those of the listed paths.
    QStringList watchedFolders;
    int portSettleMs = PortWatcher::kSettleMs;
};

// The main window's port box (cboPort) and the board search: what the box
// lists, the board remembered between runs, devices coming and going while the
// window is idle. The link session holds the table the box shows.
//
// Besides the ports the system reports, the box lists the ports given with
// --port and the one the board answered on last time (an emulator's link, a
// by-id name), each while its path exists; the folders of those paths and of
// the devices they lead to are watched with the system's device folders.
// The start-up box's line for each --port path that is not there: why no board
// answered on it ("" when every path exists).
std::string PortsNotThereNote(const std::vector<std::string>& paths);

class PortListController : public QObject {
    Q_OBJECT
public:
    PortListController(QWidget& window, LinkSession& link, LinkEvents& events, FormModel& model,
                       FormBinding& binding, PortListOptions options);
    ~PortListController() override;

    // The ports as the system and the user's paths give them now.
    PortTable List() const;
    // Hands the table to the link and shows it in the box.
    void Show(const PortTable& table);
    // The port the board answered on last time (or the first --port) first,
    // then the search of every port; true when the board answered.
    bool SearchBoard();
    // This is the port to try first next time.
    void Remember(int index);
    // From now on, while the window is idle, the box follows devices coming and going.
    void WatchDevices();
    // Re-lists the ports, keeping the selected port where it still exists; the
    // port tried first at start (the first --port, else the remembered one) is
    // selected again when it comes back.
    void Refresh();
    // The --port paths that do not exist now.
    std::vector<std::string> MissingUserPorts() const;

signals:
    // The box shows another table (a device came or went).
    void Shown();

private:
    // The first --port, else the port the board answered on last time.
    std::string PreferredPort() const;
    // The user's and the remembered paths that exist now.
    std::vector<std::string> ExtraPaths() const;
    // The items' by-id tooltips.
    void ShowTips();
    QStringList FoldersToWatch() const;

    QWidget& window_;
    LinkSession& link_;
    LinkEvents& events_;
    FormModel& model_;
    FormBinding& binding_;
    PortListOptions options_;
    PortWatcher* watcher_ = nullptr;
};

}  // namespace mk843nb
