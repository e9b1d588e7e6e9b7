#pragma once

#include <QString>

// The program's two addresses. Windows never read these directly: they get
// them from their creator (see AppContext), so tests can point them elsewhere.
namespace Addresses {

inline QString forumHome()
{
    return QStringLiteral("http://www.velmora.it/forum/");
}
inline QString emoticonBase()
{
    return QStringLiteral("http://www.velmora.it/iconario/");
}

// The forum's logo, shown by the picker's preview when nothing is chosen.
inline QString forumLogo(const QString &forumHomeUrl)
{
    return forumHomeUrl + QStringLiteral("images/logo_velmora.gif");
}

} // namespace Addresses
