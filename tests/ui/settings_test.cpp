// What the window remembers between runs: recent files, its geometry, the file dialogs' folder.
// QSettings writes under a configuration folder of this test process's own.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <memory>

#include "recording_dialogs.h"
#include "test_files.h"
#include "ui/app_settings.h"
#include "ui/dialog_service.h"
#include "ui/main_window.h"

namespace mk843nb {
namespace {

QApplication& App() {
    static test::TempDir config;
    static int argc = 1;
    static char name[] = "settings_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
        auto* a = new QApplication(argc, argv);
        SetUpSettingsIdentity();
        return a;
    }();
    return *app;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        QSettings().clear();
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.Path()));
        settings_ = std::make_unique<AppSettings>();
    }
    void TearDown() override {
        window_.reset();
        QDir::setCurrent(previousDir_);
    }
    MainWindow& NewWindow() {
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->UseSettings(*settings_);
        window_->show();
        return *window_;
    }
    template <typename T = QWidget>
    T* W(const char* name) {
        T* w = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // The recent files as the menu lists them, after it was opened.
    QStringList Listed() {
        auto* menu = W<QMenu>("RecentFilesMenu");
        emit menu->aboutToShow();
        QStringList files;
        for (QAction* a : menu->actions())
            if (a->objectName().startsWith(QLatin1String("RecentFile"))) files << a->toolTip();
        return files;
    }
    std::string Table(const char* name, std::uint8_t period) {
        PagerImage image = DefaultImage();
        image[kModelTagOffset] = 'M';
        image[20] = period;
        const std::string path = dir_.File(name);
        test::WriteFileBytes(path, image);
        return path;
    }

    test::TempDir dir_;
    QString previousDir_;
    test::RecordingDialogs dialogs_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(SettingsTest, RecentFilesListTheTablesOpenedAndSavedNewestFirst) {
    NewWindow();
    EXPECT_TRUE(W<QMenu>("RecentFilesMenu")->menuAction()->isVisible());
    const std::string a = Table("a.tbl", 11), b = Table("b.tbl", 22);
    const std::string saved = dir_.File("saved.tbl");
    dialogs_.openAnswers = {a, b};
    dialogs_.saveAnswers = {saved};
    W<QAction>("OpenO1")->trigger();
    W<QAction>("SaveAs1")->trigger();
    W<QAction>("OpenO1")->trigger();
    EXPECT_EQ(Listed(), (QStringList{QString::fromStdString(b), QString::fromStdString(saved),
                                     QString::fromStdString(a)}));
    EXPECT_EQ(window_->Model().Image()[20], 22);

    // Picking one opens it without a dialog and brings it to the top.
    W<QAction>("RecentFile3")->trigger();
    EXPECT_EQ(window_->Model().Image()[20], 11);
    EXPECT_EQ(Listed().front().toStdString(), a);
    EXPECT_TRUE(dialogs_.openAnswers.empty());
    EXPECT_TRUE(dialogs_.shown.empty());

    // The list outlives the window; a file gone since says so and leaves the list.
    window_.reset();
    NewWindow();
    ASSERT_EQ(Listed().size(), 3);
    QFile::remove(QString::fromStdString(b));
    Listed();
    W<QAction>("RecentFile2")->trigger();
    EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{"Open Error!"});
    EXPECT_EQ(Listed(), (QStringList{QString::fromStdString(a), QString::fromStdString(saved)}));

    // At most eight, then "Clear list".
    for (int i = 0; i < 10; ++i) {
        dialogs_.openAnswers.push_back(Table(("t" + std::to_string(i) + ".tbl").c_str(), 1));
        W<QAction>("OpenO1")->trigger();
    }
    EXPECT_EQ(Listed().size(), AppSettings::kMaxRecentFiles);
    EXPECT_TRUE(Listed().front().endsWith(QLatin1String("t9.tbl")));
    W<QAction>("ClearRecentFiles")->trigger();
    EXPECT_TRUE(Listed().isEmpty());
    EXPECT_FALSE(W<QAction>("ClearRecentFiles")->isEnabled());
}

TEST_F(SettingsTest, TheWindowComesBackWithItsSize) {
    NewWindow().resize(901, 755);
    QCoreApplication::processEvents();
    window_->close();
    window_.reset();
    EXPECT_EQ(NewWindow().size(), QSize(901, 755));
    // Without settings the window starts at its design size.
    MainWindow plain(dialogs_);
    EXPECT_EQ(plain.size(), plain.Layout().DesignSize());
}

TEST_F(SettingsTest, FileDialogsOpenInTheFolderTheLastOneWasClosedIn) {
    const std::string folder = dir_.File("tables");
    QDir().mkpath(QString::fromStdString(folder));
    QtDialogService real;
    real.RememberFoldersIn(settings_.get());
    QString seen;
    // Answers the next file dialog once it is up: file chosen, or cancelled when empty.
    QTimer ticker;
    QString file;
    bool picked = false;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        if (file.isEmpty()) {
            seen = dialog->directory().absolutePath();
            return dialog->reject();
        }
        // The name typed into the dialog, then OK on the next tick, once it has taken it.
        if (!picked) {
            seen = dialog->directory().absolutePath();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(file);
            picked = true;
            return;
        }
        picked = false;
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    ticker.start(50);
    const auto answer = [&](const QString& chosen) { file = chosen; };
    FileDialogRequest request;
    request.initialDir = dir_.Path();
    answer(QString::fromStdString(folder + "/new.tbl"));
    EXPECT_EQ(real.ChooseSaveFile(request), folder + "/new.tbl");
    EXPECT_EQ(seen.toStdString(), dir_.Path());
    answer({});
    EXPECT_EQ(real.ChooseOpenFile(request), std::nullopt);
    EXPECT_EQ(seen.toStdString(), folder);
    EXPECT_EQ(AppSettings().LastFolder().toStdString(), folder);
}

}  // namespace
}  // namespace mk843nb
