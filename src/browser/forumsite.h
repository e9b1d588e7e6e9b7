#pragma once

#include <QUrl>

class Downloads;
class Prompter;

// What the forum's views need from the program around them: the forum's
// home (its host is the trusted one), the message boxes and the downloads.
struct ForumSite
{
    QUrl home;
    Prompter *prompter = nullptr;
    Downloads *downloads = nullptr;
};
