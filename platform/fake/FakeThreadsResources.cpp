// Worker threads, the program's resources and the shell's documents folder.
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace platform::fake {

ThreadHandle FakePlatform::StartThread(ThreadProc proc, void* param) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::StartThread)) return 0;
    const ThreadHandle handle = state_->NewHandle();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    state_->threadEnded.emplace(handle, ended);
    state_->threads.emplace(handle, std::thread([proc, param, ended] {
                                proc(param);
                                ended->store(true);
                            }));
    return handle;
}

void FakePlatform::JoinThread(ThreadHandle thread) {
    std::thread joining;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->Enter(Op::JoinThread)) return;
        const auto found = state_->threads.find(thread);
        if (found == state_->threads.end()) {
            state_->SetError(win::kErrorInvalidHandle);
            return;
        }
        joining = std::move(found->second);
        state_->threads.erase(found);
        state_->threadEnded.erase(thread);
    }
    if (joining.joinable()) joining.join();
}

void FakePlatform::FinishThreadBeforeNextQuery(std::function<void()> letItFinish) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->finishBeforeThreadEndQuery = std::move(letItFinish);
}

bool FakePlatform::ThreadEndedBeforeQuery() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->threadEndedBeforeQuery;
}

namespace {
bool WaitUntilSet(const std::atomic<bool>& flag) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!flag && std::chrono::steady_clock::now() < limit) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return flag;
}
}  // namespace

bool FakePlatform::HasThreadEnded(ThreadHandle thread) {
    std::function<void()> letItFinish;
    std::shared_ptr<std::atomic<bool>> ended;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        letItFinish.swap(state_->finishBeforeThreadEndQuery);
        const auto found = state_->threadEnded.find(thread);
        if (found != state_->threadEnded.end()) ended = found->second;
    }
    if (letItFinish) {
        letItFinish();
        const bool endedInTime = ended != nullptr && WaitUntilSet(*ended);
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->threadEndedBeforeQuery = endedInTime;
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::HasThreadEnded)) return false;
    const auto found = state_->threadEnded.find(thread);
    if (found == state_->threadEnded.end()) {
        state_->SetError(win::kErrorInvalidHandle);
        return false;
    }
    return found->second->load();
}

// No real wait: tests check what was asked for, never the clock.
void FakePlatform::Sleep(std::uint32_t milliseconds) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->Enter(Op::Sleep);
    state_->sleeps.push_back(milliseconds);
}

std::vector<std::uint32_t> FakePlatform::Sleeps() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->sleeps;
}

void FakePlatform::OutputDebugString(const char* text) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::OutputDebugString)) return;
    state_->debugOutput.emplace_back(text == nullptr ? "" : text);
}

std::vector<std::string> FakePlatform::DebugOutput() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->debugOutput;
}

namespace {
// Type names may be integer identifiers, as MAKEINTRESOURCE makes them.
std::string FoldedTypeName(const char* typeName) {
    const auto value = reinterpret_cast<std::uintptr_t>(typeName);
    if (value < 0x10000) return "#" + std::to_string(value);
    return detail::FoldCase(typeName);
}
}  // namespace

void FakePlatform::AddResource(int id, const std::string& typeName, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    auto resource = std::make_unique<detail::Resource>();
    resource->id = id;
    resource->foldedType = detail::FoldCase(typeName);
    resource->bytes = bytes;
    if (resource->bytes.empty()) resource->bytes.reserve(1);  // LoadResource still gets an address
    state_->resources.push_back(std::move(resource));
}

ResourceHandle FakePlatform::FindResource(int id, const char* typeName) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::FindResource)) return 0;
    const std::string type = FoldedTypeName(typeName);
    bool typeSeen = false;
    ResourceHandle found = 0;
    // A later AddResource of the same id and type replaces the earlier one.
    for (std::size_t i = 0; i < state_->resources.size(); ++i) {
        const detail::Resource& resource = *state_->resources[i];
        if (resource.foldedType != type) continue;
        typeSeen = true;
        if (resource.id == id) found = i + 1;
    }
    if (found == 0) {
        state_->SetError(typeSeen ? detail::kErrorResourceNameNotFound : detail::kErrorResourceTypeNotFound);
    }
    return found;
}

const void* FakePlatform::LoadResource(ResourceHandle resource) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::LoadResource)) return nullptr;
    if (resource == 0 || resource > state_->resources.size()) {
        state_->SetError(win::kErrorInvalidHandle);
        return nullptr;
    }
    return state_->resources[resource - 1]->bytes.data();
}

std::uint32_t FakePlatform::SizeofResource(ResourceHandle resource) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::SizeofResource)) return 0;
    if (resource == 0 || resource > state_->resources.size()) {
        state_->SetError(win::kErrorInvalidHandle);
        return 0;
    }
    return static_cast<std::uint32_t>(state_->resources[resource - 1]->bytes.size());
}

}  // namespace platform::fake
