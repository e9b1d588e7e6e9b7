#pragma once

#include <QUrl>

class DraftStore;
class Downloads;
class Prompter;

// What the forum's views need from the program around them: the forum's
// home (its host is the trusted one), the message boxes, the downloads and
// the drafts of what the member writes.
struct ForumSite
{
    QUrl home;
    Prompter *prompter = nullptr;
    Downloads *downloads = nullptr;
    DraftStore *drafts = nullptr;
};
