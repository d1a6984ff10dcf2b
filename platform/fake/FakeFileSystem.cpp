// Files and folders by name: the scene-setting members and the Win32
// operations that take a path.
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

namespace platform::fake {

namespace {
using detail::Entry;
using detail::ResolvedPath;

constexpr std::uint32_t kDeleteAccess = 0x10000;
constexpr std::uint32_t kShareAll = win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete;
// How CopyFile opens its source and its target.
constexpr std::uint32_t kCopySourceShare = win::kFileShareRead | win::kFileShareDelete;
constexpr std::uint32_t kCopyTargetShare = win::kFileShareRead | win::kFileShareWrite;
constexpr std::uint32_t kSettableAttributes = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;

// Resolves a path given by a test; a malformed one is a bug in the test.
ResolvedPath ScenePath(const detail::FakeState& state, const std::string& path) {
    ResolvedPath resolved;
    if (detail::ResolvePath(state.LockedCodePage(), path.c_str(), &resolved) != 0) {
        resolved = ResolvedPath();
        resolved.key = "?" + path;  // never matches a stored entry
    }
    return resolved;
}

// The entry that a path naming an existing file or folder resolves to, or
// null with the error Windows gives set as the last error.
std::shared_ptr<Entry> ExistingEntry(detail::FakeState& state, const char* path, ResolvedPath* resolved) {
    std::uint32_t error = detail::ResolvePath(state.codePage, path, resolved);
    std::shared_ptr<Entry> entry = error == 0 ? state.Find(resolved->key) : nullptr;
    if (error == 0 && !entry) error = state.MissingError(resolved->key);
    if (entry && resolved->trailingSeparator && !entry->folder) error = detail::kErrorInvalidName;
    if (error == 0) return entry;
    state.SetError(error);
    return nullptr;
}
}  // namespace

// ---- helpers ----------------------------------------------------------------

std::shared_ptr<Entry> detail::FakeState::Find(const std::string& key) const {
    const auto found = entries.find(key);
    return found == entries.end() ? nullptr : found->second;
}

bool detail::FakeState::IsOpen(const Entry& entry) const {
    for (const auto& open : openFiles) {
        if (open.second.entry.get() == &entry) return true;
    }
    return false;
}

std::uint64_t detail::FakeState::UsedBytes() const {
    std::uint64_t used = 0;
    // An online-only file's data is the cloud's.
    for (const auto& entry : entries) used += entry.second->dataOnline ? 0 : entry.second->bytes.size();
    return used;
}

std::uint64_t detail::FakeState::FreeBytes() const {
    if (!diskCapacity) return ~static_cast<std::uint64_t>(0) / 2;
    const std::uint64_t used = UsedBytes();
    return used >= *diskCapacity ? 0 : *diskCapacity - used;
}

std::uint32_t detail::FakeState::ReportedAttributes(const Entry& entry) const {
    if (entry.folder) return entry.attributes | win::kFileAttributeDirectory;
    if (entry.dataOnline) return entry.attributes | win::kFileAttributeRecallOnDataAccess;
    return entry.attributes == 0 ? win::kFileAttributeNormal : entry.attributes;
}

bool detail::FakeState::RefusesChanges(const std::string& key) const {
    for (const std::string& folder : refusedFolders) {
        if (detail::IsWithin(codePage, key, folder)) return true;
    }
    return false;
}

bool detail::FakeState::ParentIsFolder(const std::string& key) const {
    const std::string parent = detail::ParentKey(codePage, key);
    if (parent.empty()) return false;
    const std::shared_ptr<Entry> folder = Find(parent);
    return folder && folder->folder;
}

std::uint32_t detail::FakeState::MissingError(const std::string& key) const {
    return ParentIsFolder(key) ? win::kErrorFileNotFound : win::kErrorPathNotFound;
}

std::shared_ptr<Entry> detail::FakeState::AddEntry(const std::string& key, const std::string& path, bool folder) {
    auto entry = std::make_shared<Entry>();
    entry->folder = folder;
    const std::shared_ptr<Entry> parent = Find(detail::ParentKey(codePage, key));
    // The stored name keeps the parent's spelling and the caller's spelling of the leaf.
    const std::size_t leafStart = detail::ParentKey(codePage, key).size();
    entry->path = parent ? parent->path + (parent->path.back() == '\\' ? "" : "\\") +
                               path.substr(leafStart + (path[leafStart] == '\\' ? 1 : 0))
                         : path;
    entries[key] = entry;
    return entry;
}

// ---- setting the scene ------------------------------------------------------

void FakePlatform::AddDrive(char letter) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const char upper = static_cast<char>(letter & ~0x20);
    const std::string root = std::string(1, upper) + ":\\";
    if (!state_->Find(root)) state_->AddEntry(root, root, true);
}

