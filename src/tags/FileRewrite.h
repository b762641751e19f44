#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace sw {

class FileReader;

/// True for an existing regular file (following a symbolic link).
bool IsRegularFile(const QString& path);
/// Gives the owner write permission, the nearest thing here to clearing a read-only attribute.
bool MakeOwnerWritable(const QString& path);

/// Builds a file's new content beside it, in a hidden temporary file with a name of its own, and
/// then renames that over the file, so the file is never missing and never half-written. Until
/// Commit succeeds the original is untouched, and the temporary file is removed whenever the
/// rewrite does not complete. A leftover of a rewrite that was killed half-way never stands in the
/// way of the next, which removes it.
class FileRewrite {
public:
    explicit FileRewrite(const QString& path);
    ~FileRewrite();
    FileRewrite(const FileRewrite&) = delete;
    FileRewrite& operator=(const FileRewrite&) = delete;

    /// Removes the file's leftovers of killed rewrites, then creates the temporary file with the
    /// original's permissions.
    bool Begin();
    bool Append(const QByteArray& bytes);
    /// Copies bytes [from, to) of the source.
    bool AppendFrom(const FileReader& source, std::int64_t from, std::int64_t to);
    /// Flushes and syncs the temporary file and renames it over the original.
    bool Commit();
    /// What failed, the file it failed on and the system's text for the reason, as in
    /// "Cannot write /music/.song.mp3~Ab12Cd: No space left on device".
    const QString& Error() const { return m_error; }
    /// The system's error number of the failure (ENOSPC, EACCES, EROFS, ...); 0 when none.
    int ErrorNumber() const { return m_errorNumber; }

private:
    bool Fail(const QString& what, int error);
    bool FlushBuffer();
    void Discard();

    QString m_target;
    QByteArray m_temporary;
    int m_fd = -1;
    bool m_created = false;
    QByteArray m_buffer;
    QString m_error;
    int m_errorNumber = 0;
};

/// Writes `bytes` over the file from `offset` on and syncs it, for a change that keeps the file's
/// size and the place of everything else (a FLAC comment block growing into its padding), where
/// copying the whole file would be waste. When the write or the sync fails, the bytes that were
/// there (`previous`, as long as `bytes`) are written back. False, with `error` holding the
/// system's text, on failure. The write and sync faults of the tests apply here too.
bool OverwriteInPlace(const QString& path, std::int64_t offset, const QByteArray& bytes,
                      const QByteArray& previous, QString& error);

/// Where a rewrite can be made to fail in tests, as the system would fail it.
enum class RewriteFault { None, Create, Write, Sync, Rename };
/// Every rewrite fails at `fault` until this is called again with RewriteFault::None.
void SetRewriteFaultForTesting(RewriteFault fault);

}  // namespace sw
