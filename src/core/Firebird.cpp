// The one place that talks to the Firebird client library: the engine, its connections and transactions.
#include "Firebird.h"

#include <ibase.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "EngineDiskGuard.h"
#include "FirebirdClient.h"
#include "foundation/Text.h"

namespace sw::fb {

namespace {

struct LockFolderChoice {
    QString folder;
    bool engineStarted = false;
};

LockFolderChoice& LockFolder() {
    static LockFolderChoice choice;
    return choice;
}

/// Makes the lock folder (for this user alone when it is new) and points the engine at it; the
/// engine reads FIREBIRD_LOCK once, when it starts.
void PrepareLockFolder() {
    QString folder = LockFolder().folder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                 "/sonwick3/firebird-lock";
    }
    folder = QDir::cleanPath(folder);
    const QByteArray native = QFile::encodeName(folder);
    if (!QFileInfo(folder).isDir()) {
        QDir().mkpath(QFileInfo(folder).path());
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            const int error = errno;
            throw DatabaseError("Cannot create the database lock folder " + native.toStdString() + ": " +
                                std::strerror(error));
        }
    }
    if (!QFileInfo(folder).isDir()) {
        throw DatabaseError("Cannot use the database lock folder " + native.toStdString() +
                            ": it is not a folder");
    }
    if (::access(native.constData(), R_OK | W_OK | X_OK) != 0) {
        const int error = errno;
        throw DatabaseError("Cannot use the database lock folder " + native.toStdString() + ": " +
                            std::strerror(error));
    }
    GuardLockFolderDisk(folder);
    ::setenv("FIREBIRD_LOCK", native.constData(), 1);
    LockFolder().engineStarted = true;
}

/// A database to attach to that does not exist is said plainly, without starting the engine (nor
/// making its lock folder) for nothing.
void RefuseMissingFile(const QString& path, bool creating) {
    struct stat st {};
    if (!creating && ::stat(QFile::encodeName(path).constData(), &st) != 0 &&
        (errno == ENOENT || errno == ENOTDIR)) {
        throw DatabaseError("Database file " + QuoteDouble(path).toStdString() + " not found");
    }
}

QByteArray ParameterBlock(const Credentials& credentials, int pageSize) {
    return Checked([&](ThrowStatusWrapper* status) {
        Firebird::IXpbBuilder* dpb =
            Master()->getUtilInterface()->getXpbBuilder(status, Firebird::IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(status, isc_dpb_user_name, credentials.user.toUtf8().constData());
        dpb->insertString(status, isc_dpb_password, credentials.password.toUtf8().constData());
        dpb->insertString(status, isc_dpb_lc_ctype, "UTF8");
        dpb->insertInt(status, isc_dpb_sql_dialect, kDialect);
        if (pageSize > 0) {
            dpb->insertInt(status, isc_dpb_page_size, pageSize);
            dpb->insertString(status, isc_dpb_set_db_charset, "UTF8");
        }
        // Every commit reaches the disk before it returns, so that a crash of the system or a
        // power loss cannot leave a damaged file. A catalogue written without (by an earlier
        // edition) is switched over when it is opened.
        dpb->insertInt(status, isc_dpb_force_write, 1);
        QByteArray block(reinterpret_cast<const char*>(dpb->getBuffer(status)),
                         static_cast<int>(dpb->getBufferLength(status)));
        dpb->dispose();
        return block;
    });
}

}  // namespace

IMaster* Master() {
    static IMaster* master = [] {
        PrepareLockFolder();
        return Firebird::fb_get_master_interface();
    }();
    return master;
}

void SetLockFolder(const QString& folder) {
    LockFolderChoice& choice = LockFolder();
    if (choice.engineStarted) {
        if (QDir::cleanPath(folder) != QDir::cleanPath(choice.folder)) {
            throw std::logic_error("The database lock folder is set after the engine started");
        }
        return;
    }
    choice.folder = folder;
}

Connection::Connection(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

std::unique_ptr<Connection> Connection::Open(const QString& path, const Credentials& credentials,
                                             int pageSize) {
    RefuseMissingFile(path, pageSize > 0);
    const QByteArray dpb = ParameterBlock(credentials, pageSize);
    const bool create = pageSize > 0;
    auto impl = std::make_unique<Impl>();
    impl->attachment = Checked([&](ThrowStatusWrapper* status) {
        Firebird::IProvider* provider = Master()->getDispatcher();
        const QByteArray file = path.toUtf8();
        const auto* block = reinterpret_cast<const unsigned char*>(dpb.constData());
        const auto length = static_cast<unsigned>(dpb.size());
        Firebird::IAttachment* attachment = nullptr;
        try {
            attachment = create ? provider->createDatabase(status, file.constData(), length, block)
                                : provider->attachDatabase(status, file.constData(), length, block);
        } catch (...) {
            provider->release();
            throw;
        }
        provider->release();
        return attachment;
    });
    return std::unique_ptr<Connection>(new Connection(std::move(impl)));
}

std::unique_ptr<Connection> Connection::Attach(const QString& path, const Credentials& credentials) {
    return Open(path, credentials, 0);
}

std::unique_ptr<Connection> Connection::Create(const QString& path, const Credentials& credentials,
                                               int pageSize) {
    constexpr int kSmallestPage = 4096;
    return Open(path, credentials, std::max(pageSize, kSmallestPage));
}

Connection::~Connection() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; Close() is the place where failures are seen.
        ReleaseQuietly(m_impl->transaction);
        ReleaseQuietly(m_impl->attachment);
    }
}

bool Connection::TransactionActive() const {
    return m_impl->transaction != nullptr;
}

unsigned Connection::TransactionSerial() const {
    return m_impl->serial;
}

void Connection::Commit() {
    if (!m_impl->transaction) {
        return;
    }
    Checked([&](ThrowStatusWrapper* status) { m_impl->transaction->commit(status); });
    m_impl->transaction = nullptr;
}

void Connection::CommitRetaining() {
    if (m_impl->transaction) {
        Checked([&](ThrowStatusWrapper* status) { m_impl->transaction->commitRetaining(status); });
        ++m_impl->serial;
    }
}

void Connection::Rollback() {
    if (!m_impl->transaction) {
        return;
    }
    Checked([&](ThrowStatusWrapper* status) { m_impl->transaction->rollback(status); });
    m_impl->transaction = nullptr;
}

void Connection::Close() {
    if (!m_impl->attachment) {
        return;
    }
    Commit();
    Checked([&](ThrowStatusWrapper* status) { m_impl->attachment->detach(status); });
    m_impl->attachment = nullptr;
}

QString ClientVersion() {
    char text[128] = {};
    isc_get_client_version(text);
    return QString::fromLatin1(text).trimmed();
}

}  // namespace sw::fb
