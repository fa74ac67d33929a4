#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/form_model.h"
#include "files/backup_store.h"
#include "files/table_file.h"
#include "link/byte_channel.h"
#include "link/event_loop_clock.h"
#include "link/link_clock.h"
#include "link/link_outcome.h"
#include "link/port_table.h"
#include "ui/port_watcher.h"
#include "ui/proportional_layout.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QTabWidget;

namespace mk843nb {

class AboutBox;
class AppSettings;
class RecentFilesMenu;
class BackupsWindow;
class BoardTestSplash;
class CompareWindow;
class UndoHistory;
class CallPagePlayer;
class DialogService;
class FormBinding;
class HelpWindow;
class LogWindow;
class PasswordWindow;
class ToneTableWindow;
class TonePlanWindow;
class LinkSession;
class CompareAndBackups;
class PagerMenu;
class PortListController;
class WindowLinkEvents;

// How the main window finds its ports.
struct MainWindowOptions {
    // Ports given on the command line (--port), listed after the discovered ones.
    // The first is tried before the search, as the remembered board is without them.
    std::vector<std::string> userPorts;
    // Lists the ports, given the user's; DiscoverPorts unless replaced.
    std::function<PortTable(const std::vector<std::string>&)> listPorts;
    // While the window is idle its port list follows devices coming and going
    // in these folders (after Start, or with listPorts given).
    QStringList watchedFolders = {QStringLiteral("/dev"), QStringLiteral("/dev/serial/by-id")};
    int portSettleMs = PortWatcher::kSettleMs;
    // The byte channels of the link (the serial port unless replaced: tests
    // give the emulator's in-process board) and the clock it waits on (the
    // event loop's unless replaced).
    std::function<std::unique_ptr<ByteChannel>()> channels;
    LinkClock* clock = nullptr;
};

// The main window (TForm1): the port strip, the "System" box, the mode buttons,
// the "Frequency" box, the pages, the menu, the status bar with PB1. A thin
// view: the form model owns every control's state and rule, the link session
// the port and the Pager commands.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    using Options = MainWindowOptions;

    explicit MainWindow(DialogService& dialogs, Options options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The first showing: port discovery, the board search behind the splash,
    // the warning when no board answered, the default table; then the window
    // is shown with the page "CALL" active. The port the board answered on last
    // time (or the first --port) is tried first; when the board answers there
    // the search of the other ports is skipped.
    void Start();
    // The same with a port table given instead of discovered.
    void StartWith(const PortTable& ports);

    // What the window remembers between runs: its geometry now and at closing,
    // the recent files of the File menu. Without it the window remembers nothing.
    void UseSettings(AppSettings& settings);

    // Brings the window to the front, restored if minimised (a second start asks for this).
    void BringToFront();

    FormModel& Model() { return model_; }
    LinkSession& Link() { return *link_; }
    const ProportionalLayout& Layout() const { return layout_; }
    QString StatusText() const;    // panel 1
    QString StatusPanel2() const;  // panel 2
    QProgressBar* ProgressBar() const { return pb1_; }
    TableFile& Tables() { return *tables_; }
    QTabWidget* Pages() const { return pages_; }
    CallPagePlayer* CallPlayer() const { return callPlayer_; }
    FormBinding& Binding() { return *binding_; }
    BoardTestSplash* Splash() const { return splash_; }
    ToneTableWindow* ToneTable() const { return toneTable_; }
    PasswordWindow* Password() const { return password_; }
    LogWindow* Log() const { return log_; }
    AboutBox* About() const { return aboutBox_; }
    HelpWindow* Help() const { return help_; }
    CompareWindow* Comparison() const;
    BackupsWindow* Backups() const;
    // File > "Tone plan…"; nullptr until first opened.
    TonePlanWindow* TonePlan() const { return tonePlan_; }
    UndoHistory& History() { return *history_; }

    // The menu commands, as the menu runs them.
    void OpenO1Click();
    void SaveS1Click();
    void SaveAs1Click();
    void ExitE1Click();
    void Write1Click();
    void Read1Click();
    void Verify1Click();
    void Advance2Click();
    void About2Click();
    void CompareFile1Click();
    void ComparePager1Click();
    void Backups1Click();
    // File > "Operator…": the name fleet runs record as who programmed each pager.
    void Operator1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // True, after saying so, while the Fleet window runs on the boards.
    bool FleetHasTheBoards();
    void BuildMenu();
    void BuildStatusBar();
    void KeepStatusBarReadable();
    void BuildForm();
    void CreateAuxiliaryWindows();
    void OpenToneTable();
    void CloseWindow(const std::string& name);
    // What the window takes from every Pager command: the port that answered, the undo history.
    void AfterPagerCommand(const LinkOutcome& outcome);
    // The port the board answered on: the one to try first next time.
    void RememberPort(int index);
    // Shows a table file's outcome; image is the one it worked on.
    void Finish(const TableFileOutcome& outcome, const PagerImage& image);
    void OpenRecentFile(const QString& path);
    // A table just opened or saved goes to the top of the recent files.
    void Remember(const std::string& file);
    void UpdateUndoActions();

    DialogService& dialogs_;
    Options options_;
    FormModel model_;
    EventLoopClock clock_;
    std::unique_ptr<WindowLinkEvents> hooks_;
    std::unique_ptr<LinkSession> link_;
    std::unique_ptr<PagerMenu> pagerMenu_;
    std::unique_ptr<CompareAndBackups> comparisons_;
    TonePlanWindow* tonePlan_ = nullptr;
    FormBinding* binding_ = nullptr;

    std::vector<QWidget*> components_;
    ProportionalLayout layout_;
    int statusDesignHeight_ = 0;

    QWidget* form_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QProgressBar* pb1_ = nullptr;
    QLabel* panel1_ = nullptr;
    QLabel* panel2_ = nullptr;
    QString startDirectory_;
    std::unique_ptr<TableFile> tables_;
    PortListController* ports_ = nullptr;  // the port box and the board search
    bool discoverPorts_ = false;

    AppSettings* settings_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* operatorItem_ = nullptr;
    RecentFilesMenu* recent_ = nullptr;

    AboutBox* aboutBox_ = nullptr;
    ToneTableWindow* toneTable_ = nullptr;
    HelpWindow* help_ = nullptr;
    BoardTestSplash* splash_ = nullptr;
    PasswordWindow* password_ = nullptr;
    LogWindow* log_ = nullptr;
    UndoHistory* history_ = nullptr;
    CallPagePlayer* callPlayer_ = nullptr;
    QAction* backupFirst_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

}  // namespace mk843nb
