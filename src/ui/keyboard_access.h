#pragma once

class QWidget;

namespace mk843nb {

// The Tab order of a window laid out by position rather than by layouts: in
// each container its children in reading order (rows from the top, each row
// from the left), a container's own controls where the container stands.
// Call it once the window is built at its design size.
void SetTabOrderByPosition(QWidget* window);

// Marks a container whose controls stand in columns side by side: Tab then
// runs down each column, then down the next, instead of across the rows.
// Columns are told apart by an empty strip between them. Mark it before
// SetTabOrderByPosition runs.
void TabDownColumns(QWidget* container);

// Every edit and list gets the caption of the label left of it on its row as
// its accessible name, and that label takes it as its buddy; check boxes and
// radio buttons are named by their own caption. A field that already has an
// accessible name keeps it.
void NameFieldsByTheirLabels(QWidget* window);

}  // namespace mk843nb
