#pragma once

#include <QString>

class QObject;
class QWebEngineProfile;

// The forum's profile on disk.
namespace ForumProfile {

// Keeps every cookie across restarts, so a forum that logs in with a
// session cookie stays logged in; its folders are the user's alone.
QWebEngineProfile *create(const QString &storageName, QObject *parent);

} // namespace ForumProfile
