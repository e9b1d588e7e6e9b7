#include "platform/platformfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <memory>

#include <qt_windows.h>
#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

using namespace Qt::StringLiterals;

namespace PlatformFiles {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The usual failures in the C library's words, which the program already
// tells in Italian; the rest in the system's.
QString windowsReason(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return systemReason(ENOENT);
    case ERROR_ACCESS_DENIED:
        return systemReason(EACCES);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return systemReason(EBUSY);
    default:
        return qt_error_string(int(error));
    }
}

std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

struct LocalFreer
{
    void operator()(void *memory) const { LocalFree(memory); }
};
using SecurityDescriptor = std::unique_ptr<void, LocalFreer>;

// The running user's SID, and the owner the system gives what the user makes
// (the Administrators group for an elevated administrator).
struct Identity
{
    QByteArray user;
    QByteArray owner;

    bool owns(PSID sid) const
    {
        return sid && (EqualSid(sid, PSID(user.data())) || (!owner.isEmpty() && EqualSid(sid, PSID(owner.data()))));
    }
};

QByteArray tokenSid(HANDLE token, TOKEN_INFORMATION_CLASS what)
{
    DWORD size = 0;
    GetTokenInformation(token, what, nullptr, 0, &size);
    QByteArray buffer(qsizetype(size), Qt::Uninitialized);
    if (size == 0 || !GetTokenInformation(token, what, buffer.data(), size, &size))
        return {};
    const PSID sid = what == TokenUser ? reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid
                                       : reinterpret_cast<TOKEN_OWNER *>(buffer.data())->Owner;
    return QByteArray(static_cast<const char *>(sid), qsizetype(GetLengthSid(sid)));
}

const Identity &identity()
{
    static const Identity me = [] {
        Identity found;
        HANDLE token = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            found.user = tokenSid(token, TokenUser);
            found.owner = tokenSid(token, TokenOwner);
            CloseHandle(token);
        }
        return found;
    }();
    return me;
}

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type)
{
    return IsWellKnownSid(sid, type);
}

// Calls allowed(sid, mask) for each access-allowed entry of the DACL that
// applies to the object itself; false when there is no DACL (everyone may
// do anything) or an entry of a kind this does not know.
template<typename Allowed>
bool everyAllowedEntry(PACL dacl, Allowed allowed)
{
    if (!dacl)
        return false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void *entry = nullptr;
        if (!GetAce(dacl, i, &entry))
            return false;
        const auto *header = static_cast<ACE_HEADER *>(entry);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return false;
        const auto *allowedEntry = static_cast<ACCESS_ALLOWED_ACE *>(entry);
        if (!allowed(PSID(const_cast<DWORD *>(&allowedEntry->SidStart)), allowedEntry->Mask))
            return false;
    }
    return true;
}

bool securityOf(const QString &path, PSID *owner, PACL *dacl, SecurityDescriptor *keep)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring name = native(path);
    if (GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              owner, nullptr, dacl, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return false;
    keep->reset(descriptor);
    return true;
}

constexpr DWORD changingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD
    | FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

} // namespace

QString linkReason()
{
    return u"è un collegamento"_s;
}

bool openForReading(const QString &path, QFile &file, Links links, Opened *what, QString *reason)
{
    // Backup semantics open a folder too, so it can be told from a denial.
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
    if (links == Links::Refuse)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    const std::wstring name = native(path);
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *reason = windowsReason(GetLastError());
        return false;
    }
    const auto refuse = [handle, reason](const QString &why) {
        CloseHandle(handle);
        *reason = why;
        return false;
    };
    // A device (NUL, CON, a pipe) has no file information to give.
    const bool onDisk = GetFileType(handle) == FILE_TYPE_DISK;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (onDisk && !GetFileInformationByHandle(handle, &info))
        return refuse(windowsReason(GetLastError()));
    if (links == Links::Refuse && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return refuse(linkReason());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return refuse(systemReason(EISDIR));
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor)
        != ERROR_SUCCESS)
        owner = nullptr;
    const SecurityDescriptor keep(descriptor);
    *what = {.regular = onDisk && !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT),
             .ownedByUser = identity().owns(owner),
             .names = qint64(info.nNumberOfLinks)};
    // The C library's descriptor owns the handle from here; QFile owns both.
    const int fd = _open_osfhandle(intptr_t(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        return refuse(systemReason(errno));
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *reason = file.errorString();
        _close(fd);
        return false;
    }
    return true;
}

bool restrictFolder(const QString &folder)
{
    const Identity &me = identity();
    if (me.user.isEmpty())
        return false;
    // One entry, the user's, inherited by all that is made inside; the
    // folder's own parent no longer adds any.
    EXPLICIT_ACCESS_W access = {};
    access.grfAccessPermissions = FILE_ALL_ACCESS;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(const_cast<char *>(me.user.data()));
    PACL acl = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &acl) != ERROR_SUCCESS)
        return false;
    const SecurityDescriptor keep(acl);
    std::wstring name = native(folder);
    return SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 acl, nullptr)
        == ERROR_SUCCESS;
}

bool restrictOpenFile(QFileDevice &)
{
    return true;
}

bool isUserOnly(const QString &path)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    SecurityDescriptor keep;
    if (!securityOf(path, &owner, &dacl, &keep))
        return false;
    const Identity &me = identity();
    return me.owns(owner) && everyAllowedEntry(dacl, [&me](PSID sid, ACCESS_MASK) {
               return me.owns(sid) || isWellKnown(sid, WinLocalSystemSid);
           });
}

bool isOwnFolder(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    SecurityDescriptor keep;
    if (!securityOf(folder, &owner, &dacl, &keep))
        return false;
    const Identity &me = identity();
    // Program Files is the system's and TrustedInstaller's: never the user's own.
    return me.owns(owner) && everyAllowedEntry(dacl, [&me](PSID sid, ACCESS_MASK mask) {
               return (mask & changingRights) == 0 || me.owns(sid) || isWellKnown(sid, WinLocalSystemSid)
                   || isWellKnown(sid, WinBuiltinAdministratorsSid) || isWellKnown(sid, WinCreatorOwnerSid);
           });
}

Entry entryAt(const QString &path)
{
    QFile file;
    Opened what;
    QString reason;
    if (openForReading(path, file, Links::Refuse, &what, &reason))
        return what.regular && what.ownedByUser ? Entry::OwnFile : Entry::Other;
    const std::wstring name = native(path);
    return GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES
            && (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND)
        ? Entry::Missing
        : Entry::Other;
}

qint64 modifiedAt(const QString &path)
{
    const std::wstring name = native(path);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data))
        return 0;
    // 100-nanosecond steps since 1601.
    const qint64 steps = (qint64(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return steps / 10000 - Q_INT64_C(11644473600000);
}

bool isSystemFile(const QString &path)
{
    const std::wstring name = native(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
}

} // namespace PlatformFiles