void FakePlatform::AddFolder(const std::string& path) {
    const ResolvedPath resolved = ScenePath(*state_, path);
    if (resolved.display.empty()) return;
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<std::pair<std::string, std::string>> missing;  // (key, display), deepest first
    for (std::string key = resolved.key, display = resolved.display; !key.empty() && !state_->Find(key);) {
        missing.emplace_back(key, display);
        const std::string parentKey = detail::ParentKey(state_->codePage, key);
        display = display.substr(0, parentKey.size());
        key = parentKey;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        state_->AddEntry(it->first, it->second, true)->lastWrite = state_->Tick();
    }
}

void FakePlatform::AddFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::uint32_t attributes,
                           FileTime lastWrite) {
    const ResolvedPath resolved = ScenePath(*state_, path);
    if (resolved.display.empty()) return;
    AddFolder(resolved.display.substr(0, detail::ParentKey(state_->LockedCodePage(), resolved.key).size()));
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::shared_ptr<Entry> entry = state_->Find(resolved.key);
    if (!entry) entry = state_->AddEntry(resolved.key, resolved.display, false);
    entry->folder = false;
    entry->bytes = bytes;
    entry->attributes = attributes & ~(win::kFileAttributeNormal | win::kFileAttributeDirectory);
    entry->lastWrite = lastWrite.ticks != 0 ? lastWrite : state_->Tick();
}

void FakePlatform::SetFileLastWrite(const std::string& path, FileTime lastWrite) {
    const ResolvedPath resolved = ScenePath(*state_, path);
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const std::shared_ptr<Entry> entry = state_->Find(resolved.key)) entry->lastWrite = lastWrite;
}

void FakePlatform::SetAttributesDirect(const std::string& path, std::uint32_t attributes) {
    const ResolvedPath resolved = ScenePath(*state_, path);
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const std::shared_ptr<Entry> entry = state_->Find(resolved.key)) {
        entry->attributes = attributes & ~(win::kFileAttributeNormal | win::kFileAttributeDirectory);
    }
}

bool FakePlatform::Exists(const std::string& path) const {
    const ResolvedPath resolved = ScenePath(*state_, path);
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->Find(resolved.key) != nullptr;
}

bool FakePlatform::IsFolder(const std::string& path) const {
    const ResolvedPath resolved = ScenePath(*state_, path);
    std::lock_guard<std::mutex> lock(state_->mutex);
    const std::shared_ptr<Entry> entry = state_->Find(resolved.key);
    return entry && entry->folder;
}

std::optional<std::vector<std::uint8_t>> FakePlatform::FileBytes(const std::string& path) const {
    const ResolvedPath resolved = ScenePath(*state_, path);
    std::lock_guard<std::mutex> lock(state_->mutex);
    const std::shared_ptr<Entry> entry = state_->Find(resolved.key);
    if (!entry || entry->folder) return std::nullopt;
    return entry->bytes;
}

std::uint32_t FakePlatform::Attributes(const std::string& path) const {
    const ResolvedPath resolved = ScenePath(*state_, path);
    std::lock_guard<std::mutex> lock(state_->mutex);
    const std::shared_ptr<Entry> entry = state_->Find(resolved.key);
    return entry ? state_->ReportedAttributes(*entry) : win::kInvalidFileAttributes;
}

std::vector<std::string> FakePlatform::ListAll() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<std::string> paths;
    for (const auto& entry : state_->entries) paths.push_back(entry.second->path);
    return paths;
}

void FakePlatform::SetUtcOffsetMinutes(int minutes) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->utcOffsetMinutes = minutes;
}

void FakePlatform::RefuseWritesUnder(const std::string& folder) {
    const ResolvedPath resolved = ScenePath(*state_, folder);
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->refusedFolders.push_back(detail::WithoutTrailingSeparators(state_->codePage, resolved.key));
}

void FakePlatform::SetDiskCapacity(std::optional<std::uint64_t> bytes) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->diskCapacity = bytes;
}

// ---- Win32 operations by name -------------------------------------------------

