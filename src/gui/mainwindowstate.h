#pragma once

#include <QtGlobal>

// State of the main window that the picker panel shares with the layout.
struct MainWindowState
{
    // The two places of the forum view's left edge, in twips.
    static constexpr qint32 leftWithPickerClosed = 50;
    static constexpr qint32 leftWithPickerOpen = 3150;

    // Left edge of the forum view and the status line, in twips.
    qint32 WBLeft = 0;
    // Whether the picker panel is open (or opening).
    bool IconarioAperto = false;
};
