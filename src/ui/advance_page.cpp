#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "editor/control_id.h"
#include "ui/design_builder.h"
#include "ui/page_builders.h"

namespace mk843nb {

void BuildAdvancePage(DesignBuilder& b, QWidget* page) {
    auto* memo = new QPlainTextEdit(page);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Black in every state: the notice stays readable while the window is disabled by a transfer.
    memo->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #C0C0C0; color: black; }"));
    memo->setPlainText(
        QStringLiteral("\n Notice : These decoder parameters may cause pager not to receive, "
                       "please set up carefully."));
    b.Add(memo, {10, 8, 765, 52});

    QFrame* config = b.Panel(page, "panConfig", {10, 70, 765, 92});
    const QString bandHint = QStringLiteral("Decoder Bandwidth default value : 1.5%");
    QLabel* band = b.Label(config, "lblDecoderBandwidth", QStringLiteral("Decoder Bandwidth"),
                           QRect(16, 20, 140, 18));
    DesignBuilder::Hint(band, bandHint);
    b.Label(config, "lblPlus", QStringLiteral("+"), QRect(169, 9, 14, 13));
    b.Label(config, "lblMinus", QStringLiteral("-"), QRect(170, 22, 14, 13));
    QComboBox* width = b.Combo(config, ControlId::cboBandWidth, {186, 16, 72, 24});
    DesignBuilder::Hint(width, bandHint);
    b.Label(config, "lblPercent", QStringLiteral("%"), QRect(264, 20, 20, 18));

    const QString gapHint = QStringLiteral("Gap MAX. default value : 5 x 100 ms");
    QLabel* gap = b.Label(config, "lblGapMax", QStringLiteral("Gap MAX."), QRect(16, 56, 140, 18));
    DesignBuilder::Hint(gap, gapHint);
    QLineEdit* gapMax = b.Edit(config, ControlId::edtGapMax, {186, 53, 72, 22});
    DesignBuilder::Hint(gapMax, gapHint);
    b.Label(config, "lblGapMaxUnit", QStringLiteral("x 100 ms"), QRect(264, 56, 70, 18));

    QFrame* panel = b.Panel(page, "Panel1", {10, 172, 765, 176});
    int top = 18;
    for (ControlId control : {ControlId::edtSquelch, ControlId::edtTone3Len,
                              ControlId::edtNRSSIRpTM, ControlId::edtMiniRecTime}) {
        b.Label(panel, "", DesignBuilder::Caption(control), QRect(16, top + 3, 160, 18));
        b.Edit(panel, control, {186, top, 72, 22});
        b.Label(panel, "", DesignBuilder::Unit(control), QRect(264, top + 3, 70, 18));
        top += 38;
    }
}

}  // namespace mk843nb
