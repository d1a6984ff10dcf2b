#include "platform/fake/FakeDurability.h"

#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

#include <algorithm>
#include <cstring>

namespace platform::fake {

void DurabilityModel::SetCutHandler(std::function<void(std::uint64_t)> handler) { handler_ = std::move(handler); }

void DurabilityModel::IgnoreFlushes(bool ignore) { ignoreFlushes_ = ignore; }

namespace {
std::string KeyOf(const AnsiCodePage& codePage, const std::string& path) {
    detail::ResolvedPath resolved;
    if (detail::ResolvePath(codePage, path.c_str(), &resolved) != 0) return "?" + path;
    return resolved.key;
}

// Bytes that were never flushed come back as something else.
DurabilityModel::Bytes Garbled(const DurabilityModel::Bytes& durable, const DurabilityModel::Bytes& current) {
    DurabilityModel::Bytes bytes = current;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i >= durable.size() || durable[i] != current[i]) bytes[i] = static_cast<std::uint8_t>(~current[i]);
    }
    return bytes;
}
}  // namespace

std::optional<DurabilityModel::Bytes> DurabilityModel::AfterCut(const std::string& path, UnflushedData fate) const {
    const auto found = names_.find(KeyOf(codePage_, path));
    if (found == names_.end()) return std::nullopt;
    const Inode& inode = *found->second;
    switch (fate) {
    case UnflushedData::kKept:
        return inode.current;
    case UnflushedData::kDropped:
        return inode.durable;
    case UnflushedData::kGarbled:
        return Garbled(inode.durable, inode.current);
    }
    return std::nullopt;
}

std::uint64_t DurabilityModel::Generation(const std::string& path) const {
    const auto found = names_.find(KeyOf(codePage_, path));
    return found == names_.end() ? 0 : found->second->stamp;
}

void DurabilityModel::Start(const AnsiCodePage& codePage, const std::vector<ExistingFile>& files) {
    codePage_ = codePage;
    open_.clear();
    names_.clear();
    calls_ = 0;
    for (const ExistingFile& file : files) {
        auto inode = std::make_shared<Inode>();
        inode->durable = *file.bytes;
        inode->current = *file.bytes;
        Touch(*inode);
        names_[file.key] = inode;
        open_[file.file] = inode;
    }
}

std::shared_ptr<DurabilityModel::Inode> DurabilityModel::InodeOf(const void* file) {
    std::shared_ptr<Inode>& inode = open_[file];
    if (!inode) inode = std::make_shared<Inode>();
    return inode;
}

void DurabilityModel::Created(const std::string& key, const void* file) {
    // The double reuses the file object of a truncated file; a new one gets a new inode.
    auto inode = std::make_shared<Inode>();
    Touch(*inode);
    open_[file] = inode;
    names_[key] = inode;
    Cut();
}

void DurabilityModel::Written(const void* file, std::uint64_t position, const void* data, std::uint64_t count) {
    const std::shared_ptr<Inode> inode = InodeOf(file);
    if (position + count > inode->current.size()) inode->current.resize(position + count, 0);
    std::memcpy(inode->current.data() + position, data, count);
    Touch(*inode);
    Cut();
}

void DurabilityModel::Flushed(const void* file) {
    const std::shared_ptr<Inode> inode = InodeOf(file);
    if (!ignoreFlushes_) inode->durable = inode->current;
    Touch(*inode);
    Cut();
}

void DurabilityModel::Copied(const std::string& targetKey, const void* target, const Bytes& bytes) {
    const auto existing = names_.find(targetKey);
    std::shared_ptr<Inode> inode = existing != names_.end() ? existing->second : std::make_shared<Inode>();
    inode->current = bytes;
    Touch(*inode);
    open_[target] = inode;
    names_[targetKey] = inode;
    Cut();
}

void DurabilityModel::Moved(const std::string& fromKey, const std::string& toKey) {
    std::vector<std::pair<std::string, std::shared_ptr<Inode>>> moved;
    for (const auto& name : names_) {
        if (detail::IsWithin(codePage_, name.first, fromKey)) moved.emplace_back(name.first, name.second);
    }
    for (const auto& name : moved) names_.erase(name.first);
    for (const auto& name : moved) names_[toKey + name.first.substr(fromKey.size())] = name.second;
    Cut();
}

void DurabilityModel::Deleted(const std::string& key) {
    names_.erase(key);
    Cut();
}

void DurabilityModel::MetadataChanged() { Cut(); }

void DurabilityModel::Cut() {
    ++calls_;
    if (handler_) handler_(calls_);
}

void FakePlatform::AttachDurability(DurabilityModel* model) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->durability = model;
    if (model == nullptr) return;
    std::vector<DurabilityModel::ExistingFile> files;
    for (const auto& entry : state_->entries) {
        if (!entry.second->folder) files.push_back({entry.first, entry.second.get(), &entry.second->bytes});
    }
    model->Start(state_->codePage, files);
}

}  // namespace platform::fake
