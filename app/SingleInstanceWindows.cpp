// One copy per user on Windows: the named mutex "Zeq QV7CFG" of the session namespace, its name
// carrying the user's SID, and a raise request over a named pipe whose peer is checked to run as
// the same user.
#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>

#include <windows.h>

#include <sddl.h>

#include <memory>
#include <vector>

namespace qv7 {

namespace {

// The user SID of a process's token, as text ("S-1-5-21-…"); empty when it cannot be read.
QString userOf(HANDLE process) {
    HANDLE token = nullptr;
    if (::OpenProcessToken(process, TOKEN_QUERY, &token) == 0) return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    QString text;
    if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) != 0) {
        wchar_t* sid = nullptr;
        if (::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid) != 0) {
            text = QString::fromWCharArray(sid);
            ::LocalFree(sid);
        }
    }
    ::CloseHandle(token);
    return text;
}

QString thisUser() {
    static const QString user = userOf(::GetCurrentProcess());
    return user;
}

} // namespace

SingleInstance::SingleInstance(const QString& directory) : directory_(directory) {
    path_ = QStringLiteral("%1-%2").arg(QString::fromLatin1(InstanceName), thisUser());
    if (!directory.isEmpty())
        path_ +=
            QLatin1Char('-') +
            QString::fromLatin1(
                QCryptographicHash::hash(directory.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

SingleInstance::~SingleInstance() {
    if (mutex_ != nullptr) ::CloseHandle(static_cast<HANDLE>(mutex_));
}

bool SingleInstance::isHeld() const {
    return mutex_ != nullptr;
}

QString SingleInstance::defaultDirectory() {
    return {}; // the mutex lives in the session's namespace, not in a folder
}

bool SingleInstance::isPrivateFolder(const QString&) {
    return false;
}

bool SingleInstance::tryAcquire() {
    if (isHeld()) return true;
    failure_.clear();
    if (thisUser().isEmpty()) {
        failure_ = QStringLiteral("the user of this program cannot be known");
        return false;
    }
    const std::wstring name = (QStringLiteral("Local\\") + path_).toStdWString();
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = ::GetLastError();
    if (mutex != nullptr && error != ERROR_ALREADY_EXISTS) {
        mutex_ = mutex;
        return true;
    }
    if (mutex != nullptr) ::CloseHandle(mutex);
    // Another copy made it first; a name some other program holds under another type is refused too.
    if (mutex != nullptr || error == ERROR_ACCESS_DENIED) return false;
    failure_ = QStringLiteral("%1: error %2").arg(path_).arg(error);
    return false;
}

bool InstanceChannel::peerIsThisUser(const QLocalSocket& socket) {
    const auto pipe = reinterpret_cast<HANDLE>(socket.socketDescriptor());
    if (pipe == nullptr || pipe == INVALID_HANDLE_VALUE) return false;
    // The process at the other end: the client as the server sees it, the server as a client does.
    ULONG client = 0, server = 0;
    ::GetNamedPipeClientProcessId(pipe, &client);
    ::GetNamedPipeServerProcessId(pipe, &server);
    const DWORD self = ::GetCurrentProcessId();
    const ULONG peer = client != 0 && client != self ? client : server != self ? server : client;
    if (peer == 0) return false;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, peer);
    if (process == nullptr) return false;
    const QString user = userOf(process);
    ::CloseHandle(process);
    return !user.isEmpty() && user == thisUser();
}

} // namespace qv7