bool FakePlatform::PathFileExists(const char* path) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::PathFileExists)) return false;
    ResolvedPath resolved;
    return ExistingEntry(*state_, path, &resolved) != nullptr;
}

std::uint32_t FakePlatform::GetFileAttributes(const char* path) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::GetFileAttributes)) return win::kInvalidFileAttributes;
    ResolvedPath resolved;
    const std::shared_ptr<Entry> entry = ExistingEntry(*state_, path, &resolved);
    if (!entry) return win::kInvalidFileAttributes;
    return state_->ReportedAttributes(*entry);
}

bool FakePlatform::SetFileAttributes(const char* path, std::uint32_t attributes) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::SetFileAttributes)) return false;
    ResolvedPath resolved;
    const std::shared_ptr<Entry> entry = ExistingEntry(*state_, path, &resolved);
    if (!entry) return false;
    if (state_->RefusesChanges(resolved.key)) {
        state_->SetError(win::kErrorAccessDenied);
        return false;
    }
    entry->attributes = attributes & kSettableAttributes;
    if (state_->durability) state_->durability->MetadataChanged();
    return true;
}

bool FakePlatform::CreateDirectory(const char* path) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::CreateDirectory)) return false;
    ResolvedPath resolved;
    if (const std::uint32_t error = detail::ResolvePath(state_->codePage, path, &resolved)) {
        state_->SetError(error);
        return false;
    }
    if (resolved.leaf.empty()) {  // a drive root
        state_->SetError(state_->Find(resolved.key) ? win::kErrorAccessDenied : win::kErrorPathNotFound);
        return false;
    }
    if (state_->Find(resolved.key)) {
        state_->SetError(win::kErrorAlreadyExists);
        return false;
    }
    if (state_->RefusesChanges(resolved.key)) {
        state_->SetError(win::kErrorAccessDenied);
        return false;
    }
    if (!state_->ParentIsFolder(resolved.key)) {
        state_->SetError(win::kErrorPathNotFound);
        return false;
    }
    state_->AddEntry(resolved.key, resolved.display, true)->lastWrite = state_->Tick();
    if (state_->durability) state_->durability->MetadataChanged();
    return true;
}

bool FakePlatform::CopyFile(const char* source, const char* target, bool failIfExists) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::CopyFile)) return false;
    detail::FakeState& s = *state_;
    s.MeetBriefHolds(source);
    s.MeetBriefHolds(target);
    ResolvedPath from;
    const std::shared_ptr<Entry> original = ExistingEntry(s, source, &from);
    if (!original) return false;
    if (original->folder) {
        s.SetError(win::kErrorAccessDenied);
        return false;
    }
    // Windows opens the source for reading and shares reading and deletion
    // but not writing, so a program that has the source open for writing
    // refuses the copy (Wine shares writing too).
    if (const std::uint32_t error = s.CheckShare(*original, win::kGenericRead, kCopySourceShare)) {
        s.SetError(error);
        return false;
    }
    ResolvedPath to;
    if (const std::uint32_t error = detail::ResolvePath(s.codePage, target, &to)) {
        s.SetError(error);
        return false;
    }
    std::shared_ptr<Entry> existing = s.Find(to.key);
    std::uint32_t error = 0;
    if (!existing && !s.ParentIsFolder(to.key)) {
        error = win::kErrorPathNotFound;
    } else if (s.RefusesChanges(to.key)) {
        error = win::kErrorAccessDenied;
    } else if (existing && existing->folder) {
        error = win::kErrorAccessDenied;
    } else if (existing && failIfExists) {
        error = win::kErrorFileExists;
    } else if (existing && (existing->attributes & win::kFileAttributeReadOnly) != 0) {
        error = win::kErrorAccessDenied;
    } else if (existing == original) {
        error = win::kErrorSharingViolation;
    } else if (existing && s.CheckShare(*existing, win::kGenericWrite, kCopyTargetShare) != 0) {
        // The target is opened for writing, sharing reading and writing, and
        // meets its holders as any such open does: one that does not share
        // writing refuses the copy, one that shares it does not.
        error = win::kErrorSharingViolation;
    } else if (existing && existing->mapped) {
        error = win::kErrorUserMappedFile;  // the copy truncates its target first
    } else if (original->bytes.size() > s.FreeBytes() + (existing ? existing->bytes.size() : 0)) {
        error = win::kErrorDiskFull;
    } else {
        error = s.FetchData(*original);
    }
    if (error != 0) {
        s.SetError(error);
        return false;
    }
    if (!existing) existing = s.AddEntry(to.key, to.display, false);
    existing->dataOnline = false;
    existing->bytes = original->bytes;
    existing->attributes = original->attributes;
    existing->lastWrite = original->lastWrite;
    if (s.durability) s.durability->Copied(to.key, existing.get(), existing->bytes);
    s.WatchChangedFile(existing);
    return true;
}

