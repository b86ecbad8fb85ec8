#include "frame/recent_settings.h"

#include <QFile>
#include <QSettings>

#include <limits>

namespace vorn {

namespace {

QString key(const std::string& name) {
    return QStringLiteral("RecentList/Recent Document List/") + QString::fromStdString(name);
}

} // namespace

QSettingsRecentStorage::QSettingsRecentStorage(QSettings& settings) : m_settings(settings) {}

std::optional<std::int32_t> QSettingsRecentStorage::readInteger(const std::string& name) const {
    const QVariant value = m_settings.value(key(name));
    if (!value.isValid())
        return std::nullopt;
    // Stored as text in the settings file: only a whole number that fits 32 bits counts.
    bool number = false;
    const qlonglong read = value.toString().trimmed().toLongLong(&number);
    if (!number || read < std::numeric_limits<std::int32_t>::min() ||
        read > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(read);
}

std::optional<std::string> QSettingsRecentStorage::readString(const std::string& name) const {
    const QVariant value = m_settings.value(key(name));
    if (!value.isValid())
        return std::nullopt;
    return QFile::encodeName(value.toString()).toStdString();
}

void QSettingsRecentStorage::writeInteger(const std::string& name, std::int32_t value) {
    m_settings.setValue(key(name), value);
}

void QSettingsRecentStorage::writeString(const std::string& name, const std::string& value) {
    m_settings.setValue(key(name), QFile::decodeName(QByteArray::fromStdString(value)));
}

void QSettingsRecentStorage::remove(const std::string& name) {
    m_settings.remove(key(name));
}

void QSettingsRecentStorage::sync() {
    m_settings.sync();
}

} // namespace vorn
