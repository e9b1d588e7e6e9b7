#pragma once

class QWidget;

// What the main window knows of the forum's downloads, whose list lives
// with the engine: whether some are still on their way, and a place for
// their word on the status line.
class DownloadStatus
{
public:
    virtual ~DownloadStatus() = default;

    virtual bool running() const = 0;
    // Shows how many files are on their way at the right end of statusLine.
    virtual void showOn(QWidget *statusLine) = 0;
};
