// HKEY_CURRENT_USER as a tree of keys holding raw values.
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

#include <cstring>

namespace platform::fake {

namespace {
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;
}  // namespace

std::vector<std::string> SplitKeyPath(const std::string& keyPath) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : keyPath) {
        if (c == '\\') {
            if (!name.empty()) names.push_back(name);
            name.clear();
        } else {
            name += c;
        }
    }
    if (!name.empty()) names.push_back(name);
    return names;
}

std::shared_ptr<detail::RegNode> detail::FakeState::RegistryNode(const std::string& keyPath, bool create) {
    std::shared_ptr<detail::RegNode> node = registryRoot;
    for (const std::string& name : SplitKeyPath(keyPath)) {
        auto& children = node->children;
        const std::string folded = detail::FoldCase(name);
        auto found = children.find(folded);
        if (found == children.end()) {
            if (!create) return nullptr;
            auto child = std::make_shared<detail::RegNode>();
            child->name = name;
            found = children.emplace(folded, child).first;
        }
        node = found->second;
    }
    return node;
}

void FakePlatform::SetRegistryValue(const std::string& keyPath, const std::string& valueName,
                                    const std::vector<std::uint8_t>& bytes, std::uint32_t type) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->RegistryNode(keyPath, true)->values[detail::FoldCase(valueName)] = detail::RegValue{type, bytes};
}

void FakePlatform::SetRegistryString(const std::string& keyPath, const std::string& valueName,
                                     const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetRegistryValue(keyPath, valueName, bytes, kRegSz);
}

void FakePlatform::SetRegistryDword(const std::string& keyPath, const std::string& valueName, std::uint32_t value) {
    const std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                             static_cast<std::uint8_t>(value >> 16),
                                             static_cast<std::uint8_t>(value >> 24)};
    SetRegistryValue(keyPath, valueName, bytes, kRegDword);
}

void FakePlatform::CreateRegistryKey(const std::string& keyPath) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->RegistryNode(keyPath, true);
}

namespace {
void MarkDeleted(detail::RegNode& node) {
    node.deleted = true;
    for (auto& child : node.children) MarkDeleted(*child.second);
}
}  // namespace

void FakePlatform::DeleteRegistryKey(const std::string& keyPath) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<std::string> names = SplitKeyPath(keyPath);
    if (names.empty()) return;
    const std::string last = detail::FoldCase(names.back());
    names.pop_back();
    std::string parentPath;
    for (const std::string& name : names) parentPath += name + "\\";
    const std::shared_ptr<detail::RegNode> parent = state_->RegistryNode(parentPath, false);
    if (!parent) return;
    const auto found = parent->children.find(last);
    if (found == parent->children.end()) return;
    MarkDeleted(*found->second);
    parent->children.erase(found);
}

void FakePlatform::RestrictKeyAccess(const std::string& keyPath, std::uint32_t allowedAccess) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->RegistryNode(keyPath, true)->allowedAccess = allowedAccess;
}

long FakePlatform::RegOpenKeyEx(RegKey parent, const char* subKey, std::uint32_t /*options*/, std::uint32_t access,
                                RegKey* result) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::RegOpenKeyEx)) {
        if (result != nullptr) *result = 0;
        return static_cast<long>(*fault);
    }
    if (result == nullptr) return static_cast<long>(win::kErrorInvalidParameter);
    *result = 0;
    const auto parentPath = state_->openKeyPaths.find(parent);
    const std::string asked = (parentPath == state_->openKeyPaths.end() ? std::string() : parentPath->second + "\\") +
                              (subKey == nullptr ? std::string() : std::string(subKey));
    state_->registryKeysAsked.push_back(asked);
    std::shared_ptr<detail::RegNode> node;
    if (parent == kHkeyCurrentUser) {
        node = state_->registryRoot;
    } else {
        const auto open = state_->openKeys.find(parent);
        if (open == state_->openKeys.end()) return static_cast<long>(win::kErrorInvalidHandle);
        node = open->second;
        if (node->deleted) return static_cast<long>(detail::kErrorKeyDeleted);
    }
    for (const std::string& name : SplitKeyPath(subKey == nullptr ? std::string() : std::string(subKey))) {
        const auto child = node->children.find(detail::FoldCase(name));
        if (child == node->children.end()) return static_cast<long>(win::kErrorFileNotFound);
        node = child->second;
    }
    if (node->allowedAccess && (access & ~*node->allowedAccess) != 0) {
        return static_cast<long>(win::kErrorAccessDenied);
    }
    const RegKey handle = state_->NewHandle();
    state_->openKeys[handle] = node;
    state_->openKeyPaths[handle] = asked;
    *result = handle;
    return 0;
}

long FakePlatform::RegQueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                                   std::uint32_t* size) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::RegQueryValueEx)) return static_cast<long>(*fault);
    std::shared_ptr<detail::RegNode> node;
    if (key == kHkeyCurrentUser) {
        node = state_->registryRoot;
    } else {
        const auto open = state_->openKeys.find(key);
        if (open == state_->openKeys.end()) return static_cast<long>(win::kErrorInvalidHandle);
        node = open->second;
    }
    if (node->deleted) return static_cast<long>(detail::kErrorKeyDeleted);
    if (data != nullptr && size == nullptr) return static_cast<long>(win::kErrorInvalidParameter);
    const auto value = node->values.find(detail::FoldCase(valueName == nullptr ? std::string() : valueName));
    if (value == node->values.end()) return static_cast<long>(win::kErrorFileNotFound);
    const std::vector<std::uint8_t>& bytes = value->second.bytes;
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (type != nullptr) *type = value->second.type;
    if (data != nullptr && *size < needed) {
        *size = needed;
        return static_cast<long>(win::kErrorMoreData);
    }
    if (data != nullptr && needed > 0) std::memcpy(data, bytes.data(), needed);
    if (size != nullptr) *size = needed;
    return 0;
}

long FakePlatform::RegCloseKey(RegKey key) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::RegCloseKey)) return static_cast<long>(*fault);
    if (key == kHkeyCurrentUser) return 0;
    if (state_->openKeys.erase(key) == 0) return static_cast<long>(win::kErrorInvalidHandle);
    state_->openKeyPaths.erase(key);
    return 0;
}

std::vector<std::string> FakePlatform::RegistryKeysAsked() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->registryKeysAsked;
}

std::size_t FakePlatform::OpenRegistryKeys() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->openKeys.size();
}

}  // namespace platform::fake
