#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Keeps one Velmora per user: a second start asks the first to come to the
// front and leaves, so two manager windows can never overwrite each other's
// changes to the personal set.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    // socketPath: where the running instance listens; one per user.
    explicit SingleInstance(const QString &socketPath, QObject *parent = nullptr);

    // The user's own socket, in the user's runtime folder.
    static QString defaultSocketPath();
    // The socket in runtimeFolder, or in the user's own fallbackFolder when
    // there is no runtime folder: never in a folder every user shares.
    static QString socketPathIn(const QString &runtimeFolder, const QString &fallbackFolder);

    // True when no other instance runs: this one now answers later starts.
    // False when one does; it has been asked to come to the front.
    bool claim();

signals:
    // A later start asked this instance to come to the front.
    void activationRequested();

private:
    QString m_socketPath;
    QLocalServer *m_server = nullptr;
};
