// Per-user settings addressed as registry key paths, e.g. "\Navar\kr5480\Port".
// The first path part is the folder under $XDG_CONFIG_HOME, the second the INI file,
// the rest the group: $XDG_CONFIG_HOME/Navar/kr5480.ini, group [Port].
#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace platform {

class TRegistry {
public:
    TRegistry();
    ~TRegistry();
    // False when the key does not exist and canCreate is false, or the path is malformed.
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey(); // writes pending values
    bool KeyExists(const QString& key) const;
    bool ValueExists(const QString& name) const;
    // False for a missing value or one that is not an integer; value untouched then.
    bool ReadInteger(const QString& name, int& value) const;
    bool WriteInteger(const QString& name, int value);
    // The INI file a key lives in (for tests and the README).
    static QString FileForKey(const QString& key);

private:
    std::unique_ptr<QSettings> settings_;
    QString group_;
};

} // namespace platform
