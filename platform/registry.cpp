#include <platform/registry.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace platform {

namespace {

QString configHome()
{
    QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

QStringList keyParts(const QString& key)
{
    QString k = key;
    k.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return k.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

bool validParts(const QStringList& parts)
{
    if (parts.size() < 2)
        return false;
    for (const QString& p : parts)
        if (p == QLatin1String(".") || p == QLatin1String(".."))
            return false;
    return true;
}

QString groupOf(const QStringList& parts)
{
    return parts.mid(2).join(QLatin1Char('/'));
}

// True when the settings file holds anything under group (the file's top level when empty).
bool groupExists(QSettings& s, const QString& group)
{
    if (group.isEmpty())
        return true;
    s.beginGroup(group);
    bool any = !s.allKeys().isEmpty();
    s.endGroup();
    return any;
}

} // namespace

TRegistry::TRegistry() = default;

TRegistry::~TRegistry()
{
    CloseKey();
}

QString TRegistry::FileForKey(const QString& key)
{
    QStringList parts = keyParts(key);
    if (!validParts(parts))
        return {};
    return configHome() + QLatin1Char('/') + parts[0] + QLatin1Char('/') + parts[1] + QStringLiteral(".ini");
}

bool TRegistry::KeyExists(const QString& key) const
{
    QString file = FileForKey(key);
    if (file.isEmpty() || !QFileInfo::exists(file))
        return false;
    QSettings s(file, QSettings::IniFormat);
    return groupExists(s, groupOf(keyParts(key)));
}

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    CloseKey();
    QString file = FileForKey(key);
    if (file.isEmpty())
        return false;
    if (!canCreate && !KeyExists(key))
        return false;
    settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
    group_ = groupOf(keyParts(key));
    return true;
}

void TRegistry::CloseKey()
{
    if (settings_)
        settings_->sync();
    settings_.reset();
    group_.clear();
}

bool TRegistry::ValueExists(const QString& name) const
{
    if (!settings_ || name.isEmpty())
        return false;
    return settings_->contains(group_.isEmpty() ? name : group_ + QLatin1Char('/') + name);
}

bool TRegistry::ReadInteger(const QString& name, int& value) const
{
    if (!ValueExists(name))
        return false;
    QVariant v = settings_->value(group_.isEmpty() ? name : group_ + QLatin1Char('/') + name);
    if (v.typeId() != QMetaType::QString && v.typeId() != QMetaType::Int && v.typeId() != QMetaType::LongLong)
        return false;
    bool ok = false;
    int parsed = v.toString().trimmed().toInt(&ok, 10);
    if (!ok)
        return false;
    value = parsed;
    return true;
}

bool TRegistry::WriteInteger(const QString& name, int value)
{
    if (!settings_ || name.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(settings_->fileName()).absolutePath());
    settings_->setValue(group_.isEmpty() ? name : group_ + QLatin1Char('/') + name, value);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace platform