namespace {
// Moves `key` and everything below it to `newKey`, renaming the stored paths.
void Rekey(detail::FakeState& state, const std::string& key, const std::string& newKey, const std::string& newPath) {
    std::vector<std::pair<std::string, std::shared_ptr<Entry>>> moved;
    for (const auto& entry : state.entries) {
        if (detail::IsWithin(state.codePage, entry.first, key)) moved.emplace_back(entry.first, entry.second);
    }
    const std::size_t oldPathLength = moved.front().second->path.size();
    for (const auto& entry : moved) state.entries.erase(entry.first);
    for (const auto& entry : moved) {
        entry.second->path = newPath + entry.second->path.substr(oldPathLength);
        state.entries[newKey + entry.first.substr(key.size())] = entry.second;
    }
}
}  // namespace

bool FakePlatform::MoveFileEx(const char* source, const char* target, std::uint32_t flags) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::MoveFileEx)) return false;
    detail::FakeState& s = *state_;
    s.MeetBriefHolds(source);
    s.MeetBriefHolds(target);
    ResolvedPath from;
    const std::shared_ptr<Entry> moving = ExistingEntry(s, source, &from);
    if (!moving) return false;
    ResolvedPath to;
    if (const std::uint32_t error = detail::ResolvePath(s.codePage, target, &to)) {
        s.SetError(error);
        return false;
    }
    const bool replace = (flags & win::kMoveFileReplaceExisting) != 0;
    const std::shared_ptr<Entry> existing = to.key == from.key ? nullptr : s.Find(to.key);
    std::uint32_t error = 0;
    if (from.leaf.empty() || s.RefusesChanges(from.key) || s.RefusesChanges(to.key)) {
        error = win::kErrorAccessDenied;
    } else if (s.CheckShare(*moving, kDeleteAccess, kShareAll) != 0) {
        // A rename opens the file for deletion: every holder must share that.
        error = win::kErrorSharingViolation;
    } else if (from.key[0] != to.key[0]) {
        error = detail::kErrorNotSameDevice;
    } else if (!existing && to.key != from.key && !s.ParentIsFolder(to.key)) {
        error = win::kErrorPathNotFound;
    } else if (moving->folder && to.key != from.key && detail::IsWithin(s.codePage, to.key, from.key)) {
        error = win::kErrorSharingViolation;
    } else if (existing && !replace) {
        error = win::kErrorAlreadyExists;
    } else if (existing &&
               (existing->folder || moving->folder || (existing->attributes & win::kFileAttributeReadOnly) != 0 ||
                s.IsOpen(*existing) || existing->mapped)) {
        error = win::kErrorAccessDenied;
    }
    if (error != 0) {
        s.SetError(error);
        return false;
    }
    if (existing) s.entries.erase(to.key);
    const std::string parentPath = s.Find(detail::ParentKey(s.codePage, to.key))->path;
    const std::string newPath = parentPath + (parentPath.back() == '\\' ? "" : "\\") + to.leaf;
    Rekey(s, from.key, to.key, newPath);
    if (s.durability) s.durability->Moved(from.key, to.key);
    return true;
}

bool FakePlatform::DeleteFile(const char* path) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const auto fault = state_->Enter(Op::DeleteFile)) return false;
    state_->MeetBriefHolds(path);
    ResolvedPath resolved;
    const std::shared_ptr<Entry> entry = ExistingEntry(*state_, path, &resolved);
    if (!entry) return false;
    if (entry->folder || (entry->attributes & win::kFileAttributeReadOnly) != 0 ||
        state_->RefusesChanges(resolved.key)) {
        state_->SetError(win::kErrorAccessDenied);
        return false;
    }
    if (state_->IsOpen(*entry)) {
        state_->SetError(win::kErrorSharingViolation);
        return false;
    }
    state_->entries.erase(resolved.key);
    if (state_->durability) state_->durability->Deleted(resolved.key);
    return true;
}

}  // namespace platform::fake
