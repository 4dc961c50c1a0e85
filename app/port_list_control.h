#pragma once
// Rebuilding a port drop-down list from the port source, as both pages do when their list is
// opened.
class QComboBox;
class PortSource;

// Lists the present ports in natural order and selects the remembered position again (by
// position, not by name). When the source cannot be read the list stays empty. Names the
// list cannot carry (see listable_port_name.h) are left out.
void RefillPortList(QComboBox* list, PortSource* source);
