// The recent-documents list's storage in the user's settings: organisation "Halvenor",
// application "VORN", group "RecentList/Recent Document List".
#pragma once

#include "recent/recent_documents.h"

class QSettings;

namespace vorn {

class QSettingsRecentStorage final : public RecentStorage {
public:
    // The settings must outlive the storage.
    explicit QSettingsRecentStorage(QSettings& settings);

    std::optional<std::int32_t> readInteger(const std::string& name) const override;
    std::optional<std::string> readString(const std::string& name) const override;
    void writeInteger(const std::string& name, std::int32_t value) override;
    void writeString(const std::string& name, const std::string& value) override;
    void remove(const std::string& name) override;
    // Writes what was changed to the disk, so that another window started now sees it.
    void sync();

private:
    QSettings& m_settings;
};

} // namespace vorn
