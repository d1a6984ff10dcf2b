// Online-only files of a cloud sync client, and the client that fetches
// their data.
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

namespace platform::fake {

void FakePlatform::SetCloudProvider(CloudProvider state) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->cloudProvider = state;
}

void FakePlatform::MakeOnlineOnly(const std::string& path) {
    detail::ResolvedPath resolved;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (detail::ResolvePath(state_->codePage, path.c_str(), &resolved) != 0) return;
    if (const std::shared_ptr<detail::Entry> entry = state_->Find(resolved.key)) {
        if (!entry->folder) entry->dataOnline = true;
    }
}

bool FakePlatform::IsOnlineOnly(const std::string& path) const {
    detail::ResolvedPath resolved;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (detail::ResolvePath(state_->codePage, path.c_str(), &resolved) != 0) return false;
    const std::shared_ptr<detail::Entry> entry = state_->Find(resolved.key);
    return entry && entry->dataOnline;
}

std::uint32_t detail::FakeState::FetchData(detail::Entry& entry) {
    if (!entry.dataOnline) return 0;
    switch (cloudProvider) {
    case FakePlatform::CloudProvider::kRunning:
        entry.dataOnline = false;
        return 0;
    case FakePlatform::CloudProvider::kNotRunning:
        return win::kErrorCloudFileProviderNotRunning;
    case FakePlatform::CloudProvider::kOffline:
        break;
    }
    return win::kErrorCloudFileNetworkUnavailable;
}

}  // namespace platform::fake
