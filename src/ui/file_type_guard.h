#pragma once

#include <QFileIconProvider>

namespace mk843nb {

// Icons and type names for the file dialogs from the file's name alone. The
// default provider reads a file's first bytes to guess its type when its name
// does not tell; in /proc, /dev or beside a named pipe that read never ends
// and the dialog, with the whole program, freezes.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    NameOnlyIconProvider();

    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

}  // namespace mk843nb
