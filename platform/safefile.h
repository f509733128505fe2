// Saving a whole file so that a failure never destroys the previous one.
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

} // namespace platform
