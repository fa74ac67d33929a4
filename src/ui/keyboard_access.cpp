#include "ui/keyboard_access.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace mk843nb {

namespace {

// Controls whose tops differ by less than this stand on one row.
constexpr int kRowTolerance = 12;
// An empty strip at least this wide, top to bottom, parts two columns.
constexpr int kColumnGap = 24;
constexpr const char* kTabDownColumns = "tabDownColumns";

bool TakesTab(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus; }

void SortInRows(std::vector<QWidget*>& children) {
    std::stable_sort(children.begin(), children.end(), [](const QWidget* a, const QWidget* b) {
        return a->geometry().top() < b->geometry().top();
    });
    // Rows: a control within the tolerance of the row's first top joins the row.
    for (std::size_t start = 0; start < children.size();) {
        std::size_t end = start + 1;
        const int rowTop = children[start]->geometry().top();
        while (end < children.size() && children[end]->geometry().top() - rowTop < kRowTolerance)
            ++end;
        std::stable_sort(children.begin() + std::ptrdiff_t(start),
                         children.begin() + std::ptrdiff_t(end),
                         [](const QWidget* a, const QWidget* b) {
                             return a->geometry().left() < b->geometry().left();
                         });
        start = end;
    }
}

// The controls split where an empty strip runs between them, left to right.
std::vector<std::vector<QWidget*>> Columns(std::vector<QWidget*> children) {
    std::stable_sort(children.begin(), children.end(), [](const QWidget* a, const QWidget* b) {
        return a->geometry().left() < b->geometry().left();
    });
    std::vector<std::vector<QWidget*>> columns;
    int right = 0;
    for (QWidget* c : children) {
        const QRect g = c->geometry();
        if (columns.empty() || g.left() - right >= kColumnGap) {
            columns.emplace_back();
            right = g.right();
        }
        columns.back().push_back(c);
        right = std::max(right, g.right());
    }
    return columns;
}

std::vector<QWidget*> InReadingOrder(QWidget* parent) {
    std::vector<QWidget*> children;
    for (QWidget* c : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!c->isWindow()) children.push_back(c);
    if (!parent->property(kTabDownColumns).toBool()) {
        SortInRows(children);
        return children;
    }
    std::vector<QWidget*> ordered;
    for (std::vector<QWidget*>& column : Columns(std::move(children))) {
        SortInRows(column);
        ordered.insert(ordered.end(), column.begin(), column.end());
    }
    return ordered;
}

void CollectTabStops(QWidget* parent, std::vector<QWidget*>& chain) {
    if (auto* pages = qobject_cast<QTabWidget*>(parent)) {
        // The tab bar first, then each page's controls. The tab widget itself
        // would be a second stop on the tab bar (its focus proxy) at its old place.
        const Qt::FocusPolicy tabBarPolicy = pages->tabBar()->focusPolicy();
        pages->setFocusPolicy(Qt::NoFocus);  // passed on to the proxy: given back below
        pages->tabBar()->setFocusPolicy(tabBarPolicy);
        chain.push_back(pages->tabBar());
        for (int i = 0; i < pages->count(); ++i) CollectTabStops(pages->widget(i), chain);
        return;
    }
    for (QWidget* child : InReadingOrder(parent)) {
        if (TakesTab(child) && child->focusProxy() == nullptr) chain.push_back(child);
        // A combo box's or a line edit's inner parts are its own business.
        if (qobject_cast<QComboBox*>(child) == nullptr &&
            qobject_cast<QLineEdit*>(child) == nullptr)
            CollectTabStops(child, chain);
    }
}

// The label left of field on its row, the nearest one, in the same parent.
QLabel* LabelLeftOf(QWidget* field) {
    QLabel* best = nullptr;
    const QRect f = field->geometry();
    for (QLabel* label : field->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        const QRect l = label->geometry();
        // A label may reach a little under its field; it starts left of it.
        if (label->text().isEmpty() || l.center().x() >= f.left()) continue;
        if (l.bottom() < f.top() || l.top() > f.bottom()) continue;
        if (best == nullptr || l.left() > best->geometry().left()) best = label;
    }
    return best;
}

QString Plain(QString caption) { return caption.remove(QLatin1Char('&')).trimmed(); }

}  // namespace

void TabDownColumns(QWidget* container) { container->setProperty(kTabDownColumns, true); }

void SetTabOrderByPosition(QWidget* window) {
    std::vector<QWidget*> chain;
    CollectTabStops(window, chain);
    for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void NameFieldsByTheirLabels(QWidget* window) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->accessibleName().isEmpty() && !button->text().isEmpty())
                button->setAccessibleName(Plain(button->text()));
            continue;
        }
        const bool field = (qobject_cast<QLineEdit*>(w) != nullptr &&
                            qobject_cast<QComboBox*>(w->parentWidget()) == nullptr) ||
                           qobject_cast<QComboBox*>(w) != nullptr;
        if (!field || !TakesTab(w)) continue;
        QLabel* label = LabelLeftOf(w);
        if (label == nullptr) continue;
        if (label->buddy() == nullptr) label->setBuddy(w);
        if (w->accessibleName().isEmpty()) w->setAccessibleName(Plain(label->text()));
    }
}

}  // namespace mk843nb
