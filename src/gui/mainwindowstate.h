#pragma once

#include <QtGlobal>

// State of the main window that the picker panel shares with the layout.
struct MainWindowState
{
    // Left edge of the forum view and the status line, in twips: 50 with the
    // picker closed, 3150 with it open.
    qint32 WBLeft = 0;
    // Whether the picker panel is open (or opening).
    bool IconarioAperto = false;
};
