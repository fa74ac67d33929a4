#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace mk843nb {

// The About box (TAboutBox): product picture, name, version, legal notice and
// the home page and mail links, which the desktop opens.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    // Opens a link; the program uses the desktop's default browser or mail program.
    using UrlOpener = std::function<void(const QUrl&)>;

    static const QString kHomePage;
    static const QString kEmailAddress;

    explicit AboutBox(QWidget* parent = nullptr, UrlOpener openUrl = {});

    QLabel* ProductName() const { return productName_; }
    QLabel* Version() const { return version_; }
    QLabel* LblUrl() const { return lblUrl_; }
    QLabel* LblEmail() const { return lblEmail_; }
    QPushButton* OKButton() const { return okButton_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lblUrlClick();
    void lblEmailClick();
    static void SetLinkHover(QLabel* label, bool hovered);

    UrlOpener openUrl_;
    QLabel* productName_;
    QLabel* version_;
    QLabel* lblUrl_;
    QLabel* lblEmail_;
    QPushButton* okButton_;
};

}  // namespace mk843nb
