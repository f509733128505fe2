// Whole files: saving so that a failure never destroys the previous one, and telling
// a file that can be read whole from a pipe or device that would block.
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

enum class SaveResult {
    Ok,
    CannotCreate, // folder, read-only file, or a folder that cannot be written
    WriteError,   // the new contents could not be written or put in place
};

// Writes the bytes to a new file beside the target and renames it over the target.
// A symbolic link keeps pointing at the file it names; a replaced file keeps its
// permissions. On failure the previous file is untouched and no temporary file remains.
SaveResult SaveFileReplacing(const QString& path, const QByteArray& bytes);

// True when path names a regular file (after following links). Loads check it first:
// opening a named pipe would wait for a writer, a device may never end.
bool IsRegularFile(const QString& path);

} // namespace platform
