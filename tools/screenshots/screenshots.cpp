// Shows each window as a user meets it and saves it as a PNG in the given
// folder: the main window on each of its pages, the tone table, the password
// window, the About box, the reset help and the board-test splash. No board is
// searched for and no file is read or written besides the pictures.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <cstdio>
#include <string>

#include "editor/form_model.h"
#include "ui/about_box.h"
#include "ui/board_test_splash.h"
#include "ui/dialog_service.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/password_window.h"
#include "ui/tone_table_window.h"

namespace {

using namespace mk843nb;

class Pictures {
public:
    explicit Pictures(QString folder) : folder_(std::move(folder)) {}

    // Shows the window, lets it settle and saves it; false when it could not be saved.
    bool Save(QWidget& window, const QString& name) {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) return Fail(name, "the window was not shown");
        QTest::qWait(100);
        const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
        if (!window.grab().save(path)) return Fail(name, "the picture could not be written");
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    bool AllSaved() const { return failures_ == 0; }

private:
    bool Fail(const QString& name, const char* why) {
        std::fprintf(stderr, "mk843nb-screenshots: %s: %s\n", qPrintable(name), why);
        ++failures_;
        return false;
    }

    QString folder_;
    int failures_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mk843nb-screenshots FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "mk843nb-screenshots: cannot create %s\n", argv[1]);
        return 1;
    }
    Pictures pictures(folder);

    QtDialogService dialogs;
    MainWindow window(dialogs);
    QTabWidget* pages = window.Pages();
    for (int page = 0; page < pages->count(); ++page) {
        if (!pages->isTabVisible(page)) continue;
        pages->setCurrentIndex(page);
        pictures.Save(window,
                      QStringLiteral("main_window_%1").arg(pages->widget(page)->objectName()));
    }
    window.hide();

    FormModel model;
    ToneTableWindow toneTable(model, dialogs);
    toneTable.SelectCell(2, 4);
    pictures.Save(toneTable, QStringLiteral("tone_table"));
    toneTable.hide();

    PasswordWindow password(model, dialogs);
    password.show();
    if (QTest::qWaitForWindowExposed(&password)) QTest::keyClicks(password.EdtPwd(), "hw5");
    pictures.Save(password, QStringLiteral("password"));
    password.hide();

    AboutBox about(nullptr, [](const QUrl&) {});
    pictures.Save(about, QStringLiteral("about"));
    HelpWindow help;
    pictures.Save(help, QStringLiteral("reset_help"));
    BoardTestSplash splash;
    splash.Prepare();
    pictures.Save(splash, QStringLiteral("board_test_splash"));

    return pictures.AllSaved() ? 0 : 1;
}
