#pragma once

class QGroupBox;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The IP and WHOIS page: its two frames side by side, the IP frame wider for its six columns,
// each frame laying its controls out by the fonts' own sizes so that no frame's title or border
// runs through a label or a button. The bottom of each frame is left to its tool's status line.
void layOutLookupPage(QWidget* page, QGroupBox* ipFrame, QGroupBox* whoisFrame);

// The address table's columns share its width, whatever the window's size.
void fitAddressColumns(QTreeWidget* table);

// A cell that is wider than its column shows its whole text as a tooltip, unless the cell
// already has one (why it is empty).
void explainCutCells(QTreeWidgetItem* item);
