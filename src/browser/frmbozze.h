#pragma once

#include "gui/fixeddialog.h"

#include <functional>

class DraftStore;
class QVBoxLayout;

// The drafts not yet taken by the forum, newest first: each with its page,
// when it was saved and its first words, and buttons to open its page, copy
// its text or throw it away. It stays open beside the forum.
class frmBozze final : public FixedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmBozze)

public:
    using OpenPage = std::function<void(const QString &page)>;

    frmBozze(DraftStore *store, OpenPage openPage, QWidget *parent = nullptr);

    // Opens the window, or brings the open one to the front.
    static frmBozze *showFor(DraftStore *store, OpenPage openPage, QWidget *parent);

    static QString title() { return QStringLiteral("Norvale - Bozze non inviate"); }

private:
    void fill();

    DraftStore *m_store;
    OpenPage m_openPage;
    QVBoxLayout *m_rows = nullptr;
};
